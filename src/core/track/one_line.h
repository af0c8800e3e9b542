#pragma once

#include <cstddef>
#include <string_view>

namespace velmora {

// Where a track's path goes on after its first line ends: a click after
// Close Loop ("... Z L 1000 500"), or a second moveto. The offset in the
// text of the command that begins the second figure, or npos when the path
// is a single line, as every output that follows the track along one line
// needs it.
std::size_t SecondFigureAt(std::string_view pathText);

} // namespace velmora
