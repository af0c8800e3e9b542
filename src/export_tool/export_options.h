#pragma once

#include "core/mapin/map_centreline.h"
#include "core/result.h"
#include "core/track/world_frame.h"
#include "outputs/output_table.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace velmora {

// What one call of velmora-export asks for.
struct ExportOptions {
    std::string prefsFile; // empty: the editor's Preferences.ini (SettingsFolderFor), else defaults
    std::string imagesDir; // empty: Images beside the program
    std::string templateImage;
    std::set<std::string> outputs; // the flags of the outputs to write ("png", "rl", ...)
    OutputOptions outputOptions; // read by the outputs' own options (--png-level, --vehicle, ...)
    double metresPerPixel = kDefaultMetresPerPixel;
    bool scaleGiven = false; // --scale was given (circuits fit the canvas without it)
    double originX = 0;      // metres: where the canvas's top-left corner lies in the world
    double originY = 0;
    bool originGiven = false;
    double spacing = 0; // metres between rows of the sampled outputs; 0: the shorter of 1 m and 4 px
    std::string outDir; // empty: beside each track
    // Circuits.
    bool fit = false;
    bool open = false;
    double trackWidth = 0; // pixels; 0: the settings' TrackWidth
    double trackWidthMetres = 0; // "--track-width 8m": metres, turned into pixels by each track's scale
    bool trackWidthFromCsv = false;
    MapTrackOptions map; // occupancy maps: --start, --reverse, --min-obstacle, --close-gaps
    // Generated tracks.
    std::uint64_t generate = 0; // tracks to make; 0: read the track arguments
    std::uint64_t seed = 1;
    bool seedGiven = false;
    double minLength = 0; // pixels; 0: to suit the canvas
    double maxLength = 0;
    int markers = 0;
    int jobs = 0; // tracks exported at once; 0: one per core
    bool quiet = false; // tell failures and warnings only, not the facts of each track
    bool help = false;
    bool version = false;
    std::vector<std::string> tracks;

    bool Wants(const std::string& output) const { return outputs.count(output) != 0; }
    // What the outputs of every track are written with.
    OutputChoices Choices() const { return {outputs, outputOptions, spacing}; }
};

inline constexpr int kMaxJobs = 1024;

// Reads the command line (without the program's name). A usage error, exit
// code 2, is the failure's message.
Result<ExportOptions> ParseExportArgs(const std::vector<std::string>& args);

// The two halves of ParseExportArgs, for callers that give the options in
// parts (the Python module: a track's options when it is read, the outputs'
// when it is written). ReadExportArgs reads every option through its reader,
// in the order given, and stops at the first bad value or unknown name;
// CheckSections judges how the options of each part of the tool go
// together, CheckExportCommand the whole command (outputs asked for, a
// track to write) and then the sections.
Result<ExportOptions> ReadExportArgs(const std::vector<std::string>& args);
Status CheckSections(const ExportOptions& o);
Status CheckExportCommand(const ExportOptions& o);

// The text of --help, made from the tables of options and outputs.
std::string ExportUsage();

// What a usage error prints after its message, as GNU tools do.
inline constexpr char kTryHelp[] = "Try 'velmora-export --help' for more information.";

} // namespace velmora
