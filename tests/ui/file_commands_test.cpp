#include "ui/command_fixture.h"
#include "ui/file_commands.h"
#include "core/formats/track_file.h"

#include <QFileInfo>
#include <optional>
#include <gtest/gtest.h>

namespace velmora {

namespace {

using SaveCommands = FileCommands;
using LoadCommand = FileCommands;

TrackModel SampleModel()
{
    TrackModel m;
    m.TrackPath = "M 100 200 L 300 200 L 300 400 L 100 400 L 100 300 L 150 300 L 100 250 "; // 70 chars
    m.StartAngle = 0;
    m.labels.push_back({"Turn 1", 120, 80, 2});
    m.markers.push_back({1, 150, 210});
    m.cursor = {100, 250, 750, -1.5707963268, "L 100 250 "};
    return m;
}

} // namespace

TEST_F(SaveCommands, FreshTrackAsksForANameThenSavesWithoutAsking)
{
    ws.editor.model = SampleModel();
    fake.fileAnswer = Path("circuit");
    SaveTrack(ws, prompts);

    ASSERT_EQ(fake.dialogs.size(), 1u);
    ExpectDialog(fake.dialogs[0], "save", "Save File As", "track file|*.trk", ws.tracksFolder);
    const QString saved = Path("circuit.trk");
    EXPECT_EQ(ws.editor.TrackFileName, saved.toStdString());
    EXPECT_EQ(ws.editor.view.status1, "track saved to " + saved.toStdString());
    EXPECT_EQ(ReadAll(saved).toStdString(), WriteTrackFile(ws.editor.model));

    SaveTrack(ws, prompts);
    EXPECT_EQ(fake.dialogs.size(), 1u);
    EXPECT_TRUE(fake.confirms.isEmpty());
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(SaveCommands, SaveAsFixesTheExtension)
{
    fake.fileAnswer = Path("track.TRK");
    SaveTrackAs(ws, prompts);
    EXPECT_EQ(ws.editor.TrackFileName, Path("track.trk").toStdString());
    EXPECT_TRUE(QFileInfo::exists(Path("track.trk")));

    fake.fileAnswer = Path("my track.v 2");
    SaveTrackAs(ws, prompts);
    EXPECT_TRUE(QFileInfo::exists(Path("my track.v 2.trk")));
}

TEST_F(SaveCommands, OverwriteQuestion)
{
    WriteAll(Path("old.trk"), "keep me\r\n");
    ws.editor.TrackFileName = Path("other.trk").toStdString();
    ws.editor.view.status1 = "before";
    fake.fileAnswer = Path("old.txt");

    // Declined in Save As: nothing shown, nothing changed.
    SaveTrackAs(ws, prompts);
    EXPECT_EQ(fake.confirms, QStringList{"file already exists; overwrite?"});
    EXPECT_EQ(ReadAll(Path("old.trk")), "keep me\r\n");
    EXPECT_EQ(ws.editor.TrackFileName, Path("other.trk").toStdString());
    EXPECT_EQ(ws.editor.view.status1, "before");

    // Agreed: the file is replaced and becomes the track's file.
    ws.editor.model = SampleModel();
    fake.confirmAnswers = {true};
    SaveTrackAs(ws, prompts);
    EXPECT_EQ(ReadAll(Path("old.trk")).toStdString(), WriteTrackFile(ws.editor.model));
    EXPECT_EQ(ws.editor.TrackFileName, Path("old.trk").toStdString());

    // Declined from Save on an unnamed track: "cancelled".
    WriteAll(Path("old.trk"), "keep me\r\n");
    ws.editor.TrackFileName.clear();
    SaveTrack(ws, prompts);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_TRUE(ws.editor.TrackFileName.empty());
}

TEST_F(SaveCommands, EmptyFileOrFolderIsNotAskedAbout)
{
    WriteAll(Path("empty.trk"), "");
    fake.fileAnswer = Path("empty.trk");
    SaveTrackAs(ws, prompts);
    EXPECT_TRUE(fake.confirms.isEmpty());
    EXPECT_EQ(ws.editor.view.status1, "track saved to " + Path("empty.trk").toStdString());

    EXPECT_TRUE(ConfirmOverwrite(Path("nothing-here"), prompts));
    EXPECT_TRUE(ConfirmOverwrite(dir.path(), prompts));
    EXPECT_TRUE(fake.confirms.isEmpty());
}

TEST_F(SaveCommands, CancelledDialog)
{
    ws.editor.TrackFileName = "/somewhere/else.trk";
    ws.editor.view.status1 = "before";
    SaveTrackAs(ws, prompts); // dialog returns empty
    EXPECT_EQ(ws.editor.view.status1, "before");
    EXPECT_EQ(ws.editor.TrackFileName, "/somewhere/else.trk");

    ws.editor.TrackFileName.clear();
    SaveTrack(ws, prompts);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(SaveCommands, FailedSaveIsReportedAndTheOldNameKept)
{
    const QString locked = Path("locked.trk");
    WriteAll(locked, "old\r\n");
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QString kept = Path("kept.trk");
    const struct {
        const char* how;
        QString path;
        bool saveAs;       // else Save to the track's own name
        rlim_t sizeLimit;  // 0: none
        const char* reason;
    } cases[] = {
        {"folder missing", Path("no/such/folder/a.trk"), true, 0, "No such file or directory"},
        {"file where a folder should be", BlockedPath("a.trk"), false, 0, "Not a directory"},
        {"read-only file", locked, false, 0, "Permission denied"},
        {"write fails", kept, true, 1024, "File too large"},
    };
    ws.editor.model = SampleModel();
    ws.editor.model.TrackPath += std::string(4096, ' ');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.path == locked && QFileInfo(locked).isWritable())
            continue;  // this user may write read-only files
        WriteAll(kept, "previous\r\n");
        fake.boxes.clear();
        const std::string oldName = c.saveAs ? "" : c.path.toStdString();
        ws.editor.TrackFileName = oldName;
        fake.fileAnswer = c.path;
        fake.confirmAnswers = {true};
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            c.saveAs ? SaveTrackAs(ws, prompts) : SaveTrack(ws, prompts);
        }
        ASSERT_EQ(fake.boxes.size(), 1u);
        EXPECT_EQ(fake.boxes[0].first, "Error");
        const QString& text = fake.boxes[0].second;
        EXPECT_EQ(text, Report("could not save track file: " + c.path + " (" + c.reason + ")", "SaveTrack", 722));
        EXPECT_EQ(ws.editor.view.status1, "track not saved");
        EXPECT_EQ(ws.editor.TrackFileName, oldName);
    }
    EXPECT_EQ(ReadAll(locked), "old\r\n");
    EXPECT_EQ(ReadAll(kept), "previous\r\n");
    EXPECT_EQ(Entries(), (QStringList{"blocker", "kept.trk", "locked.trk"}));  // no temporary file left
}

