#include "core/formats/track_file.h"

#include "core/formats/code_page.h"
#include "core/formats/number_text.h"
#include "core/track/rounding.h"

#include <vector>

namespace velmora {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Line 1 ends at the first CR, LF or NUL, so the path can hold none of them.
std::string OnOneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return text;
}

// Later lines end only at CR LF pairs and reading stops at a NUL: a text may
// keep a lone CR or LF, but a pair or a NUL would cut the file short.
std::string WithoutLineEnds(std::string text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0' || (text[i] == '\n' && i > 0 && text[i - 1] == '\r'))
            text[i] = ' ';
    }
    return text;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = s.find(separator);
        parts.push_back(s.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        s.remove_prefix(at + 1);
    }
}

std::string_view Field(const std::vector<std::string_view>& fields, std::size_t i)
{
    return i < fields.size() ? fields[i] : std::string_view{};
}

std::int32_t IntegerField(std::string_view text)
{
    return LowInt32(ReadIntegerText(text));
}

std::int32_t RoundedField(std::string_view text)
{
    return ToInt32Saturated(RoundHalfEven(ReadFloatText(text)));
}

// Where the n-th comma from the end stands (n from 1), or npos.
std::size_t CommaFromEnd(std::string_view s, int n)
{
    std::size_t at = s.size();
    for (int i = 0; i < n; ++i) {
        if (at == 0)
            return std::string_view::npos;
        at = s.rfind(',', at - 1);
        if (at == std::string_view::npos)
            return at;
    }
    return at;
}

// Label lines are text, x, y, size. The text may hold commas itself, so the
// numbers are taken from the last three fields and the text is all before
// them; a line in the written form reads the same either way.
TextLabel ReadLabel(std::string_view piece)
{
    const std::vector<std::string_view> fields = Split(piece, ',');
    TextLabel label;
    std::size_t first = 1;
    if (fields.size() > 4) {
        label.text = Cp1252ToUtf8(piece.substr(0, CommaFromEnd(piece, 3)));
        first = fields.size() - 3;
    } else {
        label.text = Cp1252ToUtf8(fields[0]);
    }
    label.x = IntegerField(Field(fields, first));
    label.y = IntegerField(Field(fields, first + 1));
    label.size = IntegerField(Field(fields, first + 2));
    return label;
}

// The cursor line: four numbers, then the last command as the rest of the
// line. The writer puts one blank after the comma and the reader takes it
// off again, so saving and loading repeatedly keeps the text as it was.
TrackCursor ReadCursor(std::string_view piece)
{
    const std::vector<std::string_view> fields = Split(piece, ',');
    TrackCursor c;
    c.length = ReadFloatText(Field(fields, 0));
    c.x = ReadFloatText(Field(fields, 1));
    c.y = ReadFloatText(Field(fields, 2));
    c.angle = ReadFloatText(Field(fields, 3));
    if (fields.size() > 4) {
        std::string_view rest = piece;
        for (int i = 0; i < 4; ++i)
            rest.remove_prefix(rest.find(',') + 1);
        if (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        c.lastSegment = Cp1252ToUtf8(rest);
    }
    return c;
}

enum class Section { None, Text, Cursor, Markers };

// The reader's place in the file. `complete` counts the sections met in the
// order the writer puts them: text, cursor, start angle, markers.
struct ReadState {
    Section section = Section::None;
    int complete = 0;
};

constexpr int kAllSections = 4;

void Reached(ReadState& state, int step)
{
    if (state.complete == step)
        state.complete = step + 1;
}

// The line that sets the start angle: "StartAngle = 90". Label and cursor
// lines always hold commas, so a line with a comma is never taken for it.
bool ReadStartAngle(std::string_view piece, TrackModel& model)
{
    if (piece.find(',') != std::string_view::npos)
        return false;
    const std::vector<std::string_view> parts = Split(piece, ' ');
    if (parts[0] != "StartAngle")
        return false;
    model.StartAngle = RoundedField(Field(parts, 2));
    return true;
}

void ReadPiece(std::string_view rawPiece, ReadState& state, TrackModel& model)
{
    const std::string_view piece = TrimBlanks(rawPiece);
    if (piece.empty())
        return;
    if (piece == "*text*") {
        state.section = Section::Text;
        Reached(state, 0);
        return;
    }
    if (piece == "*cursor*") {
        state.section = Section::Cursor;
        Reached(state, 1);
        return;
    }
    if (piece == "*markers*") {
        state.section = Section::Markers;
        Reached(state, 3);
        return;
    }
    if (ReadStartAngle(piece, model)) {
        Reached(state, 2);
        return;
    }
    switch (state.section) {
    case Section::None:
        break;
    case Section::Text:
        model.labels.push_back(ReadLabel(piece));
        break;
    case Section::Cursor: {
        // Trailing blanks belong to the last command ("L 300 200 ").
        std::string_view line = rawPiece;
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        model.cursor = ReadCursor(line);
        break;
    }
    case Section::Markers: {
        const std::vector<std::string_view> fields = Split(piece, ',');
        model.markers.push_back(
            {IntegerField(fields[0]), RoundedField(Field(fields, 1)), RoundedField(Field(fields, 2))});
        break;
    }
    }
}

} // namespace

