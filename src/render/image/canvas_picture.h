#pragma once

#include "core/formats/rl_data.h"

#include <QImage>
#include <vector>

namespace velmora {

// The picture handed out by Export and Copy to Clipboard: the canvas as last
// painted, 24-bit RGB with the alpha dropped. Null when it cannot be made.
QImage CanvasPicture(const QImage& canvas);

// Marks every RL line end with an opaque red disc of radius 3 straight on the
// canvas; the next redraw paints over them.
void DrawEndMarks(QImage& canvas, const std::vector<RLPoint>& marks);

} // namespace velmora
