#include "core/raceline/raceline_csv.h"

#include "core/formats/number_text.h"

#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

std::string Grouped(long long v)
{
    std::string digits = std::to_string(v < 0 ? -v : v);
    for (auto i = static_cast<long long>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return v < 0 ? "-" + digits : digits;
}

} // namespace

std::string RacelineCsv(const Raceline& line)
{
    std::string text = "# s_m; x_m; y_m; psi_rad; kappa_radpm; vx_mps; ax_mps2\n";
    text.reserve(text.size() + line.rows.size() * 80);
    for (const RacelineRow& r : line.rows) {
        text += FormatFixed(r.s, 4) + "; " + FormatFixed(r.x, 4) + "; " + FormatFixed(r.y, 4) + "; " +
                FormatFixed(r.psi, 6) + "; " + FormatFixed(r.kappa, 6) + "; " + FormatFixed(r.vx, 4) + "; " +
                FormatFixed(r.ax, 4) + "\n";
    }
    return text;
}

std::string RacelineSummary(double lengthM, double lapTimeS)
{
    const long long metres = std::isfinite(lengthM) ? std::llround(lengthM) : 0;
    std::string text = "race line " + Grouped(metres) + " m, lap ";
    if (!std::isfinite(lapTimeS) || lapTimeS < 0 || lapTimeS > 1e9)
        return text + "unknown";
    // Rounded once to tenths, then split: 59.96 s is 1:00.0, not 0:60.0.
    const long long tenths = std::llround(lapTimeS * 10);
    const long long minutes = tenths / 600;
    const long long rest = tenths % 600;
    const long long seconds = rest / 10;
    return text + std::to_string(minutes) + ":" + (seconds < 10 ? "0" : "") + std::to_string(seconds) + "." +
           std::to_string(rest % 10);
}

} // namespace velmora
