#include "export_tool/tool_words.h"

#include "outputs/output_table.h"

#include <cstddef>
#include <string_view>

namespace velmora {

namespace {

// What the outputs and the map reading tell the user to change, as the
// editor says it, and as the command line does: the options by name. A
// phrase may carry a value (NUM in both texts: the number or the x,y pair
// the editor's words hold, taken over as it stands).
struct Wording {
    std::string_view editor;
    std::string_view tool;
};

const Wording kWordings[] = {
    {kChooseAnotherFolder, "give --out-dir"},
    {"give the track width (8 m, say)", "give the track width (--track-width 8m, say)"},
    {"closing wall gaps up to NUM m closes it", "--close-gaps NUM closes it"},
    {"closing wall gaps up to NUM m makes one loop of it", "--close-gaps NUM makes one loop of it"},
    {"closing wall gaps up to NUM m does not help", "--close-gaps NUM does not help"},
    {"closing wall gaps also narrows", "--close-gaps also narrows"},
    {"than closing wall gaps lets the search pass", "than --close-gaps lets the search pass"},
    {"ignoring obstacles up to NUM m ignores it", "--min-obstacle NUM ignores it"},
    {"give the start NUM m", "give --start NUM"},
};

// Only at the very end: the same words elsewhere say something else.
const Wording kAtEnd = {"give the track's start", "give the track's start with --start X,Y"};

constexpr std::string_view kValue = "NUM";

bool ValueChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ',';
}

// Replaces every occurrence of the wording's editor text, its value taken
// over; text that only looks like it (no value where one goes) stays.
std::string Replace(const std::string& message, const Wording& w)
{
    const std::size_t hole = w.editor.find(kValue);
    const std::string_view head = w.editor.substr(0, hole);
    const std::string_view tail = hole == std::string_view::npos ? "" : w.editor.substr(hole + kValue.size());
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = message.find(head); at != std::string::npos; at = message.find(head, from)) {
        std::size_t end = at + head.size();
        std::string value;
        if (hole != std::string_view::npos) {
            while (end < message.size() && ValueChar(message[end]))
                value += message[end++];
            if (value.empty() || message.compare(end, tail.size(), tail) != 0) {
                out.append(message, from, at + 1 - from);
                from = at + 1;
                continue;
            }
            end += tail.size();
        }
        std::string tool(w.tool);
        if (const std::size_t v = tool.find(kValue); v != std::string::npos)
            tool.replace(v, kValue.size(), value);
        out.append(message, from, at - from).append(tool);
        from = end;
    }
    return out.append(message, from, std::string::npos);
}

} // namespace

std::string InToolWords(std::string message)
{
    for (const Wording& w : kWordings)
        message = Replace(message, w);
    if (message.ends_with(kAtEnd.editor))
        message.replace(message.size() - kAtEnd.editor.size(), kAtEnd.editor.size(), kAtEnd.tool);
    return message;
}

} // namespace velmora
