#include "core/formats/pgm_read.h"
#include "core/formats/ros_map_yaml_read.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace velmora {
namespace {

constexpr char kSlamToolbox[] = "image: lab.pgm\n"
                                "mode: trinary\n"
                                "resolution: 0.05\n"
                                "origin: [-12.4, -3.05, 0]\n"
                                "negate: 0\n"
                                "occupied_thresh: 0.65\n"
                                "free_thresh: 0.196\n";

auto Fields(const RosMapInfo& i)
{
    return std::tie(i.image, i.resolution, i.originX, i.originY, i.originYaw, i.negate, i.occupiedThresh,
                    i.freeThresh, i.mode);
}

const RosMapInfo kPlain{"lab.pgm", 0.05, -12.4, -3.05, 0, false, 0.65, 0.196, RosMapMode::Trinary};

// Every way the map servers' users write the same description reads as it.
TEST(RosMapYamlRead, ReadsEveryFormAsThePlainMap)
{
    const struct {
        const char* form;
        std::string text;
    } cases[] = {
        {"flow list", kSlamToolbox},
        {"block list, keys sorted (Python's yaml.dump)",
         "free_thresh: 0.196\nimage: lab.pgm\nnegate: 0\noccupied_thresh: 0.65\norigin:\n- -12.4\n- -3.05\n- 0\n"
         "resolution: 0.05\n"},
        {"indented block list, no mode or negate",
         "image: lab.pgm\norigin:\n    - -12.4\n    - -3.05\n    - 0.0\nresolution: 0.05\n"
         "occupied_thresh: 0.65\nfree_thresh: 0.196\n"},
        {"comments everywhere",
         "# map of the lab\nimage: lab.pgm # the picture\nresolution: 0.05   # m\norigin: [-12.4, # x\n"
         "  -3.05, 0]\nnegate: 0\noccupied_thresh: 0.65\nfree_thresh: 0.196 # 50/255\n# end\n"},
        {"extra keys", std::string(kSlamToolbox) + "car_init_x: 1.99\ncar_init_theta: -2.85\nnotes: [a, {b: c}]\n"},
        {"double-quoted image name", "image: \"lab.pgm\"\n" + std::string(kSlamToolbox).substr(15)},
        {"single-quoted image name", "image: 'lab.pgm'\n" + std::string(kSlamToolbox).substr(15)},
        {"CR LF and a byte order mark",
         "\xEF\xBB\xBF" "image: lab.pgm\r\nresolution: 0.05\r\norigin:\r\n- -12.4\r\n- -3.05\r\n- 0\r\n"
         "negate: 0\r\noccupied_thresh: 0.65\r\nfree_thresh: 0.196\r\n"},
        {"document markers, quoted numbers, false, Trinary",
         "---\nimage: lab.pgm\nmode: Trinary\nresolution: '0.05'\norigin: [\"-12.4\", -3.05e0, 0.000000]\n"
         "negate: false\noccupied_thresh: 0.65\nfree_thresh: 0.196\n...\n"},
        {"one flow map",
         "{image: lab.pgm, resolution: 0.05, origin: [-12.4, -3.05, 0], occupied_thresh: 0.65, free_thresh: 0.196}"},
    };
    for (const auto& c : cases) {
        const Result<RosMapInfo> info = ReadRosMapYaml(c.text);
        ASSERT_TRUE(info.ok()) << c.form << ": " << info.error();
        EXPECT_EQ(Fields(*info), Fields(kPlain)) << c.form;
    }
}

TEST(RosMapYamlRead, RefusesWhatItCannotTakeNamingKeyAndLine)
{
    const std::string good = kSlamToolbox;
    // The description with the line of `key` replaced (or dropped).
    const auto with = [&good](const std::string& key, const std::string& line) {
        const std::size_t at = good.find(key + ":");
        const std::size_t end = good.find('\n', at) + 1;
        return good.substr(0, at) + (line.empty() ? "" : line + "\n") + good.substr(end);
    };
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {with("image", ""), "the map description has no image"},
        {with("resolution", ""), "has no resolution"},
        {with("origin", ""), "has no origin"},
        {with("free_thresh", ""), "has no free_thresh"},
        {with("image", "image:"), "line 1: image has no value"},
        {with("image", "image: ''"), "line 1: image names no file"},
        {with("image", "image: [a.png]"), "line 1: image needs text, not a list"},
        {with("resolution", "resolution: 0,05"), "line 3: resolution must be a plain decimal number, not \"0,05\""},
        {with("resolution", "resolution: -0.05"), "line 3: resolution must lie between 0.000001 and 10000"},
        {with("resolution", "resolution: 1e-300"), "resolution must lie between 0.000001 and 10000, not \"1e-300\""},
        {with("origin", "origin: [1e300, 0, 0]"), "line 4: origin x must lie between -100000000 and 100000000"},
        {with("origin", "origin: [0, 0, .inf]"), "origin yaw must be a plain decimal number"},
        {with("origin", "origin: [1, 2]"), "line 4: origin needs three numbers"},
        {with("origin", "origin:\n- 1\n- 2\n- 3\n- 4"), "origin needs three numbers"},
        {with("origin", "origin: [1, 2, 3"), "line 5: not YAML: end of sequence flow not found"},
        {with("negate", "negate: maybe"), "line 5: negate needs 0 or 1, not \"maybe\""},
        {with("mode", "mode: fancy"), "line 2: mode needs trinary, scale or raw, not \"fancy\""},
        {with("free_thresh", "free_thresh: 0.7"), "free_thresh (0.7) is above occupied_thresh (0.65)"},
        {with("occupied_thresh", "occupied_thresh: 1.5"), "occupied_thresh must lie between 0 and 1"},
        {good + "resolution: 0.1\n", "line 8: resolution is given twice"},
        {good + "  indented: 1\n", "line 8: not YAML: illegal map value"},
        {"- image: lab.pgm\n", "line 1: expected \"key: value\" lines"},
        {std::string("image: lab.pgm\0\n", 16), "line 1: not YAML: a control byte (0)"},
        {good + "# " + std::string(1 << 20, 'x') + "\n", "bytes; at most 1048576 are read"},
    };
    for (const auto& c : cases) {
        const Result<RosMapInfo> info = ReadRosMapYaml(c.text);
        ASSERT_FALSE(info.ok()) << c.text;
        EXPECT_NE(info.error().find(c.message), std::string::npos) << info.error();
        EXPECT_EQ(info.error().find('\n'), std::string::npos) << info.error();
    }
}

