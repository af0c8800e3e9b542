#include "core/formats/file_names.h"

#include <gtest/gtest.h>

namespace velmora {

TEST(PathExtension, TakesTheTextAfterTheLastDotOfTheName)
{
    EXPECT_EQ(PathExtension("track.txt"), "txt");
    EXPECT_EQ(PathExtension("C:\\Tracks\\a.b.TRK"), "TRK");
    EXPECT_EQ(PathExtension("track."), "");
    EXPECT_EQ(PathExtension("track"), std::nullopt);
    // A dot in a folder name is no extension, whichever separator ends it.
    EXPECT_EQ(PathExtension("C:\\my.folder\\track"), std::nullopt);
    EXPECT_EQ(PathExtension("/tmp/my.folder/track"), std::nullopt);
    EXPECT_EQ(PathExtension("C:\\a.b/track"), std::nullopt);
    EXPECT_EQ(PathExtension("/a.b\\track"), std::nullopt);
    // A leading dot names the file, it does not start an extension.
    EXPECT_EQ(PathExtension(".hidden"), std::nullopt);
    EXPECT_EQ(PathExtension("/tmp/.hidden"), std::nullopt);
    EXPECT_EQ(PathExtension("/tmp/.hidden.trk"), "trk");
    // A blank anywhere after the dot means there is none.
    EXPECT_EQ(PathExtension("my track.v 2"), std::nullopt);
    EXPECT_EQ(PathExtension("track.trk "), std::nullopt);
    EXPECT_EQ(PathExtension("my track.v2"), "v2");
}

TEST(WithTrackExtension, ReplacesOrAddsTrk)
{
    EXPECT_EQ(WithTrackExtension("track.txt"), "track.trk");
    EXPECT_EQ(WithTrackExtension("track"), "track.trk");
    EXPECT_EQ(WithTrackExtension("track.TRK"), "track.trk");
    EXPECT_EQ(WithTrackExtension("track.trk"), "track.trk");
    EXPECT_EQ(WithTrackExtension("track."), "track.trk");
    EXPECT_EQ(WithTrackExtension("my track.v 2"), "my track.v 2.trk");
    EXPECT_EQ(WithTrackExtension(".hidden"), ".hidden.trk");
    EXPECT_EQ(WithTrackExtension("C:\\Tracks\\a.b.c"), "C:\\Tracks\\a.b.trk");
    EXPECT_EQ(WithTrackExtension("/home/u/my.tracks/oval"), "/home/u/my.tracks/oval.trk");
}

TEST(ChooseImageTarget, PicksTheFormatFromTheExtension)
{
    const auto check = [](const char* chosen, const char* path, ImageFormat format) {
        const ImageTarget t = ChooseImageTarget(chosen);
        EXPECT_EQ(t.path, path) << chosen;
        EXPECT_EQ(t.format, format) << chosen;
    };
    check("circuit", "circuit.png", ImageFormat::Png);
    check("circuit.png", "circuit.png", ImageFormat::Png);
    check("circuit.bmp", "circuit.bmp", ImageFormat::Bmp);
    check("circuit.PNG", "circuit.PNG", ImageFormat::Png);
    check("circuit.Bmp", "circuit.Bmp", ImageFormat::Bmp);
    check("circuit.jpg", "circuit.jpg.png", ImageFormat::Png);
    check("/a.bmp/circuit", "/a.bmp/circuit.png", ImageFormat::Png);
    check("my pic.bmp 2", "my pic.bmp 2.png", ImageFormat::Png);
}

} // namespace velmora
