#pragma once

#include "core/settings/settings.h"
#include "core/track/track_generator.h"
#include "core/track/track_model.h"
#include "export_tool/export_options.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>

namespace velmora {

// One track as the export writes it out.
struct TrackJob {
    TrackModel model;
    Settings settings;            // the run's settings with this track's TrackWidth
    double metresPerPixel = 0.05; // of its centreline CSV and map
    std::string note;             // how a circuit was read (scale, width), for stderr
};

// Reads a whole file; false with `error` set when it cannot. An empty file
// counts as missing, as the editor's Load has it.
bool ReadWholeFile(const QString& path, QByteArray& bytes, std::string& error);

// A track argument ending in ".csv", in any letter case, is a circuit's
// centre line; anything else a track file.
bool IsCentrelineInput(const QString& path);

// Reads a track file, or imports a circuit's centre line onto the canvas of
// `base` at the scale and track width the options ask for. `base` is left as
// it is: what differs for this track goes into the job.
bool ReadTrackInput(const ExportOptions& o, const Settings& base, const QString& path, TrackJob& job,
                    std::string& error);

// Makes generated track `index` of the run with the options' seed, lengths
// and markers on the canvas of `base`; false with `error` set when no track
// could be made.
bool GenerateTrackInput(const ExportOptions& o, const Settings& base, std::uint64_t index, TrackJob& job,
                        std::string& error);

// The generator's options for a run: the lengths asked for, else those that
// suit the canvas of `s`.
GeneratorOptions GeneratorOptionsFor(const ExportOptions& o, const Settings& s);

// The run's settings for every track: `base` with --track-width applied.
Settings RunSettings(const ExportOptions& o, const Settings& base);

} // namespace velmora
