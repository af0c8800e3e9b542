#include "core/track/one_line.h"

#include "core/track/path.h"

namespace velmora {

namespace {

bool IsCommand(char c)
{
    // Exponents ("1e5") use letters too, but no command letter.
    return std::string_view("MmLlHhVvCcSsQqTtZzAa").find(c) != std::string_view::npos;
}

} // namespace

std::size_t SecondFigureAt(std::string_view text)
{
    if (ParsePathText(text).size() <= 1)
        return std::string_view::npos;
    bool first = true;
    bool closed = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!IsCommand(c))
            continue;
        if (c == 'Z' || c == 'z') {
            closed = true;
        } else if (!first && (closed || c == 'M' || c == 'm')) {
            return i;
        }
        first = false;
    }
    // Only a repeated Z: it closes the same loop again and adds no line.
    return std::string_view::npos;
}

} // namespace velmora
