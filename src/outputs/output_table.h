#pragma once

#include "core/gazebo/gazebo_model.h"
#include "core/raceline/raceline_csv.h"
#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_model.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"
#include "inputs/vehicle_choice.h"
#include "render/image/encode_progress.h"
#include "render/image/png_write.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <limits>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class StagedFiles;

// The values of the options that belong to single outputs. Each output reads
// its own from text (OutputOption); the editor's dialog sets them directly.
struct OutputOptions {
    int pngLevel = kPngLevel;            // zlib level of the pictures in PNG
    std::optional<NamedVehicle> vehicle; // none: the first shipped profile
    HeadingZero headingZero = HeadingZero::East;
    double wallHeight = kDefaultWallHeight; // metres, of the Gazebo world's walls
};

// What to write, the same for every track of one export.
struct OutputChoices {
    std::set<std::string> outputs; // the flags of the outputs ("png", "rl", ...)
    OutputOptions options;
    double spacing = 0; // metres between rows of the sampled outputs; 0: the shorter of 1 m and 4 px

    bool Wants(const std::string& flag) const { return outputs.count(flag) != 0; }
};

// Where one track's files go and what they are named after.
struct OutputNames {
    QString folder; // the folder the files go into
    QString name;   // NAME of the files: the track's name
    QString source; // the file the track was read from, never written over; empty for none
    // The track has a world of its own (an imported circuit or map, a track
    // file with its NAME_frame.yaml): NAME.trk takes it along.
    bool hasWorld = false;
    // The car the track's world names (a shipped name or a vehicle file),
    // which NAME.trk takes along unless the options name one; empty: none.
    std::string vehicle;
    // The description of the map the track was found on, which NAME.trk's
    // frame names so that its picture lies under the track again; empty: none.
    QString map;
};

// Everything an output is written from, for one track.
struct OutputContext {
    const OutputChoices& choices;
    const TrackModel& model;
    const Settings& settings;        // the run's settings with this track's TrackWidth
    const WorldFrame& frame;         // canvas pixels to the metres of the world
    const OutputNames& names;        // names the outputs
    const QImage& picture;           // the canvas picture as the editor exports it, for entries that need it
    const QImage& ground;            // the same without the map's picture (OutputPicture::Ground)
    int encodeThreads = 1;           // for each picture's encoder
    std::vector<std::string>& notes; // facts worth telling when the output is written (stdout)
    std::vector<std::string>& warnings; // what the user should know of it all the same (stderr)
    StagedFiles& staged; // where the files go until every output of the track is made
    // A circuit file's own edges, or a map's walls, which the race line
    // keeps off; a map's measured widths, which the sampled outputs write.
    const SourceEdges* sourceEdges = nullptr;

    // Where the output with this ending goes: the output folder and the
    // track's name with the ending.
    QString Path(const QString& ending) const;
    // Writes one file of the output, which takes its name only when every
    // output of the track has been made.
    Status Write(const QString& ending, std::string_view bytes) const;
    // The track sampled every --spacing, made once for all the outputs that
    // need it; refused when the track is not one line (OneLine).
    const Result<TrackSamples>& Samples() const;
    // An output that follows the track along one line (the sampled ones,
    // the race line, Gazebo's walls) cannot follow a path that goes on after
    // its loop is closed: the failure says where in the path it does.
    Status OneLine() const;
    // The distance between samples in metres.
    double SpacingMetres() const;
    // Writes a file made from the samples in the world frame; a failure
    // says it could not write `what`.
    using SampledWriter = Result<std::string> (*)(const TrackSamples&, const WorldFrame&);
    Status WriteSampled(const QString& ending, const std::string& what, SampledWriter writer) const;

    mutable std::optional<Result<TrackSamples>> samplesMade = {}; // Samples() once made
};

// An option that only one output reads: its name without the dashes
// ("png-level"), its name in the editor ("PNG level"), the name of its value
// in help (nullptr for a switch), its help text (lines after the first begin
// with '\n') and how its text is read. The failure says what is wrong with
// the value without naming the option ("needs a whole number ..."): the
// tool puts the option's name before it, the editor its label.
struct OutputOption {
    const char* name;
    const char* label;
    const char* valueName;
    const char* help;
    Status (*read)(const std::string& value, OutputOptions& o);
};

// Which picture of the track an output is made from.
enum class OutputPicture {
    None,   // none: no picture is drawn for it
    Canvas, // the canvas as the editor shows it, the map's picture under the track
    // The track over the template without the map's picture: a simulator's
    // ground, which its cameras see as the floor, shows the track alone, not
    // the scan of the room the map was made in (its grey unknown cells, its
    // walls' ink with nothing standing on it).
    Ground,
};

// One output: --FLAG writes FILES. The tool's command line and the editor's
// Export for Simulators both list every entry.
struct OutputEntry {
    const char* flag;  // "png" for --png
    const char* label; // its check box in the editor: "Picture (PNG)"
    const char* files; // what it writes, NAME standing for the track's name
    const char* help;  // its text in --help
    OutputPicture picture; // what is drawn for it
    Status (*write)(const OutputContext& context);
    const char* excludes = nullptr;             // an output that cannot go with it
    std::span<const OutputOption> options = {}; // options that only it reads
    // What can be told before anything is made (a target that must not be
    // written over): every output's is asked before the first is made.
    Status (*check)(const OutputContext& context) = nullptr;
};

// A number greater than 0 and at most `most`, written as a plain decimal,
// whatever the locale: no "inf", "nan", hexadecimal or trailing text.
// Returns false otherwise.
bool ReadPositive(const std::string& text, double& out, double most = std::numeric_limits<double>::max());

// Every output, in the order they are listed and written.
std::span<const OutputEntry* const> Outputs();

// The output with this flag, or nullptr.
const OutputEntry* OutputNamed(std::string_view flag);

// What a failure of an output tells the user to do when the files it would
// write are in the way. The outputs speak the editor's words; velmora-export
// says it with its option.
inline constexpr char kChooseAnotherFolder[] = "choose another output folder";

// The first two outputs asked for together that cannot go together (PNG and
// BMP), or none.
struct OutputClash {
    const OutputEntry* first = nullptr;
    const OutputEntry* second = nullptr;
};
OutputClash FindOutputClash(const OutputChoices& choices);

// A clash in the editor's words: "choose one of Picture (PNG) and Picture
// (BMP)", else success.
Status CheckOutputCombination(const OutputChoices& choices);

// Whether any output asked for is made from the picture `which`.
bool NeedsPicture(const OutputChoices& choices, OutputPicture which);

// Writes every output asked for of one track, all of them or none: the
// outputs are checked, then made in the table's order into temporary files,
// which take their names only when the last one is made. The first failure
// stops the track and is the one returned; nothing of the track is written
// then, and the facts of the outputs made before it are dropped. A failed
// `picture` fails the outputs that need it. With `progress`, its share done
// follows the outputs and a cancel stops before the next one, writing nothing.
struct TrackOutputs {
    const TrackModel& model;
    const Settings& settings;
    const WorldFrame& frame;
    const OutputNames& names;
    const Result<QImage>& picture;
    const Result<QImage>& ground; // the picture without the map's, for OutputPicture::Ground
    const SourceEdges* sourceEdges = nullptr; // a circuit file's own edges or a map's, when it has them
};
// `written`, when given, gets the paths of the files and folders written.
Status WriteTrackOutputs(const OutputChoices& choices, const TrackOutputs& track, int encodeThreads,
                         std::vector<std::string>& notes, std::vector<std::string>& warnings,
                         EncodeProgress* progress = nullptr, QStringList* written = nullptr);

} // namespace velmora
