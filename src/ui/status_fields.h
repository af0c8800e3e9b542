#pragma once

#include "core/formats/number_text.h"

#include <array>

class QLabel;
class QStatusBar;

namespace velmora {

// A status bar of three framed fields with centred text, side by side from
// the bar's left edge, `widths` pixels wide each and as tall as the bar. The
// fields are placed by hand: the bar's own layout puts spacing before and
// between its items, which would push the last field past the window's edge.
// `fields` receives the three labels, owned by the bar.
QStatusBar* MakeStatusBar(const std::array<int, 3>& widths, std::array<QLabel*, 3>& fields);

} // namespace velmora
