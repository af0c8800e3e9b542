#include "export_tool/man_page.h"

#include "outputs/output_table.h"
#include "export_tool/tool_option.h"

#include <sstream>

namespace velmora {

namespace {

// Help text as roff running text: its line breaks (set for --help's column)
// become spaces, a backslash is written \e and a minus \-.
std::string Roff(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += ' ';
        else if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    // A line that begins with a dot or a quote would be a request.
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

template <typename Option>
std::string OptionItem(const Option& option)
{
    std::string tag = "\\fB\\-\\-" + Roff(option.name) + "\\fR";
    if (option.name == std::string("help"))
        tag += ", \\fB\\-h\\fR";
    if (option.valueName)
        tag += " \\fI" + Roff(option.valueName) + "\\fR";
    return ".TP\n" + tag + "\n" + Roff(option.help) + "\n";
}

// "circuits:" and what follows it in --help: a subsection, and the
// two-column lines under the heading as one item.
std::string SectionHeading(std::string_view heading)
{
    const std::size_t end = heading.find('\n');
    std::string title(heading.substr(0, end));
    if (!title.empty() && title.back() == ':')
        title.pop_back();
    if (!title.empty() && title[0] >= 'a' && title[0] <= 'z')
        title[0] = char(title[0] - 'a' + 'A');
    std::string out = ".SS " + Roff(title) + "\n";
    if (end == std::string_view::npos)
        return out;
    std::istringstream words{std::string(heading.substr(end + 1))};
    std::string tag, word, text;
    words >> tag;
    while (words >> word)
        text += (text.empty() ? "" : " ") + word;
    return out + ".TP\n\\fI" + Roff(tag) + "\\fR\n" + Roff(text) + "\n";
}

std::string Description()
{
    std::string text = ".SH DESCRIPTION\n"
                       ".B velmora\\-export\n"
                       "uses the Velmora editor's renderer and file formats to write the outputs\n"
                       "asked for of many tracks at once, with no display. Its inputs are Velmora\n"
                       "track files, circuit centrelines (CSV) or tracks it generates. Each output\n"
                       "is named after its track (NAME) and goes beside it or into\n"
                       ".BR \\-\\-out\\-dir :\n";
    for (const OutputEntry* output : Outputs())
        text += ".TP\n\\fB\\-\\-" + Roff(output->flag) + "\\fR\n\\fI" + Roff(output->files) + "\\fR: " +
                Roff(output->help) + "\n";
    return text + ".PP\n"
                  "Each track's facts (how a circuit was read, the lap time, the start pose)\n"
                  "are printed on standard output, failures and warnings on standard error,\n"
                  "one line each, naming the track.\n";
}

std::string Options()
{
    std::string text = ".SH OPTIONS\n";
    for (const OptionSection& section : OptionSections()) {
        if (section.heading)
            text += SectionHeading(section.heading);
        for (const ToolOption& option : section.options)
            text += OptionItem(option);
    }
    text += ".SS Options of the outputs\n";
    for (const OutputEntry* output : Outputs())
        for (const OutputOption& option : output->options)
            text += OptionItem(option);
    return text;
}

constexpr char kExitStatus[] = ".SH EXIT STATUS\n"
                               ".TP\n.B 0\nevery track was exported as asked\n"
                               ".TP\n.B 1\n"
                               "a track failed (the others are still written), or a template or image\n"
                               "exists but could not be decoded\n"
                               ".TP\n.B 2\n"
                               "a usage error: an unknown option, a value out of range or a vehicle\n"
                               "that cannot be read; nothing is written\n";

constexpr char kExamples[] = ".SH EXAMPLES\n"
                             "Pictures, RL data and centrelines of every track in a folder:\n"
                             ".PP\n.nf\n"
                             "velmora\\-export \\-\\-png \\-\\-rl \\-\\-centreline \\-\\-out\\-dir out \\e\n"
                             "    Tracks/*.trk\n"
                             ".fi\n.PP\n"
                             "A real circuit to a track file, an occupancy map and a race line:\n"
                             ".PP\n.nf\n"
                             "velmora\\-export \\-\\-trk \\-\\-ros\\-map \\-\\-raceline \\-\\-out\\-dir out \\e\n"
                             "    Monza.csv\n"
                             ".fi\n.PP\n"
                             "A thousand generated tracks for training, quietly:\n"
                             ".PP\n.nf\n"
                             "velmora\\-export \\-\\-generate 1000 \\-\\-seed 7 \\-\\-trk \\-\\-png \\-\\-rl \\e\n"
                             "    \\-\\-quiet \\-\\-out\\-dir training\n"
                             ".fi\n";

constexpr char kFiles[] = ".SH FILES\n"
                          ".TP\n.I Preferences.ini\n"
                          "The settings to draw with: the editor's, beside the program or in the\n"
                          "user's folder\n"
                          ".RI ( $XDG_DATA_HOME/velmora ,\n"
                          "by default\n"
                          ".IR ~/.local/share/velmora ),\n"
                          "unless\n"
                          ".B \\-\\-prefs\n"
                          "names another.\n"
                          ".TP\n.I Images/surface.png, Images/start.png, Images/marker.png\n"
                          "The pictures the track is drawn with, beside the program unless\n"
                          ".B \\-\\-images\n"
                          "names another folder.\n";

} // namespace

std::string ExportManPage(const std::string& version)
{
    return ".TH VELMORA\\-EXPORT 1 \"\" \"velmora " + Roff(version) +
           "\" \"User Commands\"\n"
           ".ad l\n.nh\n"
           ".SH NAME\n"
           "velmora\\-export \\- draw, convert and generate Velmora race tracks without a display\n"
           ".SH SYNOPSIS\n"
           ".B velmora\\-export\n"
           "[\\fIOPTION\\fR]... \\fIOUTPUT\\fR... \\fITRACK.trk\\fR|\\fICIRCUIT.csv\\fR...\n"
           ".br\n"
           ".B velmora\\-export\n"
           "[\\fIOPTION\\fR]... \\fIOUTPUT\\fR... \\fB\\-\\-generate\\fR \\fIN\\fR\n"
           "[\\fB\\-\\-seed\\fR \\fIS\\fR]\n" +
           Description() + Options() + kExitStatus + kExamples + kFiles +
           ".SH SEE ALSO\n"
           ".BR velmora (1)\n";
}

} // namespace velmora
