#include "core/formats/pgm_read.h"
#include "core/formats/ros_map_yaml_read.h"

#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

constexpr char kSlamToolbox[] = "image: lab.pgm\n"
                                "mode: trinary\n"
                                "resolution: 0.05\n"
                                "origin: [-12.4, -3.05, 0]\n"
                                "negate: 0\n"
                                "occupied_thresh: 0.65\n"
                                "free_thresh: 0.25\n";

TEST(RosMapYamlRead, ReadsTheMapServersFields)
{
    const Result<RosMapInfo> info = ReadRosMapYaml(kSlamToolbox);
    ASSERT_TRUE(info.ok()) << info.error();
    EXPECT_EQ(info->image, "lab.pgm");
    EXPECT_EQ(info->resolution, 0.05);
    EXPECT_EQ(info->originX, -12.4);
    EXPECT_EQ(info->originY, -3.05);
    EXPECT_EQ(info->originYaw, 0);
    EXPECT_FALSE(info->negate);
    EXPECT_EQ(info->occupiedThresh, 0.65);
    EXPECT_EQ(info->freeThresh, 0.25);
    EXPECT_EQ(info->mode, RosMapMode::Trinary);
}

TEST(RosMapYamlRead, TakesTheFormsWrittenInTheWild)
{
    // Quotes, comments, CR LF, true/false, a document marker, an unknown key,
    // the F1TENTH maps' "0.000000" yaw, and our own writer's floats.
    const Result<RosMapInfo> info = ReadRosMapYaml("---\r\n# from Cartographer\r\n"
                                                   "image: \"my map #2.png\"  # the picture\r\n"
                                                   "resolution: 0.1\r\norigin: [ 1.5e1 ,-2.0, 0.000000 ]\r\n"
                                                   "negate: true\r\noccupied_thresh: 0.45\r\nfree_thresh: 0.196\r\n"
                                                   "mode: Scale\r\nunknown_key: 3\r\n");
    ASSERT_TRUE(info.ok()) << info.error();
    EXPECT_EQ(info->image, "my map #2.png");
    EXPECT_EQ(info->originX, 15.0);
    EXPECT_TRUE(info->negate);
    EXPECT_EQ(info->mode, RosMapMode::Scale);
}

TEST(RosMapYamlRead, RefusesWhatItCannotTakeNamingIt)
{
    const std::string good = kSlamToolbox;
    const auto with = [&good](const std::string& key, const std::string& line) {
        std::string text;
        for (std::size_t at = 0; at < good.size();) {
            const std::size_t end = good.find('\n', at);
            const std::string row = good.substr(at, end - at);
            at = end + 1;
            if (row.rfind(key + ":", 0) == 0) {
                if (!line.empty())
                    text += line + "\n";
            } else {
                text += row + "\n";
            }
        }
        return text;
    };
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {with("image", ""), "has no image"},
        {with("resolution", ""), "has no resolution"},
        {with("origin", ""), "has no origin"},
        {with("free_thresh", ""), "has no free_thresh"},
        {with("resolution", "resolution: 0,05"), "line 3: resolution needs a number, not \"0,05\""},
        {with("resolution", "resolution: -0.05"), "resolution must be a number of metres greater than 0"},
        {with("resolution", "resolution: nan"), "resolution needs a number"},
        {with("origin", "origin: [1, 2]"), "origin needs three numbers"},
        {with("origin", "origin: 1, 2, 3"), "origin needs [x, y, yaw]"},
        {with("origin", "origin: [1, 2, 3, 4]"), "origin needs three numbers"},
        {with("negate", "negate: 2"), "negate needs 0 or 1"},
        {with("mode", "mode: raw"), "only trinary and scale maps are read"},
        {with("free_thresh", "free_thresh: 0.7"), "free_thresh (0.7) is above occupied_thresh (0.65)"},
        {with("occupied_thresh", "occupied_thresh: 1.5"), "must lie between 0 and 1"},
        {good + "resolution: 0.1\n", "resolution is given twice"},
        {good + "just words\n", "line 8: expected \"key: value\""},
    };
    for (const auto& c : cases) {
        const Result<RosMapInfo> info = ReadRosMapYaml(c.text);
        ASSERT_FALSE(info.ok()) << c.text;
        EXPECT_NE(info.error().find(c.message), std::string::npos) << info.error();
    }
}

std::string Pgm(const std::string& header, const std::string& data)
{
    return header + data;
}

TEST(PgmRead, ReadsBinaryPictures)
{
    const struct {
        std::string bytes;
        std::vector<std::uint8_t> values;
    } cases[] = {
        {Pgm("P5\n3 1\n255\n", std::string("\x00\x7f\xff", 3)), {0, 127, 255}},
        // Comments and any blanks in the header; the rows start after one blank.
        {Pgm("P5 # map\n#more\n 3\t1 255\r", std::string("\x0a\x0d\x20", 3)), {10, 13, 32}},
        // A smaller largest value is stretched to 0..255.
        {Pgm("P5\n2 1\n15\n", std::string("\x0f\x05", 2)), {255, 85}},
        // Two bytes per value above 255, the first the most significant.
        {Pgm("P5\n2 1\n65535\n", std::string("\xff\xff\x80\x00", 4)), {255, 128}},
        // Bytes after the picture are ignored.
        {Pgm("P5\n1 1\n255\n", std::string("\x01rest", 5)), {1}},
    };
    for (const auto& c : cases) {
        const Result<GreyImage> image = ReadPgm(c.bytes, 100);
        ASSERT_TRUE(image.ok()) << image.error();
        EXPECT_EQ(image->values, c.values) << c.bytes;
    }
}

TEST(PgmRead, RefusesDamagedPictures)
{
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"P2\n1 1\n255\n0\n", "a text PGM (P2) is not read"},
        {"P6\n1 1\n255\n", "not a PGM picture"},
        {"P5\n3 x\n255\n", "the PGM header is damaged"},
        {"P5\n3 1\n255", "the PGM header is damaged"},
        {"P5\n3 1\n1234567890\n", "the PGM header is damaged"},
        {"P5\n0 1\n255\n", "a map may have 1 to 100 on each side"},
        {"P5\n101 1\n255\n", "a map may have 1 to 100 on each side"},
        {"P5\n1 1\n0\n\x00", "largest value 0 is not 1 to 65535"},
        {"P5\n2 3\n255\n\x01\x02\x03", "ends after 1 of its 3 rows"},
        {"P5\n2 1\n300\n\x01\x02", "ends after 0 of its 1 rows"},
    };
    for (const auto& c : cases) {
        const Result<GreyImage> image = ReadPgm(c.bytes, 100);
        ASSERT_FALSE(image.ok()) << c.bytes;
        EXPECT_NE(image.error().find(c.message), std::string::npos) << image.error();
    }
}

} // namespace
} // namespace velmora
