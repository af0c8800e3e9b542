#include "export_tool/generate_options.h"

#include "core/settings/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace velmora {

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

Status ReadWholeInto(const std::string& text, const char* what, unsigned long long limit,
                     unsigned long long& out)
{
    if (ReadWhole(text, limit, out))
        return {};
    return Fail(std::string(what) + std::to_string(limit) + ", not \"" + text + "\"");
}

Status ReadGenerate(const std::string& text, ExportOptions& o)
{
    unsigned long long n = 0;
    if (!ReadWhole(text, kMaxGenerated, n) || n == 0)
        return Fail("--generate needs a whole number of tracks from 1 to " + std::to_string(kMaxGenerated) +
                    ", not \"" + text + "\"");
    o.generate = n;
    return {};
}

Status ReadSeed(const std::string& text, ExportOptions& o)
{
    unsigned long long seed = 0;
    if (Status s = ReadWholeInto(text, "--seed needs a whole number from 0 to ", ~0ull, seed); !s)
        return s;
    o.seed = seed;
    o.seedGiven = true;
    return {};
}

Status ReadMarkers(const std::string& text, ExportOptions& o)
{
    unsigned long long markers = 0;
    if (Status s = ReadWholeInto(text, "--markers needs a whole number from 0 to ", kMaxMarkers, markers); !s)
        return s;
    o.markers = static_cast<int>(markers);
    return {};
}

Status ReadLength(const char* option, const std::string& text, double& into)
{
    if (ReadPositive(text, into))
        return {};
    return Fail(std::string(option) + " needs a number of pixels greater than 0, not \"" + text + "\"");
}

Status ReadMinLength(const std::string& text, ExportOptions& o)
{
    return ReadLength("--min-length", text, o.minLength);
}

Status ReadMaxLength(const std::string& text, ExportOptions& o)
{
    return ReadLength("--max-length", text, o.maxLength);
}

Status Check(const ExportOptions& o)
{
    if (o.generate == 0) {
        if (o.seedGiven || o.minLength > 0 || o.maxLength > 0 || o.markers > 0)
            return Fail("--seed, --min-length, --max-length and --markers go with --generate");
        return {};
    }
    if (!o.tracks.empty())
        return Fail("--generate makes its own tracks: give no track files with it");
    if (o.minLength > 0 && o.maxLength > 0 && o.minLength > o.maxLength)
        return Fail("--min-length is longer than --max-length");
    return {};
}

constexpr ToolOption kOptions[] = {
    {"generate", "N",
     "make N random closed tracks, track_0001 ..., instead of reading tracks;\n"
     "each is what the editor could have drawn under the settings",
     ReadGenerate},
    {"seed", "S", "the run's seed (default 1): track i depends only on S and i", ReadSeed},
    {"min-length", "PX", "shortest track, in pixels along it (default: to suit the canvas)", ReadMinLength},
    {"max-length", "PX", "longest track (default: to suit the canvas)", ReadMaxLength},
    {"markers", "K", "drop K RL markers of random types beside each track (default 0)", ReadMarkers},
};

} // namespace

const OptionSection kGenerateSection = {"generated tracks:", kOptions, Check};

std::string GeneratedTrackName(std::size_t index, std::size_t count)
{
    const std::size_t digits = std::max<std::size_t>(4, std::to_string(count).size());
    std::string number = std::to_string(index + 1);
    return "track_" + std::string(digits - std::min(digits, number.size()), '0') + number;
}

} // namespace velmora
