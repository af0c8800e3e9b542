#include "core/mapin/free_cells.h"
#include "render/image/png_decode.h"
#include "render/image/png_test_file.h"
#include "inputs/ros_map_load.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// The plain map every form below writes: 4 x 2 cells, row by row.
const MapCell F = MapCell::Free, O = MapCell::Occupied, U = MapCell::Unknown;
const std::vector<MapCell> kPlain = {F, O, U, F, O, F, F, U};
// Its grey levels as map_saver writes them: free 254, occupied 0, unknown 205.
std::uint8_t Level(MapCell c)
{
    return c == F ? 254 : c == O ? 0 : 205;
}

using Pixel = std::function<std::vector<int>(MapCell)>;

// The plain map as a PNG, each cell's channels from `pixel`.
QByteArray Png(int colourType, int depth, bool interlaced, const Pixel& pixel)
{
    std::vector<std::vector<png_byte>> rows(2);
    for (std::size_t i = 0; i < kPlain.size(); ++i)
        for (const int v : pixel(kPlain[i])) {
            if (depth == 16)
                rows[i / 4].push_back(png_byte(v >> 8));
            rows[i / 4].push_back(png_byte(v & 0xFF));
        }
    return WritePng({4, 2, colourType, depth, interlaced, {}, {}}, rows);
}

// The plain map as a PGM, "P2" or "P5", each cell's value from `value`.
QByteArray Pgm(const char* magic, int maxValue, const std::function<int(MapCell)>& value)
{
    QByteArray out = QByteArray(magic) + "\n# saved\n4 2\n" + QByteArray::number(maxValue) + "\n";
    for (const MapCell c : kPlain) {
        const int v = value(c);
        out += magic[1] == '2' ? " " + QByteArray::number(v)
               : maxValue > 255 ? QByteArray(1, char(v >> 8)) + char(v & 0xFF)
                                : QByteArray(1, char(v));
    }
    return out;
}

// The picture saved as `file` beside a description naming it, loaded.
Result<LoadedMap> Load(const char* file, const QByteArray& bytes, const char* lines)
{
    QTemporaryDir dir;
    QFile picture(dir.filePath(file)), yaml(dir.filePath("m.yaml"));
    if (!picture.open(QIODevice::WriteOnly) || !yaml.open(QIODevice::WriteOnly))
        return Fail("cannot write the test files");
    picture.write(bytes);
    yaml.write(QByteArray("image: ") + file +
               "\nresolution: 0.05\norigin: [-1.0, -2.0, 0.0]\noccupied_thresh: 0.65\nfree_thresh: 0.196\n" + lines);
    picture.close();
    yaml.close();
    return LoadRosMap(yaml.fileName());
}

// Each picture form the map servers read, with the description lines it
// needs, reads as the plain map.
TEST(RosMapLoad, EveryPictureFormReadsAsThePlainMap)
{
    const auto grey = [](MapCell c) { return std::vector<int>{Level(c)}; };
    const struct {
        const char* form;
        const char* file;
        QByteArray bytes;
        const char* lines;
    } cases[] = {
        {"P5", "m.pgm", Pgm("P5", 255, Level), ""},
        {"P2", "m.pgm", Pgm("P2", 255, Level), ""},
        {"P5 16-bit", "m.pgm", Pgm("P5", 65535, [](MapCell c) { return Level(c) * 257; }), ""},
        {"P2 largest 100", "m.pgm", Pgm("P2", 100, [](MapCell c) { return c == F ? 100 : c == O ? 0 : 80; }), ""},
        {"P5 negated", "m.pgm", Pgm("P5", 255, [](MapCell c) { return 255 - Level(c); }), "negate: true\n"},
        {"P5 scale mode", "m.pgm", Pgm("P5", 255, Level), "mode: scale\n"},
        {"P5 raw", "m.pgm", Pgm("P5", 255, [](MapCell c) { return c == F ? 0 : c == O ? 100 : 255; }),
         "mode: raw\nnegate: 1\n"}, // negate is for shades
        {"PNG grey", "m.png", Png(PNG_COLOR_TYPE_GRAY, 8, false, grey), ""},
        {"PNG grey 16-bit interlaced", "m.png",
         Png(PNG_COLOR_TYPE_GRAY, 16, true, [](MapCell c) { return std::vector<int>{Level(c) * 257}; }), ""},
        // Colours count by the mean of red, green and blue: (254+254+254), (0+0+0), (255+200+160)/3 = 205.
        {"PNG RGB", "m.png", Png(PNG_COLOR_TYPE_RGB, 8, false, [](MapCell c) {
             return c == U ? std::vector<int>{255, 200, 160} : std::vector<int>(3, Level(c));
         }), ""},
        // Trinary averages alpha in: opaque black (0+0+0+255)/4 = 64 is
        // still occupied, white stays free, transparent white is unknown.
        {"PNG grey+alpha, trinary", "m.png", Png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, [](MapCell c) {
             return c == U ? std::vector<int>{255, 0} : std::vector<int>{c == F ? 255 : 0, 255};
         }), ""},
        // Scale: a pixel not fully opaque is unknown, whatever its shade.
        {"PNG RGBA, scale", "m.png", Png(PNG_COLOR_TYPE_RGBA, 8, true, [](MapCell c) {
             return c == U ? std::vector<int>{255, 255, 255, 254} : std::vector<int>{Level(c), Level(c), Level(c), 255};
         }), "mode: SCALE\n"},
    };
    for (const auto& c : cases) {
        const Result<LoadedMap> map = Load(c.file, c.bytes, c.lines);
        ASSERT_TRUE(map.ok()) << c.form << ": " << map.error();
        ASSERT_EQ(map->image.width, 4) << c.form;
        ASSERT_EQ(map->image.height, 2) << c.form;
        const std::array<MapCell, 256> reading = CellReading(map->info);
        for (std::size_t i = 0; i < kPlain.size(); ++i)
            EXPECT_EQ(reading[map->image.values[i]], kPlain[i]) << c.form << ", cell " << i;
        // A raw map's occupancies are drawn as the map saver draws cells.
        if (map->info.mode == RosMapMode::Raw) {
            const QImage picture = MapPicture(map->image, map->info);
            for (std::size_t i = 0; i < kPlain.size(); ++i)
                EXPECT_EQ(qGray(picture.pixel(int(i % 4), int(i / 4))), Level(kPlain[i])) << i;
        }
    }
}