TEST_F(LoadCommand, CancelledDialog)
{
    ws.editor.model = SampleModel();
    Load(ws, prompts);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    ExpectDialog(fake.dialogs[0], "open", "Load File", "track file|*.trk", ws.tracksFolder);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_EQ(ws.editor.model.TrackPath, SampleModel().TrackPath);
}

TEST_F(LoadCommand, MissingEmptyOrFolderIsReportedAndChangesNothing)
{
    WriteAll(Path("empty.trk"), "");
    QDir(dir.path()).mkdir("folder.trk");
    for (const QString name : {"missing.trk", "empty.trk", "folder.trk"}) {
        SCOPED_TRACE(name.toStdString());
        fake.boxes.clear();
        ws.editor.model = SampleModel();
        ws.editor.TrackFileName = "/kept.trk";
        ws.editor.view.status1 = "before";
        const unsigned redraws = ws.editor.view.redraws;
        fake.fileAnswer = Path(name);
        Load(ws, prompts);
        ASSERT_EQ(fake.boxes.size(), 1u);
        EXPECT_EQ(fake.boxes[0].first, "Error");
        EXPECT_EQ(fake.boxes[0].second, Report("could not find file: " + Path(name), "Load", 739));
        EXPECT_EQ(ws.editor.model.TrackPath, SampleModel().TrackPath);
        EXPECT_EQ(ws.editor.model.labels, SampleModel().labels);
        EXPECT_EQ(ws.editor.TrackFileName, "/kept.trk");
        EXPECT_EQ(ws.editor.view.status1, "before");
        EXPECT_EQ(ws.editor.view.redraws, redraws);
    }
}

TEST_F(LoadCommand, UnreadableFileIsReported)
{
    const QString path = Path("secret.trk");
    WriteAll(path, "M 1 2 \r\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    if (QFileInfo(path).isReadable())
        GTEST_SKIP() << "this user may read any file";
    fake.fileAnswer = path;
    Load(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].second, Report("could not read file: " + path, "Load", 743));
    EXPECT_TRUE(ws.editor.TrackFileName.empty());
}

