#include "core/settings/prefs_file.h"

#include "core/formats/code_page.h"
#include "core/formats/number_text.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace velmora {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Every key with the field it fills, in file order.
struct Key {
    const char* name;
    double Settings::*real = nullptr;
    std::int32_t Settings::*integer = nullptr;
    ARGB Settings::*colour = nullptr;
    std::string Settings::*text = nullptr;
};

const Key kKeys[] = {
    {"CanvasWidth", &Settings::CanvasWidth},
    {"CanvasHeight", &Settings::CanvasHeight},
    {"TrackWidth", &Settings::TrackWidth},
    {"MarkerGap", &Settings::MarkerGap},
    {"TextFont", nullptr, nullptr, nullptr, &Settings::TextFont},
    {"LgText", nullptr, &Settings::LgText},
    {"MedText", nullptr, &Settings::MedText},
    {"SmText", nullptr, &Settings::SmText},
    {"Markers", nullptr, &Settings::Markers},
    {"AngleLimit", nullptr, &Settings::AngleLimit},
    {"ShowDots", nullptr, &Settings::ShowDots},
    {"ShowBorder", nullptr, &Settings::ShowBorder},
    {"RedWhite", nullptr, &Settings::RedWhite},
    {"DotColor", nullptr, nullptr, &Settings::DotColor},
    {"LineColor", nullptr, nullptr, &Settings::LineColor},
    {"LargeTextColor", nullptr, nullptr, &Settings::LargeTextColor},
    {"MediumTextColor", nullptr, nullptr, &Settings::MediumTextColor},
    {"SmallTextColor", nullptr, nullptr, &Settings::SmallTextColor},
    {"BGColor", nullptr, nullptr, &Settings::BGColor},
};

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimStart(std::string_view s)
{
    while (!s.empty() && IsBlankOrTab(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimEnd(std::string_view s)
{
    while (!s.empty() && IsBlankOrTab(s.back()))
        s.remove_suffix(1);
    return s;
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// The key lines above the first group header; comments are left out.
std::vector<KeyLine> KeyLines(std::string_view text)
{
    std::vector<KeyLine> lines;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        std::string_view line = TrimStart(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[')
            break; // no group is ever selected, so nothing below one counts
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            lines.push_back({TrimEnd(line), {}});
        else
            lines.push_back({TrimEnd(line.substr(0, eq)), TrimStart(line.substr(eq + 1))});
    }
    return lines;
}

// Optional blanks, optional sign, decimal digits; the low 32 bits of the
// result, so a colour written unsigned reads as the same colour.
std::int32_t ReadDecimalInt(std::string_view text)
{
    text = TrimStart(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (negative)
        value = ~value + 1;
    return LowInt32(static_cast<std::int64_t>(value));
}

void Apply(const Key& key, std::string_view value, Settings& s)
{
    if (key.real)
        s.*key.real = ReadFloatText(TrimEnd(value));
    else if (key.integer)
        s.*key.integer = ReadDecimalInt(value);
    else if (key.colour)
        s.*key.colour = static_cast<ARGB>(ReadDecimalInt(value));
    else
        s.*key.text = std::string(TrimEnd(TrimStart(value)));
}

std::string ValueText(const Key& key, const Settings& s)
{
    if (key.real)
        return FormatFloatG64(s.*key.real);
    if (key.integer)
        return std::to_string(s.*key.integer);
    if (key.colour)
        return std::to_string(static_cast<std::int32_t>(s.*key.colour));
    return s.*key.text;
}

} // namespace

std::string WritePrefs(const Settings& s)
{
    std::string out(kBom);
    out += "\r\n";
    for (const Key& key : kKeys) {
        out += key.name;
        out += " = ";
        out += ValueText(key, s);
        out += "\r\n";
    }
    return out;
}

Settings ReadPrefs(std::string_view bytes)
{
    std::string text;
    if (bytes.size() > 2 && bytes.substr(0, 3) == kBom)
        text = bytes.substr(3);
    else
        text = Latin1ToUtf8(bytes);

    const std::vector<KeyLine> lines = KeyLines(text);
    Settings s;
    for (const Key& key : kKeys) {
        for (const KeyLine& line : lines) {
            if (EqualsIgnoringAsciiCase(line.key, key.name)) {
                Apply(key, line.value, s);
                break; // the first line with the key wins
            }
        }
    }
    return s;
}

PrefsLoad LoadPrefs(const std::filesystem::path& folder)
{
    const std::filesystem::path file = folder / kPrefsFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return {Settings{}, true};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {Settings{}, true};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return {ReadPrefs(bytes.str()), false};
}

} // namespace velmora
