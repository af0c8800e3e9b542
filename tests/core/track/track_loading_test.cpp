#include "core/track/track_loading.h"

#include <gtest/gtest.h>

namespace velmora {

TEST(ApplyLoadedTrack, CloseLoopCountsCharactersNotBytes)
{
    // 61 characters in the file; "\xE9" becomes two bytes in memory.
    const std::string path = "M 1 1 " + std::string(54, ' ') + "\xE9";
    Editor ed;
    ApplyLoadedTrack(ed, Settings{}, path + "\r\n", "/t/a.trk");
    EXPECT_EQ(ed.model.TrackPath.size(), 62u);
    EXPECT_FALSE(ed.view.closeLoopEnabled);

    ApplyLoadedTrack(ed, Settings{}, path + " \r\n", "/t/b.trk");
    EXPECT_TRUE(ed.view.closeLoopEnabled);
    EXPECT_EQ(ed.TrackFileName, "/t/b.trk");
    EXPECT_EQ(ed.view.status1, "track loaded from /t/b.trk");
    EXPECT_EQ(ed.view.status2, " ");
}

} // namespace velmora
