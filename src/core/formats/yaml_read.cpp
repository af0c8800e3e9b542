#include "core/formats/yaml_read.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace velmora {

namespace {

std::string LineOf(const YAML::Mark& mark)
{
    return mark.is_null() ? std::string() : "line " + std::to_string(mark.line + 1) + ": ";
}

// The value as a message shows it.
std::string Shown(const YAML::Node& value)
{
    if (value.IsScalar())
        return QuotedField(value.Scalar());
    return value.IsSequence() ? "a list" : value.IsMap() ? "a map" : "nothing";
}

// YAML allows no control bytes but tab and line ends; the library would call
// one an "unknown escape character". UTF-16 and UTF-32 text, which it
// reads, starts with a byte order mark and is left to it.
Status NoControlBytes(std::string_view text)
{
    const std::string_view start = text.substr(0, 2);
    if (start == "\xFF\xFE" || start == "\xFE\xFF" || start == std::string_view("\0\0", 2))
        return {};
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
            const auto line = std::count(text.begin(), text.begin() + std::ptrdiff_t(i), '\n') + 1;
            return Fail("line " + std::to_string(line) + ": not YAML: a control byte (" + std::to_string(c) + ")");
        }
    }
    return {};
}

} // namespace

std::string YamlAt(const YAML::Node& node)
{
    return LineOf(node.Mark());
}

Result<YAML::Node> LoadYamlMap(std::string_view text, std::size_t maxBytes)
{
    if (text.size() > maxBytes)
        return Fail("the file is " + std::to_string(text.size()) + " bytes; at most " + std::to_string(maxBytes) +
                    " are read");
    if (Status s = NoControlBytes(text); !s)
        return Fail(s.error());
    YAML::Node doc;
    try {
        doc = YAML::Load(std::string(text));
    } catch (const YAML::Exception& e) {
        return Fail(LineOf(e.mark) + "not YAML: " + e.msg);
    }
    if (!doc.IsDefined() || doc.IsNull())
        return YAML::Node(YAML::NodeType::Map);
    if (!doc.IsMap())
        return Fail(YamlAt(doc) + "expected \"key: value\" lines");
    return doc;
}

Status KeysOnce(const YAML::Node& map)
{
    std::set<std::string> seen;
    for (const auto& entry : map)
        if (entry.first.IsScalar() && !seen.insert(entry.first.Scalar()).second)
            return Fail(YamlAt(entry.first) + entry.first.Scalar() + " is given twice");
    return {};
}

Result<double> YamlNumber(const YAML::Node& value, std::string_view key)
{
    const std::string text = value.IsScalar() ? value.Scalar() : std::string();
    const std::string_view trimmed = TrimBlanks(text);
    const DecimalScan scan = ScanDecimal(trimmed);
    if (!value.IsScalar() || scan.length == 0 || scan.length != trimmed.size() || !std::isfinite(scan.value))
        return Fail(YamlAt(value) + std::string(key) + " must be a plain decimal number, not " + Shown(value));
    return scan.value;
}

Result<std::vector<double>> YamlNumbers(const YAML::Node& value, std::size_t count, std::string_view key,
                                        std::string_view shape)
{
    if (!value.IsSequence() || value.size() != count)
        return Fail(YamlAt(value) + std::string(shape));
    std::vector<double> numbers;
    for (std::size_t i = 0; i < count; ++i) {
        const Result<double> v = YamlNumber(value[i], key);
        if (!v)
            return Fail(v.error());
        numbers.push_back(*v);
    }
    return numbers;
}

Result<std::string> YamlString(const YAML::Node& value, std::string_view key)
{
    if (value.IsNull())
        return std::string();
    if (!value.IsScalar())
        return Fail(YamlAt(value) + std::string(key) + " needs text, not " + Shown(value));
    return value.Scalar();
}

} // namespace velmora
