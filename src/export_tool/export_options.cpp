#include "export_tool/export_options.h"

#include "export_tool/generate_options.h"
#include "export_tool/interop_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace velmora {

const char kExportUsage[] =
    "usage: velmora-export [options] TRACK.trk|CIRCUIT.csv ...\n"
    "       velmora-export [options] --generate N [--seed S]\n"
    "  --prefs FILE        settings to draw with (default: the editor's Preferences.ini, else the defaults)\n"
    "  --images DIR        folder holding surface.png, start.png, marker.png (default: Images beside the "
    "program)\n"
    "  --template IMAGE    draw this template behind the track\n"
    "  --png | --bmp       write the canvas picture\n"
    "  --rl                write the RL data\n"
    "  --centreline        write a centreline CSV\n"
    "  --scale M           metres per pixel for the CSV and the map (default 0.05)\n"
    "  --out-dir DIR       where outputs go (default: beside each track); names are the track's name\n"
    "                      with .png, .bmp, _rl.txt, _centreline.csv, .trk, _map.png, _map.yaml\n"
    "  --jobs J            export J tracks at once (default: one per core)\n"
    "  --help, --version\n"
    "\n";

namespace {

bool ParseScale(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0)
        return false;
    out = v;
    return true;
}

// A whole number of jobs; more than a machine could ever run at once is a
// typing error, not a wish.
bool ParseJobs(const std::string& text, int& out)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 4)
        return false;
    const int v = std::stoi(text);
    if (v < 1 || v > kMaxJobs)
        return false;
    out = v;
    return true;
}

} // namespace

ParsedArgs ParseExportArgs(const std::vector<std::string>& args)
{
    ParsedArgs r;
    ExportOptions& o = r.options;
    bool onlyTracks = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyTracks || a.empty() || a[0] != '-' || a == "-") {
            o.tracks.push_back(a);
            continue;
        }
        const auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                r.error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (ParseInteropOption(args, i, o, r.error) || ParseGenerateOption(args, i, o, r.error)) {
            if (!r.error.empty())
                return r;
            continue;
        }
        std::string scale;
        std::string jobs;
        if (a == "--") {
            onlyTracks = true;
        } else if (a == "--prefs") {
            if (!value(o.prefsFile))
                return r;
        } else if (a == "--images") {
            if (!value(o.imagesDir))
                return r;
        } else if (a == "--template") {
            if (!value(o.templateImage))
                return r;
        } else if (a == "--out-dir") {
            if (!value(o.outDir))
                return r;
        } else if (a == "--scale") {
            if (!value(scale))
                return r;
            if (!ParseScale(scale, o.metresPerPixel)) {
                r.error = "--scale needs a number greater than 0, not \"" + scale + "\"";
                return r;
            }
            o.scaleGiven = true;
        } else if (a == "--jobs") {
            if (!value(jobs))
                return r;
            if (!ParseJobs(jobs, o.jobs)) {
                r.error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not \"" +
                          jobs + "\"";
                return r;
            }
        } else if (a == "--png") {
            o.png = true;
        } else if (a == "--bmp") {
            o.bmp = true;
        } else if (a == "--rl") {
            o.rl = true;
        } else if (a == "--centreline") {
            o.centreline = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else {
            r.error = "unknown option " + a;
            return r;
        }
    }
    if (o.help || o.version)
        return r;
    if (o.png && o.bmp)
        r.error = "choose one of --png and --bmp";
    else if (o.tracks.empty() && o.generate == 0)
        r.error = "no track file given";
    else if (!o.png && !o.bmp && !o.rl && !o.centreline && !o.trk && !o.rosMap)
        r.error = "nothing to write: give --png, --bmp, --rl, --centreline, --trk or --ros-map";
    else if (r.error = InteropOptionsProblem(o); r.error.empty())
        r.error = GenerateOptionsProblem(o);
    return r;
}

} // namespace velmora
