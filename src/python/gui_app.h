#pragma once

namespace velmora {

// Drawing needs a QGuiApplication (fonts). Makes one, without a display
// (the offscreen platform), unless the process has one already; a
// QCoreApplication without the GUI cannot be drawn with and is refused
// with false. Call with the interpreter's lock held.
bool EnsureGuiApplication();

} // namespace velmora
