#pragma once

#include "core/result.h"
#include "inputs/track_input.h"
#include "outputs/output_table.h"
#include "render/image/encode_progress.h"
#include "render/redraw.h"

#include <QImage>
#include <QString>
#include <string>
#include <vector>

namespace velmora {

// What the picture of a track is drawn with, the same for every track of
// one export: assets with their fonts at kExportDpi, the template (null:
// none) and the scaled copy of it that one thread keeps.
struct ExportLook {
    const RenderAssets& assets;
    const QImage& templateImage;
    TemplateCache* cache = nullptr;
};

// The names of the outputs of `job`, written into `folder` after `name`
// ("track" when empty). `source` is the file the track was read from, which
// no output writes over; empty for none.
OutputNames ExportNames(const TrackJob& job, const QString& folder, const QString& name,
                        const QString& source);

// The picture of `job` an output of kind `which` is made from: the canvas
// as the editor shows it, with a map's picture under the track, or the
// ground, without it.
Result<QImage> DrawTrackPicture(const TrackJob& job, const ExportLook& look, OutputPicture which);

// The choices a track's outputs are made with: `choices`, with the car the
// track's frame file names when they name none.
OutputChoices TrackChoices(OutputChoices choices, const TrackJob& job);

// One track from its record to its last output, for the editor's Export for
// Simulators and for every track of velmora-export alike: the car its frame
// file names unless `choices` name one, the picture when an output needs
// it, then every output asked for. Refuses, before anything is written, to
// write over the picture of the map the track was read from. The facts of
// the outputs go to `facts`, what was written not quite as asked to
// `warnings`.
// `written`, when given, gets the paths of the files and folders written.
Status ExportTrack(const OutputChoices& choices, const TrackJob& job, const OutputNames& names,
                   const ExportLook& look, int encodeThreads, std::vector<std::string>& facts,
                   std::vector<std::string>& warnings, EncodeProgress* progress = nullptr,
                   QStringList* written = nullptr);

} // namespace velmora
