#include "core/formats/centreline_rows.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace velmora {

namespace {

enum Column { kX, kY, kRight, kLeft, kColumnCount };

constexpr std::string_view kColumns[kColumnCount] = {"x_m", "y_m", "w_tr_right_m", "w_tr_left_m"};

// Tabs and spaces are one separator: whitespace-separated tables mix them to
// line their columns up.
constexpr char kBlanks = ' ';

// Where each column is and how fields are separated, from the header or the
// first row.
struct Layout {
    char separator = ',';
    std::size_t field[kColumnCount] = {0, 1, 2, 3};
    bool named = false;           // by a header; otherwise by position
    bool widths = false;          // named: both widths are columns
    std::size_t headerFields = 0; // named: how many fields the header has
    std::size_t line = 0;         // the line the layout was taken from
};

std::string AtLine(std::size_t line)
{
    return "line " + std::to_string(line) + ": ";
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The lines of the text, numbered from 1, without the blanks around them.
// Lines end in LF, CR LF or a lone CR (old spreadsheet exports).
class Lines {
public:
    explicit Lines(std::string_view bytes) : rest_(bytes)
    {
        if (rest_.substr(0, 3) == "\xEF\xBB\xBF")
            rest_.remove_prefix(3);
    }

    bool Next(std::string_view& text)
    {
        if (rest_.empty())
            return false;
        ++number_;
        const std::size_t end = rest_.find_first_of("\r\n");
        text = TrimBlanks(rest_.substr(0, end));
        const bool pair = end != std::string_view::npos && rest_.substr(end, 2) == "\r\n";
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + (pair ? 2 : 1));
        return true;
    }

    std::size_t Number() const { return number_; }

private:
    std::string_view rest_;
    std::size_t number_ = 0;
};

void SplitFields(std::string_view text, char separator, std::vector<std::string_view>& fields)
{
    fields.clear();
    if (separator == kBlanks) {
        const auto blank = [](char c) { return c == ' ' || c == '\t'; };
        for (auto at = text.begin(); at != text.end();) {
            const auto end = std::find_if(at, text.end(), blank);
            if (end != at)
                fields.emplace_back(&*at, static_cast<std::size_t>(end - at));
            at = std::find_if_not(end, text.end(), blank);
        }
        return;
    }
    for (;;) {
        const std::size_t at = text.find(separator);
        fields.push_back(TrimBlanks(text.substr(0, at)));
        if (at == std::string_view::npos)
            return;
        text.remove_prefix(at + 1);
    }
}

// Every comma stands between two digits, as in "1,5".
bool CommasBetweenDigits(std::string_view text)
{
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ',')
            continue;
        if (i == 0 || i + 1 == text.size() || !IsDigit(text[i - 1]) || !IsDigit(text[i + 1]))
            return false;
        any = true;
    }
    return any;
}

// The separator a line uses. Commas between digits in a line that also has
// blanks are decimal commas, not the separator.
char SeparatorOf(std::string_view text)
{
    if (text.find(';') != std::string_view::npos)
        return ';';
    const bool comma = text.find(',') != std::string_view::npos;
    if (comma && text.find_first_of(" \t") != std::string_view::npos && CommasBetweenDigits(text))
        return kBlanks;
    return comma ? ',' : kBlanks;
}

std::string SeparatorName(char separator)
{
    return separator == ',' ? "commas" : separator == ';' ? "semicolons" : "tabs or blanks";
}

bool Names(std::string_view name, Column c)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    switch (c) {
    case kX:
        return EqualsIgnoringAsciiCase(name, "x_m") || EqualsIgnoringAsciiCase(name, "x");
    case kY:
        return EqualsIgnoringAsciiCase(name, "y_m") || EqualsIgnoringAsciiCase(name, "y");
    default:
        return EqualsIgnoringAsciiCase(name, kColumns[c]);
    }
}

// The columns a header line names; nothing when it names no x and y.
std::optional<Layout> HeaderLayout(std::string_view text, std::size_t line, std::vector<std::string_view>& fields)
{
    Layout layout;
    layout.separator = SeparatorOf(text);
    SplitFields(text, layout.separator, fields);
    constexpr std::size_t kNone = std::string_view::npos;
    std::fill(std::begin(layout.field), std::end(layout.field), kNone);
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (int c = kX; c < kColumnCount; ++c)
            if (layout.field[c] == kNone && Names(fields[i], Column(c)))
                layout.field[c] = i;
    if (layout.field[kX] == kNone || layout.field[kY] == kNone)
        return std::nullopt;
    layout.named = true;
    layout.widths = layout.field[kRight] != kNone && layout.field[kLeft] != kNone;
    layout.headerFields = fields.size();
    layout.line = line;
    return layout;
}

// Decimal commas cannot be told from separators by the numbers alone, so
// the signs are looked for: a comma between digits where another separator
// is in use; or, in a comma-separated line without a decimal point, a field
// after the first that starts with 0 and another digit (the fraction of
// "-0,320123"), a first field "-0", or more fields than the header names.
bool HasDecimalCommas(std::string_view text, const Layout& layout, const std::vector<std::string_view>& fields)
{
    if (layout.separator != ',')
        return std::any_of(fields.begin(), fields.end(), [](std::string_view f) {
            return f.find('.') == std::string_view::npos && CommasBetweenDigits(f);
        });
    if (text.find_first_of(".eE") != std::string_view::npos)
        return false;
    if (fields.front() == "-0" || fields.front() == "+0")
        return true;
    if (layout.named && fields.size() > layout.headerFields && fields.size() <= 2 * layout.headerFields)
        return true;
    return std::any_of(fields.begin() + 1, fields.end(),
                       [](std::string_view f) { return f.size() >= 2 && f[0] == '0' && IsDigit(f[1]); });
}

