#include "export_tool/interop_options.h"

#include "core/formats/number_text.h"
#include "core/settings/settings.h"

namespace velmora {

const char kInteropUsage[] =
    "circuits and simulators:\n"
    "  CIRCUIT.csv         a track argument ending in .csv is a centreline (x_m, y_m[, w_tr_right_m,\n"
    "                      w_tr_left_m], metres, y up), placed on the canvas and closed into a loop\n"
    "  --fit               scale a circuit to fill the canvas with a 5 % margin (the default; --scale\n"
    "                      sets metres per pixel instead)\n"
    "  --open              leave a circuit open instead of closing the loop\n"
    "  --track-width PX|csv  TrackWidth in pixels, or for a circuit the median width from its file\n"
    "  --trk               write the track file NAME.trk, to open in the editor\n"
    "  --ros-map           write an occupancy map for ROS and F1TENTH: NAME_map.png, NAME_map.yaml\n";

namespace {

bool ReadTrackWidth(const std::string& text, ExportOptions& o, std::string& error)
{
    if (text == "csv") {
        o.trackWidthFromCsv = true;
        return true;
    }
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length == 0 || scan.length != text.size() || !(scan.value > 0) || scan.value > kMaxCanvasSide) {
        error = "--track-width needs a number of pixels greater than 0 or \"csv\", not \"" + text + "\"";
        return false;
    }
    o.trackWidth = scan.value;
    o.trackWidthFromCsv = false;
    return true;
}

} // namespace

bool ParseInteropOption(const std::vector<std::string>& args, std::size_t& i, ExportOptions& o,
                        std::string& error)
{
    const std::string& a = args[i];
    if (a == "--trk")
        o.trk = true;
    else if (a == "--ros-map")
        o.rosMap = true;
    else if (a == "--fit")
        o.fit = true;
    else if (a == "--open")
        o.open = true;
    else if (a != "--track-width")
        return false;
    else if (i + 1 >= args.size())
        error = a + " needs a value";
    else
        ReadTrackWidth(args[++i], o, error);
    return true;
}

std::string InteropOptionsProblem(const ExportOptions& o)
{
    if (o.fit && o.scaleGiven)
        return "choose one of --scale and --fit";
    return {};
}

} // namespace velmora