TEST(RosMapLoad, RefusesBadPicturesInOneLine)
{
    const QByteArray png = WritePng({20000, 1, PNG_COLOR_TYPE_GRAY, 8, false, {}, {}}, {std::vector<png_byte>(20000, 255)});
    const struct {
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"P5\n20000 20000\n255\n", "m.pic: the PGM picture is 20000 x 20000 pixels; a map may have 1 to 16384"},
        {png, "m.pic: the PNG picture cannot be read: the picture is 20000 x 1 pixels; a map may have 1 to 16384"},
        {png.left(png.size() / 2), "m.pic: the PNG picture cannot be read"},
    };
    for (const auto& c : cases) {
        const Result<LoadedMap> map = Load("m.pic", c.bytes, "");
        ASSERT_FALSE(map.ok()) << c.message;
        EXPECT_NE(map.error().find(c.message), std::string::npos) << map.error();
        EXPECT_EQ(map.error().find('\n'), std::string::npos) << map.error();
    }
}

// Every pass of an interlaced picture lands on its own pixels: a noisy
// picture reads the same interlaced or not, RGB as grey.
TEST(RosMapLoad, InterlacedPicturesReadAsPlainOnes)
{
    std::vector<std::vector<png_byte>> rows(23, std::vector<png_byte>(37 * 3));
    unsigned seed = 7;
    for (auto& row : rows)
        for (png_byte& b : row)
            b = png_byte((seed = seed * 1103515245u + 12345u) >> 16);
    const Result<GreyImage> plain = DecodePngGrey(WritePng({37, 23, PNG_COLOR_TYPE_RGB, 8, false, {}, {}}, rows), {}, 100);
    const Result<GreyImage> laced = DecodePngGrey(WritePng({37, 23, PNG_COLOR_TYPE_RGB, 8, true, {}, {}}, rows), {}, 100);
    ASSERT_TRUE(plain.ok() && laced.ok());
    EXPECT_EQ(laced->values, plain->values);
    EXPECT_EQ(plain->values[1], (rows[0][3] + rows[0][4] + rows[0][5] + 1) / 3);
}

// The racing team's own maps, as published: all four load at their sizes,
// with the cells an independent decoding of their pictures counts (free,
// occupied, unknown by the thresholds 0.196 and 0.65).
TEST(RosMapLoad, RealSlamMapsLoad)
{
    const struct {
        const char* yaml;
        int width, height;
        double originX;
        std::array<std::size_t, 3> cells;
    } maps[] = {
        {"hangar/hangar.yaml", 623, 581, -15.896772766113282, {11349, 350614, 0}},
        {"JFR_racingv5/JFR_racingv5.yaml", 269, 783, -7.748979949951172, {34281, 174293, 2053}},
        {"berlin/berlin.yaml", 600, 600, -11.60654, {107845, 252155, 0}},
        {"colombia/columbia.yaml", 435, 350, -5.706540, {43024, 109212, 14}},
    };
    for (const auto& m : maps) {
        const Result<LoadedMap> map = LoadRosMap(QString(VELMORA_TEST_DATA) + "/slam/" + m.yaml);
        ASSERT_TRUE(map.ok()) << m.yaml << ": " << map.error();
        EXPECT_EQ(map->image.width, m.width) << m.yaml;
        EXPECT_EQ(map->image.height, m.height) << m.yaml;
        EXPECT_NEAR(map->info.resolution, 0.05, 1e-8) << m.yaml;
        EXPECT_EQ(map->info.originX, m.originX) << m.yaml;
        std::array<std::size_t, 3> cells{};
        const std::array<MapCell, 256> reading = CellReading(map->info);
        for (const std::uint8_t v : map->image.values)
            ++cells[std::size_t(reading[v])];
        EXPECT_EQ(cells, m.cells) << m.yaml;
    }
}

} // namespace
} // namespace velmora
