#pragma once

#include "core/formats/centreline_csv.h"
#include "core/raceline/raceline.h"
#include "core/result.h"
#include "core/track/world_rows.h"
#include "export_tool/export_scene.h"
#include "inputs/track_input.h"
#include "outputs/track_products.h"

#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The work of the Python module in plain C++ over the tool's own pieces: no
// Python here, so that all of it runs with the interpreter's lock released.
// Options come in as the tool's arguments ("--scale=0.1") and are read by
// the tool's readers; a usage error is told apart from a track that fails,
// as the tool tells exit code 2 from 1.

namespace velmora {

// What a call answers besides its value: the lines the tool would print on
// stderr as warnings, in its words.
using Warnings = std::vector<std::string>;

// A failure, and whether it is the caller's wrong option (a usage error)
// rather than a track that could not be read, made or written.
struct ModuleError {
    std::string message;
    bool usage = false;
};

template <typename T> struct Answer {
    std::optional<T> value;
    ModuleError error;
    Warnings warnings;

    bool ok() const { return value.has_value(); }
};

// One track in memory with what it was read with: the scene (settings,
// pictures, fonts), the tool's arguments it was read or made with, and its
// name and source, as velmora-export would name its files.
struct ModuleTrack {
    std::shared_ptr<const ExportScene> scene;
    std::vector<std::string> args; // the options it was read with, the track argument last
    TrackJob job;
    QString name;
    QString source; // the file read; empty for a generated track
};

// Reads the track at `path` with the tool's `options`, through the tool's
// inputs; the scene comes from `programDir` as the tool's does.
Answer<ModuleTrack> LoadModuleTrack(const std::string& path, const std::vector<std::string>& options,
                                    const QString& programDir);

// Makes generated tracks 0 .. count-1 as `velmora-export --generate count`
// with the same options, on `jobs` threads (0: one per core). A track that
// cannot be made is an empty slot and a warning naming it; the rest go on.
Answer<std::vector<std::shared_ptr<ModuleTrack>>>
GenerateModuleTracks(std::uint64_t count, const std::vector<std::string>& options, const QString& programDir);

// The options of one call on a track (the outputs' own options and
// --spacing) read over those the track was read with. Refuses the options
// that change how a track is read: they go with the track.
Answer<ExportOptions> CallOptions(const ModuleTrack& track, const std::vector<std::string>& callOptions);
// The same for writing the `outputs` named by their flags: the whole
// command is checked as the tool's is (outputs that clash, none asked for).
Answer<ExportOptions> WriteOptions(const ModuleTrack& track, const std::vector<std::string>& callOptions,
                                   const std::vector<std::string>& outputs);

// The values behind the files, made by the same code as the files.
Answer<std::vector<CentrelineRow>> TrackCentreline(const ModuleTrack& track, const ExportOptions& o);
Answer<std::vector<WorldRow>> TrackWorldRows(const ModuleTrack& track, const ExportOptions& o);
Answer<RosMap> TrackOccupancy(const ModuleTrack& track);
struct ModuleRaceline {
    std::vector<RacelineRow> rows; // as NAME_raceline.csv holds them
    double lapTime = 0;
    std::string vehicle;
};
Answer<ModuleRaceline> TrackRacelineRows(const ModuleTrack& track, const ExportOptions& o);
Answer<QImage> TrackPicture(const ModuleTrack& track); // RGB888
Answer<std::string> TrackRLText(const ModuleTrack& track);

// Writes the outputs `o` asks for into `outDir` as velmora-export does;
// the paths written.
Answer<std::vector<std::string>> WriteModuleTrack(const ModuleTrack& track, const ExportOptions& o,
                                                  const std::string& outDir);

} // namespace velmora
