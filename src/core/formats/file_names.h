#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The extension of a path: the text after its last "." when that "." lies in
// the name part (after the last "\" or "/"), is not the name's first
// character, and no blank follows it anywhere. Letter case is kept. nullopt
// when the path has none; an empty string when the name ends in ".".
std::optional<std::string_view> PathExtension(std::string_view path);

// The path with ".trk" as its extension: kept as it is when the extension is
// exactly "trk", otherwise any other extension is replaced and a missing one
// added (track.TRK -> track.trk, track -> track.trk).
std::string WithTrackExtension(std::string_view path);

enum class ImageFormat { Png, Bmp };

struct ImageTarget {
    std::string path; // the name to write, ".png" appended where needed
    ImageFormat format = ImageFormat::Png;
};

// The format an exported picture is written in, from the chosen name: "png"
// or "bmp" in any letter case pick that format and keep the name; any other
// extension, or none, gets ".png" appended and is written as PNG.
ImageTarget ChooseImageTarget(std::string_view path);

} // namespace velmora
