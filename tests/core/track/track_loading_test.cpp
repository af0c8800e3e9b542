#include "core/track/track_loading.h"

#include <gtest/gtest.h>

namespace velmora {

TEST(ApplyLoadedTrack, CloseLoopCountsCharactersNotBytes)
{
    // 61 characters in the file; "\xE9" becomes two bytes in memory.
    const std::string path = "M 1 1 " + std::string(54, ' ') + "\xE9";
    const std::string sections = "\r\n*text*\r\n*cursor*\r\n0, 0, 0, 0, \r\nStartAngle = -1\r\n*markers*\r\n";
    Editor ed;
    ApplyLoadedTrack(ed, Settings{}, path + sections, "/t/a.trk");
    EXPECT_EQ(ed.model.TrackPath.size(), 62u);
    EXPECT_FALSE(ed.view.closeLoopEnabled);

    ApplyLoadedTrack(ed, Settings{}, path + " " + sections, "/t/b.trk");
    EXPECT_TRUE(ed.view.closeLoopEnabled);
    EXPECT_EQ(ed.TrackFileName, "/t/b.trk");
    EXPECT_EQ(ed.view.status1, "track loaded from /t/b.trk");
    EXPECT_EQ(ed.view.status2, " ");
}

TEST(ApplyLoadedTrack, DamagedFilesAreRefusedOrFlagged)
{
    const std::string whole = "*text*\r\nA, 1, 2, 2\r\n*cursor*\r\n0, 0, 0, 0, \r\nStartAngle = 5\r\n*markers*\r\n";
    std::string noise;
    for (int i = 0; i < 3000; ++i)
        noise += static_cast<char>((i * 37 + 11) % 256);
    const struct {
        std::string bytes;
        LoadOutcome outcome;
    } cases[] = {
        {"M 1 1 L 9 9 \r\n" + whole, LoadOutcome::Loaded},
        {"\r\n" + whole, LoadOutcome::Loaded},  // no start placed
        {" \tm 1 1 l 9 9\r\n" + whole, LoadOutcome::Loaded},
        {noise, LoadOutcome::NotTrackFile},
        {std::string("M 1 1\0 \r\n", 9) + whole, LoadOutcome::NotTrackFile},
        {"M 1 \x01 1\r\n" + whole, LoadOutcome::NotTrackFile},
        {"M 1 \x7F 1\r\n" + whole, LoadOutcome::NotTrackFile},
        {"L 1 1\r\n" + whole, LoadOutcome::NotTrackFile},
        // Close Loop after an Undo that emptied the track: the editor's own.
        {"ZZM 1 1 \r\n" + whole, LoadOutcome::Loaded},
        {"   \r\n" + whole, LoadOutcome::NotTrackFile},
        {whole, LoadOutcome::NotTrackFile},  // the path line is missing
        {"\xEF\xBB\xBFM 1 1\r\n" + whole, LoadOutcome::NotTrackFile},
        {"M 1 1 ", LoadOutcome::EndsEarly},
        {"M 1 1 \r\n*text*\r\nA, 1, 2, 2\r\n*cursor*\r\n", LoadOutcome::EndsEarly},
        {"M 1 1 \r\n" + whole.substr(0, whole.size() - 2), LoadOutcome::EndsEarly},
        {"M 1 1 \r\n*markers*\r\n*text*\r\n*cursor*\r\nStartAngle = 0\r\n", LoadOutcome::EndsEarly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        Editor ed;
        ed.model.TrackPath = "M 5 5 L 6 6 ";
        ed.model.labels = {{"kept", 1, 1, 1}};
        ed.TrackFileName = "/t/old.trk";
        ed.view.status1 = "before";
        const unsigned redraws = ed.view.redraws;
        EXPECT_EQ(ApplyLoadedTrack(ed, Settings{}, c.bytes, "/t/new.trk"), c.outcome);
        switch (c.outcome) {
        case LoadOutcome::NotTrackFile:
            EXPECT_EQ(ed.model.TrackPath, "M 5 5 L 6 6 ");
            EXPECT_EQ(ed.model.labels.size(), 1u);
            EXPECT_EQ(ed.TrackFileName, "/t/old.trk");
            EXPECT_EQ(ed.view.status1, "before");
            EXPECT_EQ(ed.view.redraws, redraws);
            break;
        case LoadOutcome::EndsEarly:
            EXPECT_EQ(ed.model.TrackPath, "M 1 1 ");
            EXPECT_EQ(ed.view.status1, "track loaded from /t/new.trk (the file ends early)");
            break;
        case LoadOutcome::Loaded:
            EXPECT_EQ(ed.TrackFileName, "/t/new.trk");
            EXPECT_EQ(ed.model.StartAngle, 5);
            EXPECT_EQ(ed.view.status1, "track loaded from /t/new.trk");
            break;
        }
    }
}

} // namespace velmora