TEST(PgmRead, ReadsBinaryAndTextPictures)
{
    const struct {
        std::string bytes;
        std::vector<std::uint8_t> values;
    } cases[] = {
        {std::string("P5\n3 1\n255\n\x00\x7f\xff", 14), {0, 127, 255}},
        // Comments and any blanks in the header; the rows start after one blank.
        {std::string("P5 # map\n#more\n 3\t1 255\r\x0a\x0d\x20", 27), {10, 13, 32}},
        // A smaller largest value is stretched to 0..255, rounded.
        {"P5\n2 1\n15\n\x0f\x05", {255, 85}},
        // Two bytes per value above 255, the first the most significant.
        {std::string("P5\n3 1\n65535\n\xff\xff\x80\x00\x00\x7f", 19), {255, 128, 0}},
        {"P5\n1 1\n1000\n\x03\xe8", {255}},
        // Bytes after the picture are ignored.
        {"P5\n1 1\n255\n\x01rest", {1}},
        // Text: any blanks between values, a value above the largest counts as it.
        {"P2\n# CREATOR: GIMP\n3 2\n255\n0 127\n255\n  10\t9 300\n", {0, 127, 255, 10, 9, 255}},
        {"P2 2 1 100 0 100", {0, 255}},
        {"P2\n2 1\n65535\n32768 65535\n", {128, 255}},
    };
    for (const auto& c : cases) {
        const Result<GreyImage> image = ReadPgm(c.bytes, 100);
        ASSERT_TRUE(image.ok()) << c.bytes << ": " << image.error();
        EXPECT_EQ(image->values, c.values) << c.bytes;
    }
}

TEST(PgmRead, RefusesDamagedPictures)
{
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"P6\n1 1\n255\n", "not a PGM picture"},
        {"P5\n3 x\n255\n", "the PGM header is damaged"},
        {"P5\n3 1\n255", "the PGM header is damaged"},
        {"P5\n3 1\n1234567890\n", "the PGM header is damaged"},
        {"P5\n0 1\n255\n", "a map may have 1 to 100 on each side"},
        {"P2\n101 1\n255\n", "a map may have 1 to 100 on each side"},
        {std::string("P5\n1 1\n0\n\x00", 10), "largest value 0 is not 1 to 65535"},
        {"P5\n2 3\n255\n\x01\x02\x03", "ends after 1 of its 3 rows"},
        {"P5\n2 1\n300\n\x01\x02", "ends after 0 of its 1 rows"},
        // A header claiming a big picture in a short file takes no memory for it.
        {"P2\n100 100\n255\n1 2 3\n", "ends after 0 of its 100 rows"},
        {"P2\n2 2\n255\n1 2 3 x4 5 6\n", "the text PGM holds \"x\" where value 4 should be"},
        {"P2\n2 2\n255\n1 2 3      \n", "ends after 1 of its 2 rows"},
    };
    for (const auto& c : cases) {
        const Result<GreyImage> image = ReadPgm(c.bytes, 100);
        ASSERT_FALSE(image.ok()) << c.bytes;
        EXPECT_NE(image.error().find(c.message), std::string::npos) << image.error();
    }
}

} // namespace
} // namespace velmora
