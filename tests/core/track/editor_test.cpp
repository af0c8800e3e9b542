#include "core/track/editor.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace velmora {
namespace {

class EditorTest : public ::testing::Test {
protected:
    // A left click with the pointer sampled at (x, y) and the readout of the
    // pass before it, as the event loop runs them.
    void ClickAt(int x, int y)
    {
        SamplePointer(ed, x, y);
        ShowReadout(ed, s);
        HandleLeftClick(ed, s);
    }
    void RightClick() { Undo(ed, s); }
    std::string ReadoutAt(int x, int y)
    {
        SamplePointer(ed, x, y);
        ShowReadout(ed, s);
        return ed.view.status2;
    }

    Editor ed;
    Settings s;
};

TEST_F(EditorTest, StartThenFirstPoint)
{
    ClickAt(120, 340);
    EXPECT_EQ(ed.model.TrackPath, "M 120 340 ");
    EXPECT_EQ(ed.view.status1, kTrackPrompt);
    EXPECT_EQ(ed.model.cursor, (TrackCursor{0, 0, 0, 0, "M 120 340 "}));
    EXPECT_EQ(ed.model.StartAngle, -1);
    EXPECT_EQ(ed.view.redraws, 1u);

    ClickAt(220, 340);
    EXPECT_EQ(ed.model.TrackPath, "M 120 340 L 220 340 ");
    EXPECT_EQ(ed.model.StartAngle, 0);
    EXPECT_EQ(ed.view.status1, "2 spaces"); // 100 / 64 rounds to 2
    EXPECT_EQ(ed.view.status0, "220, 340");
}

TEST_F(EditorTest, StartAngleOfFirstStretch)
{
    struct Case {
        int dx, dy, expected;
    };
    // 69, 2635 lies at exactly 88.5 degrees in single precision: halves go
    // away from zero, not to the even neighbour.
    for (const Case c : {Case{0, -50, -90}, Case{0, 50, 90}, Case{-50, 0, 180}, Case{69, 2635, 89},
                         Case{69, -2635, -89}, Case{460, 1299, 71}}) {
        NewTrack(ed, s);
        ClickAt(100, 100);
        ClickAt(100 + c.dx, 100 + c.dy);
        EXPECT_EQ(ed.model.StartAngle, c.expected) << c.dx << ", " << c.dy;
    }
}

TEST_F(EditorTest, StartAngleOfMinusOneIsSetAgainByTheNextPoint)
{
    ClickAt(0, 0);
    ClickAt(100, -2); // -1.15 degrees rounds to -1, the "unset" value
    EXPECT_EQ(ed.model.StartAngle, -1);
    ClickAt(0, 100); // measured from the start again
    EXPECT_EQ(ed.model.StartAngle, 90);
    ClickAt(100, 100);
    EXPECT_EQ(ed.model.StartAngle, 90);
}

TEST_F(EditorTest, CloseLoopOfferedAtSixtyTwoCharacters)
{
    ClickAt(100, 100);
    const int points[][2] = {{200, 100}, {300, 100}, {400, 100}, {500, 100}, {600, 100}};
    for (int i = 0; i < 4; ++i) {
        ClickAt(points[i][0], points[i][1]);
        EXPECT_FALSE(ed.view.closeLoopEnabled);
    }
    ClickAt(points[4][0], points[4][1]);
    EXPECT_EQ(ed.model.TrackPath.size(), 60u);
    EXPECT_FALSE(ed.view.closeLoopEnabled);
    ClickAt(700, 100);
    EXPECT_TRUE(ed.view.closeLoopEnabled);
    // Undoing back to nothing leaves it enabled; only New disables it.
    for (int i = 0; i < 7; ++i)
        RightClick();
    EXPECT_TRUE(ed.view.closeLoopEnabled);
    NewTrack(ed, s);
    EXPECT_FALSE(ed.view.closeLoopEnabled);
}

TEST_F(EditorTest, UndoAndRedoOfPoints)
{
    ClickAt(100, 100);
    ClickAt(200, 100);
    ClickAt(200, 200);
    RightClick();
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 ");
    EXPECT_EQ(ed.model.RedoStack, std::vector<std::string>{"L 200 200 "});
    EXPECT_TRUE(ed.view.redoEnabled);
    EXPECT_EQ(ed.view.status1, " ");
    EXPECT_EQ(ed.model.cursor, TrackCursor{});

    Redo(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 L 200 200 ");
    EXPECT_EQ(ed.model.cursor.x, 200);
    EXPECT_EQ(ed.model.cursor.y, 200);
    EXPECT_NEAR(ed.model.cursor.angle, std::numbers::pi / 2, 1e-12);
    EXPECT_EQ(ed.view.status1, "3 spaces");
    EXPECT_TRUE(ed.view.redoEnabled); // stays on until chosen on an empty stack
    Redo(ed, s);
    EXPECT_FALSE(ed.view.redoEnabled);
}

TEST_F(EditorTest, UndoToAnEmptyTrack)
{
    ClickAt(100, 100);
    ClickAt(200, 100);
    ClickAt(200, 200);
    ed.view.status2 = "readout";
    RightClick();
    RightClick();
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 ");
    EXPECT_EQ(ed.model.StartAngle, 0); // the bare start keeps it
    RightClick();
    EXPECT_EQ(ed.model.TrackPath, "");
    EXPECT_EQ(ed.model.StartAngle, -1);
    EXPECT_FALSE(ed.view.redoEnabled);
    EXPECT_EQ(ed.view.status1, kStartPrompt);
    EXPECT_EQ(ed.view.status2, "readout");
    ASSERT_EQ(ed.model.RedoStack.size(), 3u);
    EXPECT_EQ(ed.model.RedoStack.back(), "M 100 100 ");

    RightClick(); // on an empty track: an empty entry
    EXPECT_EQ(ed.model.RedoStack.size(), 4u);
    EXPECT_EQ(ed.model.RedoStack.back(), "");
    EXPECT_EQ(ed.view.status1, kStartPrompt);

    ClickAt(50, 50); // a new start empties the stack
    EXPECT_TRUE(ed.model.RedoStack.empty());
}

TEST_F(EditorTest, RedoAfterANewPointAppendsBehindIt)
{
    ClickAt(100, 100);
    ClickAt(200, 100);
    ClickAt(200, 200);
    RightClick();
    ClickAt(300, 100);
    EXPECT_EQ(ed.model.RedoStack.size(), 1u); // a point does not empty it
    Redo(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 L 300 100 L 200 200 ");
}

TEST_F(EditorTest, CloseLoopAndItsUndo)
{
    ClickAt(0, 0);
    ClickAt(30, 40);
    CloseLoop(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 0 0 L 30 40 Z");
    EXPECT_EQ(ed.model.cursor.length, 100);
    EXPECT_EQ(ed.model.cursor.lastSegment, "Z");
    CloseLoop(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 0 0 L 30 40 ZZ");
    RightClick();
    EXPECT_EQ(ed.model.TrackPath, "M 0 0 L 30 40 Z");
    EXPECT_EQ(ed.model.RedoStack.back(), "Z");
}

TEST_F(EditorTest, CloseLoopOnAnEmptyTrack)
{
    CloseLoop(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "Z");
    ClickAt(300, 300); // a track point, not a start, from (0, 0)
    EXPECT_EQ(ed.model.TrackPath, "ZL 300 300 ");
    EXPECT_EQ(ed.model.StartAngle, 45);
    EXPECT_EQ(ed.model.cursor.x, 300);
    EXPECT_NEAR(ed.model.cursor.length, std::sqrt(2.0) * 300, 1e-9);
}

TEST_F(EditorTest, TextModeUndoesLabelsAndFreezesRedo)
{
    ClickAt(100, 100);
    ClickAt(200, 100);
    RightClick();
    ToggleAddText(ed);
    SamplePointer(ed, 50, 60);
    PlaceText(ed, s, "", 2, 40, 16);
    EXPECT_TRUE(ed.model.labels.empty());
    const unsigned redraws = ed.view.redraws;
    PlaceText(ed, s, "Turn 1", 2, 41, 15);
    EXPECT_EQ(ed.view.redraws, redraws + 1);
    ASSERT_EQ(ed.model.labels.size(), 1u);
    EXPECT_EQ(ed.model.labels[0], (TextLabel{"Turn 1", 30, 53, 2}));
    PlaceText(ed, s, "Again", 1, 10, 10);

    HandleLeftClick(ed, s); // the window places labels; no track point
    Redo(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 ");
    EXPECT_EQ(ed.model.RedoStack.size(), 1u);
    RightClick();
    EXPECT_EQ(ed.model.labels.size(), 1u);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 ");
    RightClick();
    RightClick(); // nothing left: quietly nothing
    EXPECT_TRUE(ed.model.labels.empty());

    // New leaves text mode on.
    NewTrack(ed, s);
    EXPECT_EQ(ed.model.TextMode, 1);
    ToggleAddText(ed);
    EXPECT_EQ(ed.model.TextMode, 0);
}

TEST_F(EditorTest, LabelBoxCentredWithTruncatingDivision)
{
    SamplePointer(ed, -3, -3);
    PlaceText(ed, s, "x", 3, 7, 9);
    EXPECT_EQ(ed.model.labels[0].x, -6);
    EXPECT_EQ(ed.model.labels[0].y, -7);
}

TEST_F(EditorTest, MarkersSurviveUndoButNotNew)
{
    SamplePointer(ed, 300, 400);
    AddRLMarker(ed, 3);
    EXPECT_EQ(ed.model.markers, std::vector<RLMarker>{(RLMarker{3, 300, 400})});
    EXPECT_EQ(ed.view.markerDraws, 1u);
    EXPECT_EQ(ed.view.redraws, 0u);
    RightClick();
    EXPECT_EQ(ed.model.markers.size(), 1u);
    ed.TrackFileName = "a.trk";
    ed.view.notAllowedPointer = true;
    NewTrack(ed, s);
    EXPECT_TRUE(ed.model.markers.empty());
    EXPECT_EQ(ed.TrackFileName, "");
    EXPECT_FALSE(ed.view.notAllowedPointer);
    EXPECT_EQ(ed.view.status1, kStartPrompt);
    EXPECT_EQ(ed.view.status2, " ");
}

TEST_F(EditorTest, ReadoutAndAngleLimit)
{
    EXPECT_EQ(ReadoutAt(300, 300), ""); // empty track: field 2 untouched
    ClickAt(700, 20);
    EXPECT_EQ(ReadoutAt(300, 300), "90 --> 135 = 45 deg"); // measured from the corner

    ClickAt(800, 20);
    NewTrack(ed, s);
    ClickAt(100, 100);
    ClickAt(200, 100);
    EXPECT_EQ(ReadoutAt(300, 100), "90 --> 90 = 0 deg");
    EXPECT_EQ(ReadoutAt(200, 0), "90 --> 0 = -90 deg");
    EXPECT_EQ(ReadoutAt(100, 100), "90 --> 270 = 180 deg");
    s.AngleLimit = 30;
    EXPECT_EQ(ReadoutAt(300, 200), "90 --> 135 = 45 deg");
    EXPECT_TRUE(ed.view.notAllowedPointer);
    s.AngleLimit = 45;
    ReadoutAt(300, 200);
    EXPECT_FALSE(ed.view.notAllowedPointer);

    // Straight behind is refused at 90; the click adds nothing.
    s.AngleLimit = 90;
    const unsigned redraws = ed.view.redraws;
    ClickAt(100, 100);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 ");
    EXPECT_EQ(ed.view.redraws, redraws);
    ClickAt(200, 0); // -90 is allowed
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 L 200 0 ");

    // In text mode the readout goes on but the pointer stays the arrow.
    ToggleAddText(ed);
    EXPECT_EQ(ReadoutAt(200, 100), "0 --> 180 = 180 deg");
    EXPECT_FALSE(ed.view.notAllowedPointer);
}

TEST_F(EditorTest, ClickJudgesTheTurnFromTheCurrentEnd)
{
    s.AngleLimit = 30;
    ClickAt(100, 100);
    ClickAt(200, 100);
    // A verdict left over from before a change of the end never decides:
    // after Redo the end heads right again, so straight on is allowed...
    RightClick();
    ed.view.notAllowedPointer = true;
    Redo(ed, s);
    SamplePointer(ed, 300, 100);
    HandleLeftClick(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 L 300 100 ");
    // ...and straight behind is refused though the old verdict allowed it.
    ed.view.notAllowedPointer = false;
    SamplePointer(ed, 100, 100);
    HandleLeftClick(ed, s);
    EXPECT_EQ(ed.model.TrackPath, "M 100 100 L 200 100 L 300 100 ");
    EXPECT_TRUE(ed.view.notAllowedPointer);
}

TEST(TurnAngle, HalfCircleAndWrapAround)
{
    EXPECT_EQ(TurnAngle(90, 90), 0);
    EXPECT_EQ(TurnAngle(90, 135), 45);
    EXPECT_EQ(TurnAngle(90, 0), -90);
    EXPECT_EQ(TurnAngle(90, 270), 180);
    EXPECT_EQ(TurnAngle(270, 90), -180);
    EXPECT_EQ(TurnAngle(350, 10), 20);
    EXPECT_EQ(TurnAngle(10, 350), -20);
}

TEST(Readout, CorruptCursorStillGivesBearings)
{
    TrackModel m;
    m.TrackPath = "M 0 0 ";
    m.cursor.angle = std::nan("");
    m.cursor.x = 1e300;
    const Readout r = ComputeReadout(m);
    EXPECT_GE(r.c, 0);
    EXPECT_LT(r.c, 360);
    EXPECT_GE(r.m, 0);
    EXPECT_LT(r.m, 360);
    m.cursor.angle = 1e30;
    EXPECT_LT(ComputeReadout(m).c, 360);
}

TEST(SpacesText, RoundsHalvesToEvenAndToleratesBadGaps)
{
    EXPECT_EQ(SpacesText(640, 64), "10 spaces");
    EXPECT_EQ(SpacesText(160, 64), "2 spaces"); // 2.5
    EXPECT_EQ(SpacesText(224, 64), "4 spaces"); // 3.5
    EXPECT_EQ(SpacesText(0, 64), "0 spaces");
    EXPECT_EQ(SpacesText(640, 0), "0 spaces");
    EXPECT_EQ(SpacesText(640, -64), "0 spaces");
    EXPECT_EQ(SpacesText(640, std::nan("")), "0 spaces");
    EXPECT_EQ(SpacesText(1e300, 1e-300), "0 spaces");
}

// A program's clicks measure only the new stretch; at every step the cursor
// must be the one measuring the whole path gives, or the turn checks would
// judge a different end. Hundredths, zero-length and tiny stretches included.
TEST(ClickAt, CursorMatchesTheWholePathAtEveryClick)
{
    Editor ed;
    const Settings s;
    TrackModel whole;
    const CanvasPoint points[] = {{412.37, 88.05}, {412.37, 88.05}, {500, 88.05},   {500.01, 88.05},
                                  {612.5, 300.25}, {100, 1999.99},  {100, 1999.99}, {-3.5, 0.01}};
    for (const CanvasPoint& p : points) {
        ASSERT_TRUE(ClickAt(ed, s, p));
        whole.TrackPath = ed.model.TrackPath;
        RebuildCursor(whole);
        ASSERT_EQ(ed.model.cursor, whole.cursor) << ed.model.TrackPath;
    }
    EXPECT_EQ(ed.model.TrackPath.substr(0, 36), "M 412.37 88.05 L 412.37 88.05 L 500 ");
    // After an Undo the cursor is the zero record: the next click measures all.
    Undo(ed, s);
    ASSERT_TRUE(ClickAt(ed, s, {7, 8}));
    whole.TrackPath = ed.model.TrackPath;
    RebuildCursor(whole);
    EXPECT_EQ(ed.model.cursor, whole.cursor);
}

} // namespace
} // namespace velmora
