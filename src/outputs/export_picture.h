#pragma once

#include "core/result.h"
#include "core/settings/settings.h"
#include "core/track/track_model.h"
#include "render/redraw.h"

#include <QImage>

namespace velmora {

// Labels of the exported pictures are drawn at the editor's reference
// resolution, so that they are the same on every display and from the
// editor and the tool alike: load the fonts of the assets at this one.
inline constexpr double kExportDpi = 96;

// The canvas picture as the editor's Export takes it, drawn afresh with
// `assets` (fonts at kExportDpi) over `templateImage` (null: none) over
// `mapPicture` (null: none). `cache` keeps the scaled template between calls
// of one thread.
Result<QImage> DrawExportPicture(const TrackModel& model, const Settings& settings, const RenderAssets& assets,
                                 const QImage& templateImage, TemplateCache* cache,
                                 const QImage& mapPicture = QImage());

} // namespace velmora