TEST_F(LoadCommand, DamagedFileIsRefusedAndAShortOneFlagged)
{
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise += static_cast<char>((i * 61 + 7) % 256);
    WriteAll(Path("noise.trk"), noise);
    ws.editor.model = SampleModel();
    ws.editor.TrackFileName = "/kept.trk";
    fake.fileAnswer = Path("noise.trk");
    Load(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].first, "Error");
    EXPECT_EQ(fake.boxes[0].second, Report("not a track file: " + Path("noise.trk"), "Load", 745));
    EXPECT_EQ(ws.editor.model.TrackPath, SampleModel().TrackPath);
    EXPECT_EQ(ws.editor.TrackFileName, "/kept.trk");

    const std::string whole = WriteTrackFile(SampleModel());
    WriteAll(Path("cut.trk"), QByteArray::fromStdString(whole.substr(0, whole.find("*cursor*"))));
    fake.fileAnswer = Path("cut.trk");
    Load(ws, prompts);
    EXPECT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(ws.editor.model.labels, SampleModel().labels);
    EXPECT_EQ(ws.editor.view.status1, "track loaded from " + Path("cut.trk").toStdString() + " (the file ends early)");
}

TEST_F(LoadCommand, ReadsTheTrackAndSetsMenusAndStatus)
{
    const QString path = Path("loaded.trk");
    WriteAll(path, QByteArray::fromStdString(WriteTrackFile(SampleModel())));
    ws.editor.view.redoEnabled = true;
    ws.editor.model.RedoStack = {"L 5 5 "};
    const unsigned redraws = ws.editor.view.redraws;
    fake.fileAnswer = path;
    Load(ws, prompts);

    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(ws.editor.model.TrackPath, SampleModel().TrackPath);
    EXPECT_EQ(ws.editor.model.markers, SampleModel().markers);
    EXPECT_TRUE(ws.editor.model.RedoStack.empty());
    EXPECT_EQ(ws.editor.TrackFileName, path.toStdString());
    EXPECT_EQ(ws.editor.view.status1, "track loaded from " + path.toStdString());
    EXPECT_EQ(ws.editor.view.status2, " ");
    EXPECT_TRUE(ws.editor.view.closeLoopEnabled);
    EXPECT_FALSE(ws.editor.view.redoEnabled);
    EXPECT_EQ(ws.editor.view.redraws, redraws + 1);

    // After Load, Save writes back to the loaded file without asking.
    SaveTrack(ws, prompts);
    EXPECT_TRUE(fake.dialogs.size() == 1 && fake.confirms.isEmpty());
    EXPECT_EQ(ws.editor.view.status1, "track saved to " + path.toStdString());
}

TEST_F(LoadCommand, CloseLoopFollowsThePathLength)
{
    TrackModel shortTrack;
    shortTrack.TrackPath = "M 100 200 L 300 200 ";
    const QString path = Path("short.trk");
    WriteAll(path, QByteArray::fromStdString(WriteTrackFile(shortTrack)));
    fake.fileAnswer = path;

    ws.editor.view.closeLoopEnabled = false;
    Load(ws, prompts);
    EXPECT_FALSE(ws.editor.view.closeLoopEnabled);
    // A short path leaves an enabled Close Loop as it was.
    ws.editor.view.closeLoopEnabled = true;
    Load(ws, prompts);
    EXPECT_TRUE(ws.editor.view.closeLoopEnabled);
}

TEST_F(LoadCommand, SaveLoadSaveGivesTheSameBytes)
{
    ws.editor.model = SampleModel();
    fake.fileAnswer = Path("first.trk");
    SaveTrackAs(ws, prompts);
    const QByteArray first = ReadAll(Path("first.trk"));
    ASSERT_FALSE(first.isEmpty());

    for (const char* next : {"second.trk", "third.trk"}) {
        ws.editor.model = TrackModel();
        Load(ws, prompts); // the file just saved
        fake.fileAnswer = Path(next);
        SaveTrackAs(ws, prompts);
        EXPECT_EQ(ReadAll(Path(next)), first) << next;
    }
    EXPECT_EQ(ws.editor.model.labels, SampleModel().labels);
    EXPECT_EQ(ws.editor.model.markers, SampleModel().markers);
}

} // namespace velmora
