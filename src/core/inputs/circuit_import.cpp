#include "core/inputs/circuit_import.h"

#include "core/formats/centreline_rows.h"
#include "core/formats/number_text.h"

#include <algorithm>

namespace velmora {

CentrelineImportOptions CircuitImportOptions(const Settings& s)
{
    CentrelineImportOptions io;
    io.canvasWidth = CanvasSide(s.CanvasWidth);
    io.canvasHeight = CanvasSide(s.CanvasHeight);
    io.angleLimit = s.AngleLimit;
    io.trackWidth = s.TrackWidth;
    return io;
}

Result<ImportedCentreline> ImportCircuitText(std::string_view bytes, CentrelineImportOptions options,
                                             bool widthsWhenGiven)
{
    const Result<std::vector<CentrelineRow>> rows = ReadCentrelineRows(bytes);
    if (!rows)
        return Fail(rows.error());
    if (widthsWhenGiven &&
        std::any_of(rows->begin(), rows->end(), [](const CentrelineRow& r) { return r.hasWidths; }))
        options.trackWidthFromFile = true;
    return ImportCentreline(*rows, options);
}

std::string CircuitNote(const ImportedCentreline& imported)
{
    return "scale " + FormatSignificant(imported.frame.metresPerPixel, kShownDigits) + " m per pixel, origin " +
           OriginText(imported.frame) + " m, track width " + FormatSignificant(imported.trackWidth, kShownDigits) + " px";
}

} // namespace velmora
