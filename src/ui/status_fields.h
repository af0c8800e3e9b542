#pragma once

#include <array>

class QLabel;
class QStatusBar;

namespace velmora {

// The significant digits of the numbers the editor shows a person, in the
// status bar and in dialogs: a map's scale of 0.05000000074505806 is 0.05.
inline constexpr int kShownDigits = 5;

// A status bar of three framed fields with centred text, side by side from
// the bar's left edge, `widths` pixels wide each and as tall as the bar. The
// fields are placed by hand: the bar's own layout puts spacing before and
// between its items, which would push the last field past the window's edge.
// `fields` receives the three labels, owned by the bar.
QStatusBar* MakeStatusBar(const std::array<int, 3>& widths, std::array<QLabel*, 3>& fields);

} // namespace velmora
