#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// What one call of velmora-export asks for.
struct ExportOptions {
    std::string prefsFile; // empty: the editor's Preferences.ini (SettingsFolderFor), else defaults
    std::string imagesDir; // empty: Images beside the program
    std::string templateImage;
    bool png = false;
    bool bmp = false;
    bool rl = false;
    bool centreline = false;
    double metresPerPixel = 0.05;
    std::string outDir;      // empty: beside each track
    bool scaleGiven = false; // --scale was given (circuits fit the canvas without it)
    // Circuits and simulators (interop_options.h).
    bool trk = false;
    bool rosMap = false;
    bool fit = false;
    bool open = false;
    double trackWidth = 0; // pixels; 0: the settings' TrackWidth
    bool trackWidthFromCsv = false;
    // Generated tracks (generate_options.h).
    std::uint64_t generate = 0; // tracks to make; 0: read the track arguments
    std::uint64_t seed = 1;
    bool seedGiven = false;
    double minLength = 0; // pixels; 0: to suit the canvas
    double maxLength = 0;
    int markers = 0;
    int jobs = 0; // tracks exported at once; 0: one per core
    bool help = false;
    bool version = false;
    std::vector<std::string> tracks;
};

inline constexpr int kMaxJobs = 1024;

struct ParsedArgs {
    ExportOptions options;
    std::string error; // non-empty: a usage error, exit code 2
};

ParsedArgs ParseExportArgs(const std::vector<std::string>& args);

extern const char kExportUsage[];

} // namespace velmora
