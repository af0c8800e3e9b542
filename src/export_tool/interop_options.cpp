#include "export_tool/interop_options.h"

#include "core/settings/settings.h"
#include "inputs/track_input.h"

namespace velmora {

namespace {

Status ReadFit(const std::string&, ExportOptions& o)
{
    o.fit = true;
    return {};
}

Status ReadOpen(const std::string&, ExportOptions& o)
{
    o.open = true;
    return {};
}

Status ReadTrackWidth(const std::string& text, ExportOptions& o)
{
    if (text == "csv") {
        o.trackWidthFromCsv = true;
        return {};
    }
    double width = 0;
    if (text.size() > 1 && text.back() == 'm' && ReadPositive(text.substr(0, text.size() - 1), width)) {
        o.trackWidthMetres = width;
        o.trackWidth = 0;
        o.trackWidthFromCsv = false;
        return {};
    }
    if (!ReadPositive(text, width) || width > kMaxCanvasSide)
        return Fail(
            "--track-width needs a number of pixels greater than 0, of metres with m (8m) or \"csv\", "
            "not \"" +
            text + "\"");
    o.trackWidth = width;
    o.trackWidthMetres = 0;
    o.trackWidthFromCsv = false;
    return {};
}

Status Check(const ExportOptions& o)
{
    if (o.fit && o.scaleGiven)
        return Fail("choose one of --scale and --fit");
    for (const std::string& track : o.tracks)
        if (o.originGiven && IsCentrelineInput(QString::fromStdString(track)))
            return Fail("--origin is for track files: a circuit keeps the coordinates of its own file");
    return {};
}

constexpr ToolOption kOptions[] = {
    {"fit", nullptr,
     "scale a circuit to fill the canvas with a 5 % margin (the default; --scale\n"
     "sets metres per pixel instead)",
     ReadFit},
    {"open", nullptr, "leave a circuit open instead of closing the loop", ReadOpen},
    {"track-width", "PX|Wm|csv",
     "TrackWidth in pixels, or in metres with m (8m); without it a circuit\n"
     "takes the median width from its file (csv: always), and one without\n"
     "widths is refused",
     ReadTrackWidth},
};

} // namespace

const OptionSection kInteropSection = {
    "circuits:\n"
    "  CIRCUIT.csv         a track argument ending in .csv is a centreline in metres, y up:\n"
    "                      columns x_m (or x), y_m (or y) and optionally w_tr_right_m and\n"
    "                      w_tr_left_m, by the names of a header or else in that order,\n"
    "                      separated by commas, semicolons, tabs or blanks; it is placed\n"
    "                      on the canvas and closed into a loop",
    kOptions, Check};

} // namespace velmora
