#include "export_tool/export_options.h"

#include "core/formats/number_text.h"
#include "core/track/world_frame.h"
#include "export_tool/generate_options.h"
#include "export_tool/interop_options.h"
#include "export_tool/map_options.h"
#include "outputs/output_table.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>
#include <type_traits>

namespace velmora {

namespace {

constexpr int kHelpColumn = 22; // where the help texts of the options begin

Status ReadPrefs(const std::string& v, ExportOptions& o)
{
    o.prefsFile = v;
    return {};
}

Status ReadImages(const std::string& v, ExportOptions& o)
{
    o.imagesDir = v;
    return {};
}

Status ReadTemplate(const std::string& v, ExportOptions& o)
{
    o.templateImage = v;
    return {};
}

Status ReadOutDir(const std::string& v, ExportOptions& o)
{
    o.outDir = v;
    return {};
}

Status ReadScale(const std::string& v, ExportOptions& o)
{
    if (!ReadPositive(v, o.metresPerPixel, kMaxMetresPerPixel) || o.metresPerPixel < kMinMetresPerPixel)
        return Fail("--scale needs a number from " + FormatShortest(kMinMetresPerPixel) + " to " +
                    FormatShortest(kMaxMetresPerPixel) + ", not \"" + v + "\"");
    o.scaleGiven = true;
    return {};
}

// Two finite numbers "X,Y", whatever the locale.
Status ReadOrigin(const std::string& v, ExportOptions& o)
{
    const std::size_t comma = v.find(',');
    const auto number = [](std::string_view text, double& out) {
        const DecimalScan scan = ScanDecimal(text);
        out = scan.value;
        return scan.length != 0 && scan.length == text.size() && WithinWorld(scan.value);
    };
    const std::string_view text(v);
    if (comma == std::string::npos || !number(text.substr(0, comma), o.originX) ||
        !number(text.substr(comma + 1), o.originY))
        return Fail("--origin needs two numbers X,Y of metres, each within " + FormatShortest(kMaxWorldMetres) +
                    " of 0, not \"" + v + "\"");
    o.originGiven = true;
    return {};
}

Status ReadSpacing(const std::string& v, ExportOptions& o)
{
    if (!ReadPositive(v, o.spacing))
        return Fail("--spacing needs a number of metres greater than 0, not \"" + v + "\"");
    return {};
}

// A whole number of jobs; more than a machine could ever run at once is a
// typing error, not a wish.
Status ReadJobs(const std::string& v, ExportOptions& o)
{
    const bool digits = !v.empty() && v.size() <= 4 && v.find_first_not_of("0123456789") == std::string::npos;
    const int jobs = digits ? std::stoi(v) : 0;
    if (jobs < 1 || jobs > kMaxJobs)
        return Fail("--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not \"" + v +
                    "\"");
    o.jobs = jobs;
    return {};
}

Status ReadQuiet(const std::string&, ExportOptions& o)
{
    o.quiet = true;
    return {};
}

Status ReadHelp(const std::string&, ExportOptions& o)
{
    o.help = true;
    return {};
}

Status ReadVersion(const std::string&, ExportOptions& o)
{
    o.version = true;
    return {};
}

constexpr ToolOption kGeneralOptions[] = {
    {"prefs", "FILE", "settings to draw with (default: the editor's Preferences.ini, else the defaults)",
     ReadPrefs},
    {"images", "DIR",
     "folder holding surface.png, start.png, marker.png (default: Images beside the program)", ReadImages},
    {"template", "IMAGE", "draw this template behind the track", ReadTemplate},
    {"scale", "M", "metres per pixel of the outputs in metres (default 0.05)", ReadScale},
    {"origin", "X,Y",
     "where the canvas's top-left corner lies in the world, in metres (default 0,0;\n"
     "a circuit keeps its own coordinates)",
     ReadOrigin},
    {"spacing", "M",
     "metres between the rows of the centreline and the other sampled outputs\n"
     "(default: the shorter of 1 m and 4 pixels)",
     ReadSpacing},
    {"out-dir", "DIR", "where outputs go (default: beside each track)", ReadOutDir},
    {"jobs", "J", "export J tracks at once (default: one per core)", ReadJobs},
    {"quiet", nullptr, "tell only failures and warnings, not each track's facts", ReadQuiet},
    {"help", nullptr, "this text", ReadHelp},
    {"version", nullptr, "the program's version", ReadVersion},
};

Status NothingToCheck(const ExportOptions&)
{
    return {};
}

const OptionSection kSections[] = {
    {nullptr, kGeneralOptions, NothingToCheck},
    kInteropSection,
    kMapSection,
    kGenerateSection,
};

// An option of the command line: a general one, or one of an output's own.
struct AnyOption {
    const char* name;
    const char* valueName;
    const char* help;
    const ToolOption* tool = nullptr;
    const OutputOption* output = nullptr;

