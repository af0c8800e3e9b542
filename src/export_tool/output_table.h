#pragma once

#include "core/raceline/source_edges.h"
#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_model.h"
#include "core/track/track_samples.h"
#include "core/track/world_frame.h"
#include "export_tool/export_options.h"
#include "export_tool/tool_option.h"

#include <QFileInfo>
#include <QImage>
#include <QString>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Everything an output is written from, for one track.
struct OutputContext {
    const ExportOptions& options;
    const TrackModel& model;
    const Settings& settings;        // the run's settings with this track's TrackWidth
    const WorldFrame& frame;         // canvas pixels to the metres of the world
    const QFileInfo& track;          // names the outputs
    const QImage& picture;           // the canvas picture as the editor exports it, for entries that need it
    int encodeThreads = 1;           // for each picture's encoder
    std::vector<std::string>& notes;    // facts worth telling when the output is written (stdout)
    std::vector<std::string>& warnings; // what the user should know of it all the same (stderr)
    // A circuit file's own edges, which the race line keeps off.
    const SourceEdges* sourceEdges = nullptr;

    // Where the output with this ending goes: the output folder (else the
    // track's own) and the track's name with the ending.
    QString Path(const QString& ending) const;
    // Writes one file of the output whole or not at all.
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

// One output of the tool: --FLAG writes FILES.
struct OutputEntry {
    const char* flag;  // "png" for --png
    const char* files; // what it writes, NAME standing for the track's name
    const char* help;  // its text in --help
    bool needsPicture; // the canvas is drawn for it
    Status (*write)(const OutputContext& context);
    const char* excludes = nullptr;           // an output that cannot go with it
    std::span<const ToolOption> options = {}; // options that only it reads
};

// The zlib level of the pictures in PNG: --png-level, else the editor's 9.
int PngLevel(const ExportOptions& o);

// Every output, in the order they are listed and written.
std::span<const OutputEntry* const> Outputs();

} // namespace velmora