std::string WriteTrackFile(const TrackModel& model)
{
    std::string out = Utf8ToCp1252(OnOneLine(model.TrackPath));
    out += kCrLf;
    out += "*text*\r\n";
    for (const TextLabel& l : model.labels) {
        out += Utf8ToCp1252(WithoutLineEnds(l.text));
        out += ", " + std::to_string(l.x) + ", " + std::to_string(l.y) + ", " + std::to_string(l.size);
        out += kCrLf;
    }
    const TrackCursor& c = model.cursor;
    out += "*cursor*\r\n";
    out += FormatFloat10(c.length) + ", " + FormatFloat10(c.x) + ", " + FormatFloat10(c.y) + ", " +
           FormatFloat10(c.angle) + ", " + Utf8ToCp1252(WithoutLineEnds(c.lastSegment));
    out += kCrLf;
    out += "StartAngle = " + FormatFloat10(model.StartAngle);
    out += kCrLf;
    out += "*markers*\r\n";
    for (const RLMarker& m : model.markers) {
        out += std::to_string(m.type) + ", " + std::to_string(m.x) + ", " + std::to_string(m.y) + ", ";
        out += kCrLf;
    }
    return out;
}

bool LooksLikeTrackFile(std::string_view bytes)
{
    const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u == 0x7F)
            return false;
    }
    // Close Loop is not disabled by an Undo that empties the track, so the
    // editor itself can save a path that begins with "Z"; its own files must
    // load again.
    const std::size_t first = line.find_first_not_of(" \t");
    if (line.empty() || (first != std::string_view::npos && (line[first] == 'Z' || line[first] == 'z')))
        return true;
    if (first == std::string_view::npos || (line[first] != 'M' && line[first] != 'm'))
        return false;
    // A moveto takes a point: "MIT License" is a text file, not a track.
    const std::size_t point = line.find_first_not_of(" \t,", first + 1);
    return point != std::string_view::npos &&
           std::string_view("0123456789+-.").find(line[point]) != std::string_view::npos;
}

bool ReadTrackFile(std::string_view bytes, TrackModel& model)
{
    // Nothing after a NUL byte is read.
    bytes = bytes.substr(0, bytes.find('\0'));

    const std::size_t lineEnd = bytes.find_first_of("\r\n");
    model.TrackPath = Cp1252ToUtf8(bytes.substr(0, lineEnd));
    std::string_view rest;
    if (lineEnd != std::string_view::npos) {
        const bool pair = bytes.compare(lineEnd, 2, kCrLf) == 0;
        rest = bytes.substr(lineEnd + (pair ? 2 : 1));
    }

    model.labels.clear();
    model.markers.clear();
    model.RedoStack.clear();
    ClearCursor(model);

    // Only pieces closed by CR LF are read; text after the last pair is not.
    ReadState state;
    for (std::size_t end = rest.find(kCrLf); end != std::string_view::npos; end = rest.find(kCrLf)) {
        ReadPiece(rest.substr(0, end), state, model);
        rest.remove_prefix(end + 2);
    }
    return state.complete == kAllSections;
}

} // namespace velmora