// A plain decimal number filling the whole field: no "nan", "inf", hex or
// trailing text, and finite.
Result<double> ReadField(std::string_view field, Column column, std::size_t line)
{
    const DecimalScan scan = ScanDecimal(field);
    const std::string name(kColumns[column]);
    if (scan.length == 0 || scan.length != field.size())
        return Fail(AtLine(line) + name + " is not a number: " + QuotedField(field));
    if (!std::isfinite(scan.value))
        return Fail(AtLine(line) + name + " is too large: " + QuotedField(field));
    return scan.value;
}

// A row too short for x and y that is separated otherwise than the table:
// why, or nothing when that is not the reason.
std::string OtherSeparator(std::string_view text, std::size_t line, const Layout& layout)
{
    std::vector<std::string_view> own;
    const char separator = SeparatorOf(text);
    SplitFields(text, separator, own);
    if (separator == layout.separator || own.size() < 2)
        return {};
    return AtLine(line) + "fields separated by " + SeparatorName(separator) + " where line " +
           std::to_string(layout.line) + " has " + SeparatorName(layout.separator);
}

// Why a row has no field for `column`.
std::string MissingField(std::size_t line, const Layout& layout, Column column)
{
    if (layout.named)
        return AtLine(line) + "no " + std::string(kColumns[column]) + " (field " +
               std::to_string(layout.field[column] + 1) + " of the header on line " +
               std::to_string(layout.line) + ")";
    // The first row, which the separator is taken from, has none.
    const std::string separators =
        line == layout.line ? "commas, semicolons, tabs or blanks" : SeparatorName(layout.separator);
    return AtLine(line) + "needs x_m and y_m separated by " + separators;
}

Result<CentrelineRow> ReadRow(std::string_view text, std::size_t line, const Layout& layout,
                              std::vector<std::string_view>& fields)
{
    SplitFields(text, layout.separator, fields);
    if (HasDecimalCommas(text, layout, fields))
        return Fail(AtLine(line) + "decimal commas in " + QuotedField(text) +
                    ": write the numbers with a decimal point (1.5, not 1,5)");
    // A row may leave the widths out; by position, fields up to the fourth
    // are read, and the widths count when both are there.
    const bool widths = layout.widths && layout.field[kRight] < fields.size() && layout.field[kLeft] < fields.size();
    const int columns = layout.named ? (widths ? kColumnCount : 2)
                                     : int(std::min<std::size_t>(fields.size(), kColumnCount));
    if (fields.size() <= std::max(layout.field[kX], layout.field[kY]))
        if (std::string other = OtherSeparator(text, line, layout); !other.empty())
            return Fail(other);
    CentrelineRow row;
    row.line = line;
    double* into[kColumnCount] = {&row.x, &row.y, &row.widthRight, &row.widthLeft};
    for (int c = kX; c < std::max(columns, 2); ++c) {
        if (layout.field[c] >= fields.size())
            return Fail(MissingField(line, layout, Column(c)));
        const Result<double> value = ReadField(fields[layout.field[c]], Column(c), line);
        if (!value)
            return Fail(value.error());
        *into[c] = *value;
    }
    row.hasWidths = columns == kColumnCount;
    return row;
}

// The layout of a table without a header: by position, separated as its
// first row is.
Layout PositionalLayout(std::string_view firstRow, std::size_t line)
{
    Layout layout;
    layout.separator = SeparatorOf(firstRow);
    layout.line = line;
    return layout;
}

} // namespace

Result<std::vector<CentrelineRow>> ReadCentrelineRows(std::string_view bytes)
{
    Lines lines(bytes);
    std::vector<std::string_view> fields;
    std::optional<Layout> layout;
    std::vector<CentrelineRow> rows;
    bool started = false;
    for (std::string_view text; lines.Next(text);) {
        if (text.empty())
            continue;
        if (text.front() == '#') {
            // The last comment before the first row that names the columns.
            if (!started)
                if (std::optional<Layout> header = HeaderLayout(TrimBlanks(text.substr(1)), lines.Number(), fields))
                    layout = header;
            continue;
        }
        if (!started) {
            started = true;
            if (std::optional<Layout> header = HeaderLayout(text, lines.Number(), fields)) {
                layout = header;
                continue;
            }
            if (!layout)
                layout = PositionalLayout(text, lines.Number());
        }
        if (rows.size() == kMaxCentrelineImportRows)
            return Fail(AtLine(lines.Number()) + "more than " + std::to_string(kMaxCentrelineImportRows) +
                        " points");
        const Result<CentrelineRow> row = ReadRow(text, lines.Number(), *layout, fields);
        if (!row)
            return Fail(row.error());
        rows.push_back(*row);
    }
    return rows;
}

} // namespace velmora