    Status Read(const std::string& value, ExportOptions& o) const
    {
        if (tool)
            return tool->read(value, o);
        // An output's reader says what is wrong with the value; the
        // command line names the option.
        if (Status read = output->read(value, o.outputOptions); !read)
            return Fail("--" + std::string(name) + " " + read.error());
        return {};
    }
};

template <typename Option>
AnyOption Any(const Option& option)
{
    AnyOption any{option.name, option.valueName, option.help};
    if constexpr (std::is_same_v<Option, ToolOption>)
        any.tool = &option;
    else
        any.output = &option;
    return any;
}

// Every option by its name: the sections' and the outputs' own.
std::map<std::string, AnyOption> OptionsByName()
{
    std::map<std::string, AnyOption> all;
    for (const OptionSection& section : OptionSections())
        for (const ToolOption& option : section.options)
            all.emplace(option.name, Any(option));
    for (const OutputEntry* output : Outputs())
        for (const OutputOption& option : output->options)
            all.emplace(option.name, Any(option));
    return all;
}

// The first argument the parser could not place, as the user typed it: an
// unknown name, or a word after one dash ("-png").
std::string UnknownArgument(const std::vector<std::string>& args,
                            const std::map<std::string, AnyOption>& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--")
            break;
        if (a.size() < 2 || a[0] != '-' || a == "-h")
            continue;
        const std::string name = a.substr(2, a.find('=') - 2);
        const auto known = options.find(name);
        if (a[1] == '-' && OutputNamed(name))
            continue;
        if (a[1] != '-' || known == options.end())
            return a;
        if (known->second.valueName && a.find('=') == std::string::npos)
            ++i;
    }
    return args.empty() ? "" : args.back();
}

std::string OutputFlags()
{
    std::string text;
    const auto outputs = Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i)
        text += (i == 0 ? "--" : i + 1 == outputs.size() ? " or --" : ", --") + std::string(outputs[i]->flag);
    return text;
}

std::string HelpLine(const std::string& left, const char* help)
{
    std::string line = "  " + left;
    line += line.size() + 2 > kHelpColumn ? std::string(2, ' ') : std::string(kHelpColumn - line.size(), ' ');
    for (const char* c = help; *c; ++c) {
        line += *c;
        if (*c == '\n')
            line += std::string(kHelpColumn, ' ');
    }
    return line + "\n";
}

template <typename Option>
std::string OptionLine(const Option& option)
{
    std::string left = "--" + std::string(option.name);
    if (option.name == std::string("help"))
        left += ", -h";
    if (option.valueName)
        left += " " + std::string(option.valueName);
    return HelpLine(left, option.help);
}

std::string OutputsUsage()
{
    std::string text = "\noutputs, named after each track (NAME):\n";
    for (const OutputEntry* output : Outputs()) {
        const std::string help = std::string(output->files) + ": " + output->help;
        text += HelpLine("--" + std::string(output->flag), help.c_str());
        for (const OutputOption& option : output->options)
            text += OptionLine(option);
    }
    return text;
}

} // namespace

std::span<const OptionSection> OptionSections()
{
    return kSections;
}

Result<ExportOptions> ReadExportArgs(const std::vector<std::string>& args)
{
    const std::map<std::string, AnyOption> options = OptionsByName();
    QCommandLineParser parser;
    for (const auto& [name, option] : options) {
        QStringList names{QString::fromUtf8(name)};
        if (name == "help")
            names << "h";
        parser.addOption(option.valueName ? QCommandLineOption(names, {}, option.valueName)
                                           : QCommandLineOption(names));
    }
    for (const OutputEntry* output : Outputs())
        parser.addOption(QCommandLineOption(QString::fromUtf8(output->flag)));

    QStringList list{"velmora-export"};
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    if (!parser.parse(list)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Fail("unknown option " + UnknownArgument(args, options));
        for (const std::string& a : args)
            if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos &&
                OutputNamed(a.substr(2, a.find('=') - 2)))
                return Fail(a.substr(0, a.find('=')) + " takes no value");
        return Fail(args.back() + " needs a value");
    }

    ExportOptions o;
    // In the order given, so that the first mistake is the one reported.
    std::map<QString, int> seen;
    for (const QString& name : parser.optionNames()) {
        const std::string key = name == "h" ? "help" : name.toStdString();
        if (const auto it = options.find(key); it != options.end()) {
            const QStringList values = parser.values(name);
            const int k = seen[name]++;
            const std::string value = it->second.valueName ? values.value(k).toStdString() : std::string();
            if (Status s = it->second.Read(value, o); !s)
                return Fail(s.error());
        } else {
            o.outputs.insert(key);
        }
    }
    for (const QString& track : parser.positionalArguments())
        o.tracks.push_back(track.toStdString());
    return o;
}

Status CheckSections(const ExportOptions& o)
{
    for (const OptionSection& section : OptionSections())
        if (Status checked = section.check(o); !checked)
            return checked;
    return {};
}

Status CheckExportCommand(const ExportOptions& o)
{
    if (const OutputClash clash = FindOutputClash(o.Choices()); clash.first && clash.second)
        return Fail(std::string("choose one of --") + clash.first->flag + " and --" + clash.second->flag);
    if (o.tracks.empty() && o.generate == 0)
        return Fail("no track file given");
    if (o.outputs.empty())
        return Fail("nothing to write: give " + OutputFlags());
    return CheckSections(o);
}

Result<ExportOptions> ParseExportArgs(const std::vector<std::string>& args)
{
    Result<ExportOptions> o = ReadExportArgs(args);
    if (!o || o->help || o->version)
        return o;
    if (Status checked = CheckExportCommand(*o); !checked)
        return Fail(checked.error());
    return o;
}

std::string ExportUsage()
{
    std::string text = "usage: velmora-export [options] TRACK.trk|CIRCUIT.csv|MAP.yaml ...\n"
                       "       velmora-export [options] --generate N [--seed S]\n";
    for (const ToolOption& option : kGeneralOptions)
        text += OptionLine(option);
    text += OutputsUsage();
    for (const OptionSection& section : OptionSections()) {
        if (!section.heading)
            continue;
        text += "\n" + std::string(section.heading) + "\n";
        for (const ToolOption& option : section.options)
            text += OptionLine(option);
    }
    return text + "\n";
}

} // namespace velmora
