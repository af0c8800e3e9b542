#include "core/track/one_line.h"

#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

TEST(OneLine, FindsWhereTheSecondFigureBegins)
{
    constexpr std::size_t kOne = std::string_view::npos;
    const struct {
        const char* path;
        std::size_t at;
    } cases[] = {
        {"M 0 0 L 100 0 L 100 100 Z", kOne},
        {"M 0 0 L 100 0 L 100 100", kOne},
        {"M 0 0 L 1e2 0 L 1E2 100 z", kOne},
        {"M 0 0 L 100 0 L 100 100 Z Z", kOne},
        {"", kOne},
        {"M 0 0 L 100 0 L 100 100 Z L 1000 500", 26}, // a click after Close Loop
        {"M 0 0 L 100 0 L 100 100 z l 5 5", 26},
        {"M 0 0 L 100 0 M 50 50 L 60 60", 14},
        {"M0,0L100,0L100,100ZM5,5L6,6", 19},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SecondFigureAt(c.path), c.at) << c.path;
}

} // namespace
} // namespace velmora
