#include "core/raceline/raceline_csv.h"

#include "core/formats/number_text.h"
#include "core/track/world_frame.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace velmora {

namespace {

// Digits with a comma before every group of three: 1,234,567. Built by
// appending: GCC 12 warns falsely on "literal" + std::string here.
std::string Grouped(long long v)
{
    const std::string digits = std::to_string(v < 0 ? -v : v);
    std::string out;
    if (v < 0)
        out.push_back('-');
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

void AddField(std::string& text, double v, int decimals, bool last = false)
{
    text.append(FormatFixed(v, decimals));
    text.append(last ? "\n" : "; ");
}

// A name as one line of a comment: a line break in a file name would start
// a row that no loader expects.
std::string OneLine(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

} // namespace

std::vector<RacelineRow> RacelineFileRows(const Raceline& line, HeadingZero headingZero)
{
    std::vector<RacelineRow> rows = line.rows;
    if (line.closed && !rows.empty()) {
        rows.push_back(rows.front());
        rows.back().s = line.length;
    }
    // Turned a quarter back and brought into (-pi, pi] by the world frame's
    // own wrap, which negates what it is given.
    if (headingZero == HeadingZero::North)
        for (RacelineRow& r : rows)
            r.psi = WorldFrame::Heading(std::numbers::pi / 2 - r.psi);
    return rows;
}

std::string RacelineCsv(const Raceline& line, const RacelineFileHeader& header)
{
    std::string text = "# " + OneLine(header.program) + "\n";
    text.append("# track ").append(OneLine(header.track)).append(", vehicle ").append(OneLine(header.vehicle));
    if (!header.vehicleNote.empty())
        text.append(" (").append(OneLine(header.vehicleNote)).append(")");
    text.append(", lap ").append(FormatFixed(line.lapTime, 3)).append(" s\n");
    text.append("# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2\n");
    const std::vector<RacelineRow> rows = RacelineFileRows(line, header.headingZero);
    text.reserve(text.size() + rows.size() * 80);
    for (const RacelineRow& r : rows) {
        AddField(text, r.s, 4);
        AddField(text, r.x, 4);
        AddField(text, r.y, 4);
        AddField(text, r.psi, 6);
        AddField(text, r.kappa, 6);
        AddField(text, r.vx, 4);
        AddField(text, r.ax, 4, true);
    }
    return text;
}

std::string RacelineSummary(double lengthM, double lapTimeS, bool closed)
{
    const long long metres = std::isfinite(lengthM) ? std::llround(lengthM) : 0;
    std::string text = "race line ";
    text.append(Grouped(metres)).append(closed ? " m, lap " : " m, end to end ");
    if (!std::isfinite(lapTimeS) || lapTimeS < 0 || lapTimeS > 1e9)
        return text.append("unknown");
    // Rounded once to tenths, then split: 59.96 s is 1:00.0, not 0:60.0.
    const long long tenths = std::llround(lapTimeS * 10);
    const long long seconds = tenths / 10 % 60;
    text.append(std::to_string(tenths / 600)).append(seconds < 10 ? ":0" : ":");
    text.append(std::to_string(seconds)).append(".").append(std::to_string(tenths % 10));
    return text;
}

} // namespace velmora
