#include "core/formats/pgm_read.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace velmora {

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next header number; `at` moves past it. Blanks and comments before it
// are skipped. -1 when there is none or it has more than 9 digits.
long HeaderNumber(std::string_view bytes, std::size_t& at)
{
    while (at < bytes.size() && (Blank(bytes[at]) || bytes[at] == '#')) {
        if (bytes[at] == '#')
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                ++at;
        else
            ++at;
    }
    long value = 0;
    std::size_t digits = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
        if (++digits > 9)
            return -1;
        value = value * 10 + (bytes[at++] - '0');
    }
    return digits == 0 ? -1 : value;
}

} // namespace

bool LooksLikePgm(std::string_view bytes)
{
    return bytes.size() >= 2 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '2');
}

Result<GreyImage> ReadPgm(std::string_view bytes, int maxSide)
{
    if (bytes.substr(0, 2) == "P2")
        return Fail("a text PGM (P2) is not read; save the map as binary PGM (P5) or PNG");
    if (bytes.substr(0, 2) != "P5")
        return Fail("not a PGM picture");
    std::size_t at = 2;
    const long width = HeaderNumber(bytes, at);
    const long height = HeaderNumber(bytes, at);
    const long maxValue = HeaderNumber(bytes, at);
    if (width < 0 || height < 0 || maxValue < 0 || at >= bytes.size() || !Blank(bytes[at]))
        return Fail("the PGM header is damaged");
    ++at; // the one blank before the rows
    if (width < 1 || height < 1 || width > maxSide || height > maxSide)
        return Fail("the PGM picture is " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels; a map may have 1 to " + std::to_string(maxSide) + " on each side");
    if (maxValue < 1 || maxValue > 65535)
        return Fail("the PGM's largest value " + std::to_string(maxValue) + " is not 1 to 65535");
    const std::size_t bytesPer = maxValue > 255 ? 2 : 1;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    if (bytes.size() - at < count * bytesPer)
        return Fail("the PGM picture ends after " + std::to_string((bytes.size() - at) / bytesPer / std::size_t(width)) +
                    " of its " + std::to_string(height) + " rows");
    GreyImage image{int(width), int(height), std::vector<std::uint8_t>(count)};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    for (std::size_t i = 0; i < count; ++i) {
        long v = bytesPer == 2 ? long(data[2 * i]) << 8 | data[2 * i + 1] : long(data[i]);
        v = std::min(v, maxValue); // a value above the declared largest counts as the largest
        image.values[i] = maxValue == 255 ? std::uint8_t(v)
                                          : std::uint8_t(std::lround(double(v) * 255.0 / double(maxValue)));
    }
    return image;
}

} // namespace velmora
