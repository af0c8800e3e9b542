#include "core/formats/file_names.h"

#include <algorithm>
#include <cctype>

namespace velmora {

namespace {

// Offset of the "." that starts the extension, or npos.
std::size_t ExtensionDot(std::string_view path)
{
    const std::size_t nameStart = [&] {
        const std::size_t sep = path.find_last_of("\\/");
        return sep == std::string_view::npos ? 0 : sep + 1;
    }();
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart || dot == nameStart)
        return std::string_view::npos;
    if (path.find(' ', dot) != std::string_view::npos)
        return std::string_view::npos;
    return dot;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<std::string_view> PathExtension(std::string_view path)
{
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string_view::npos)
        return std::nullopt;
    return path.substr(dot + 1);
}

std::string WithTrackExtension(std::string_view path)
{
    const std::size_t dot = ExtensionDot(path);
    if (dot != std::string_view::npos && path.substr(dot + 1) == "trk")
        return std::string(path);
    std::string fixed(path.substr(0, dot)); // npos keeps the whole path
    fixed += ".trk";
    return fixed;
}

ImageTarget ChooseImageTarget(std::string_view path)
{
    const std::optional<std::string_view> ext = PathExtension(path);
    if (ext && EqualsIgnoringCase(*ext, "png"))
        return {std::string(path), ImageFormat::Png};
    if (ext && EqualsIgnoringCase(*ext, "bmp"))
        return {std::string(path), ImageFormat::Bmp};
    return {std::string(path) + ".png", ImageFormat::Png};
}

} // namespace velmora
