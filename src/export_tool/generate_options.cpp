#include "export_tool/generate_options.h"

#include "core/settings/settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace velmora {

const char kGenerateUsage[] =
    "\ngenerated tracks:\n"
    "  --generate N        make N random closed tracks, track_0001 ..., instead of reading tracks;\n"
    "                      each is what the editor could have drawn under the settings\n"
    "  --seed S            the run's seed (default 1): track i depends only on S and i\n"
    "  --min-length PX     shortest track, in pixels along it (default: to suit the canvas)\n"
    "  --max-length PX     longest track (default: to suit the canvas)\n"
    "  --markers K         drop K RL markers of random types beside each track (default 0)\n";

namespace {

// Most tracks one run makes: a large training set, while the names and
// outcomes the run keeps stay within a few hundred megabytes.
constexpr unsigned long long kMaxGenerated = 1'000'000;
constexpr unsigned long long kMaxMarkers = 10'000;

bool ReadWhole(const std::string& text, unsigned long long limit, unsigned long long& out)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || v > limit)
        return false;
    out = v;
    return true;
}

bool ReadPixels(const std::string& text, double& out)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0)
        return false;
    out = v;
    return true;
}

bool ReadValue(const std::string& a, const std::string& text, ExportOptions& o, std::string& error)
{
    unsigned long long whole = 0;
    if (a == "--generate") {
        if (ReadWhole(text, kMaxGenerated, whole) && whole > 0) {
            o.generate = whole;
            return true;
        }
        error = "--generate needs a whole number of tracks from 1 to " + std::to_string(kMaxGenerated);
    } else if (a == "--seed") {
        if (ReadWhole(text, ~0ull, whole)) {
            o.seed = whole;
            o.seedGiven = true;
            return true;
        }
        error = "--seed needs a whole number from 0 to " + std::to_string(~0ull);
    } else if (a == "--markers") {
        if (ReadWhole(text, kMaxMarkers, whole)) {
            o.markers = static_cast<int>(whole);
            return true;
        }
        error = "--markers needs a whole number from 0 to " + std::to_string(kMaxMarkers);
    } else {
        double& into = a == "--min-length" ? o.minLength : o.maxLength;
        if (ReadPixels(text, into))
            return true;
        error = a + " needs a number of pixels greater than 0";
    }
    error += ", not \"" + text + "\"";
    return false;
}

} // namespace

bool ParseGenerateOption(const std::vector<std::string>& args, std::size_t& i, ExportOptions& o,
                         std::string& error)
{
    const std::string& a = args[i];
    if (a != "--generate" && a != "--seed" && a != "--min-length" && a != "--max-length" && a != "--markers")
        return false;
    if (i + 1 >= args.size())
        error = a + " needs a value";
    else
        ReadValue(a, args[++i], o, error);
    return true;
}

std::string GenerateOptionsProblem(const ExportOptions& o)
{
    if (o.generate == 0) {
        if (o.seedGiven || o.minLength > 0 || o.maxLength > 0 || o.markers > 0)
            return "--seed, --min-length, --max-length and --markers go with --generate";
        return {};
    }
    if (!o.tracks.empty())
        return "--generate makes its own tracks: give no track files with it";
    if (o.minLength > 0 && o.maxLength > 0 && o.minLength > o.maxLength)
        return "--min-length is longer than --max-length";
    return {};
}

std::string GeneratedTrackName(std::size_t index, std::size_t count)
{
    const std::size_t digits = std::max<std::size_t>(4, std::to_string(count).size());
    std::string number = std::to_string(index + 1);
    return "track_" + std::string(digits - std::min(digits, number.size()), '0') + number;
}

} // namespace velmora
