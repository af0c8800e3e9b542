#include "core/inputs/circuit_import.h"
#include "inputs/file_read.h"
#include "inputs/track_input.h"

#include <algorithm>

namespace velmora {

namespace {

// A circuit's centre line, fitted to the canvas of the settings unless the
// scale is given. The file's widths are taken when it has them and no width
// is given; without them, the width given, else the options' width for a
// circuit without widths, else it is refused.
Result<TrackJob> ReadCircuitInput(const InputOptions& o, const Settings& base, const QString& path)
{
    TrackJob job;
    job.settings = InputSettings(o, base);
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail(bytes.error());
    const std::string_view text(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    CentrelineImportOptions io = CircuitImportOptions(job.settings);
    io.metresPerPixel = o.scaleGiven ? o.frame.metresPerPixel : 0;
    io.open = o.open;
    io.trackWidthMetres = o.trackWidthMetres;
    const bool widthGiven = o.trackWidth > 0 || o.trackWidthMetres > 0;
    const bool bare = !widthGiven && !o.trackWidthFromCsv && o.bareCircuitWidth > 0;
    io.trackWidthFromFile = !bare && (o.trackWidthFromCsv || !widthGiven);
    if (bare)
        io.trackWidth = o.bareCircuitWidth;
    Result<ImportedCentreline> imported = ImportCircuitText(text, io, bare);
    if (!imported)
        return Fail(imported.error());
    job.model = std::move(imported->model);
    job.settings.TrackWidth = imported->trackWidth;
    job.frame = imported->frame;
    job.hasWorld = true;
    job.note = CircuitNote(*imported);
    job.sourceEdges = std::move(imported->sourceEdges);
    return job;
}

} // namespace

bool IsCentrelineInput(const QString& path)
{
    return path.endsWith(".csv", Qt::CaseInsensitive);
}

extern const InputEntry kCircuitInput = {"circuit", IsCentrelineInput, ReadCircuitInput};

} // namespace velmora
