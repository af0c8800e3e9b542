#include "export_tool/tool_words.h"

#include "outputs/output_table.h"

#include <regex>

namespace velmora {

namespace {

// What the outputs and the map reading tell the user to change, as the
// editor says it, and as the command line does: the options by name.
struct Wording {
    const char* editor; // a regular expression
    const char* tool;   // its replacement, $1 for a number the editor's words carry
};

const Wording kWordings[] = {
    {kChooseAnotherFolder, "give --out-dir"},
    {"give the track width \\(8 m, say\\)", "give the track width (--track-width 8m, say)"},
    {"closing wall gaps up to ([0-9.]+) m closes it", "--close-gaps $1 closes it"},
    {"closing wall gaps up to ([0-9.]+) m makes one loop of it", "--close-gaps $1 makes one loop of it"},
    {"closing wall gaps up to ([0-9.]+) m does not help", "--close-gaps $1 does not help"},
    {"closing wall gaps also narrows", "--close-gaps also narrows"},
    {"than closing wall gaps lets the search pass", "than --close-gaps lets the search pass"},
    {"ignoring obstacles up to ([0-9.]+) m ignores it", "--min-obstacle $1 ignores it"},
    {"give the start (-?[0-9.]+,-?[0-9.]+) m", "give --start $1"},
    {"give the track's start$", "give the track's start with --start X,Y"},
};

} // namespace

std::string InToolWords(std::string message)
{
    static const std::vector<std::pair<std::regex, std::string>> wordings = [] {
        std::vector<std::pair<std::regex, std::string>> all;
        for (const Wording& w : kWordings)
            all.emplace_back(std::regex(w.editor), w.tool);
        return all;
    }();
    for (const auto& [editor, tool] : wordings)
        message = std::regex_replace(message, editor, tool);
    return message;
}

} // namespace velmora
