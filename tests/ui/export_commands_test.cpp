#include "ui/command_fixture.h"
#include "ui/file_commands.h"
#include "render/image/png_write.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace velmora {

namespace {

using ExportCommands = FileCommands;
using TemplateCommand = FileCommands;
using RLDataCommand = FileCommands;

bool IsPng(const QByteArray& bytes)
{
    return bytes.startsWith("\x89PNG\r\n\x1a\n");
}
bool IsBmp(const QByteArray& bytes)
{
    return bytes.startsWith("BM");
}

} // namespace

TEST_F(ExportCommands, FormatAndNameFollowTheExtension)
{
    struct Case {
        const char* typed;
        const char* written;
        bool png;
    };
    for (const Case& c : {Case{"circuit", "circuit.png", true}, Case{"circuit.bmp", "circuit.bmp", false},
                          Case{"upper.PNG", "upper.PNG", true}, Case{"upper.BMP", "upper.BMP", false},
                          Case{"photo.jpg", "photo.jpg.png", true}}) {
        SCOPED_TRACE(c.typed);
        fake.fileAnswer = Path(c.typed);
        Export(ws, prompts);
        const QByteArray bytes = ReadAll(Path(c.written));
        EXPECT_TRUE(c.png ? IsPng(bytes) : IsBmp(bytes));
        EXPECT_EQ(ws.editor.view.status1, "track image saved as " + Path(c.written).toStdString());
    }
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_TRUE(fake.confirms.isEmpty());
    ASSERT_FALSE(fake.dialogs.empty());
    ExpectDialog(fake.dialogs[0], "save", "Save Image", "image|*.png;*.bmp", ws.tracksFolder);
}

TEST_F(ExportCommands, PictureIsTheCanvasAsPaintedWithoutAlpha)
{
    ws.canvas.setPixelColor(3, 4, QColor(255, 0, 0));
    fake.fileAnswer = Path("pic.bmp");
    Export(ws, prompts);
    const QImage back(Path("pic.bmp"));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), ws.canvas.size());
    EXPECT_FALSE(back.hasAlphaChannel());
    EXPECT_EQ(back.pixelColor(3, 4), QColor(255, 0, 0));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(10, 120, 200));
    EXPECT_EQ(ws.editor.view.redraws, 0u); // nothing is drawn again
}

TEST_F(ExportCommands, OverwriteQuestionOnTheFinalName)
{
    WriteAll(Path("circuit.png"), "old");
    fake.fileAnswer = Path("circuit");
    ws.editor.view.status1 = "before";
    Export(ws, prompts);
    EXPECT_EQ(fake.confirms, QStringList{"file already exists; overwrite?"});
    EXPECT_EQ(ReadAll(Path("circuit.png")), "old");
    EXPECT_EQ(ws.editor.view.status1, "before");

    fake.confirmAnswers = {true};
    Export(ws, prompts);
    EXPECT_TRUE(IsPng(ReadAll(Path("circuit.png"))));

    WriteAll(Path("empty.bmp"), "");
    fake.fileAnswer = Path("empty.bmp");
    Export(ws, prompts);
    EXPECT_EQ(fake.confirms.size(), 2);
    EXPECT_TRUE(IsBmp(ReadAll(Path("empty.bmp"))));
}

TEST_F(ExportCommands, CancelledDialog)
{
    Export(ws, prompts);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(ExportCommands, UnwritableFileIsReportedAndNothingEnds)
{
    ws.editor.view.status1 = "before";
    fake.fileAnswer = BlockedPath("circuit.png");
    Export(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].first, "Error");
    EXPECT_EQ(fake.boxes[0].second,
              Report("could not save image: " + fake.fileAnswer + " (Not a directory)", "Export", 875));
    EXPECT_EQ(ws.editor.view.status1, "image not saved");
}

TEST_F(ExportCommands, FailedWriteKeepsThePreviousImage)
{
    ws.canvas = QImage(300, 300, QImage::Format_RGB32);
    ws.canvas.fill(Qt::white);
    WriteAll(Path("kept.bmp"), "previous");
    fake.fileAnswer = Path("kept.bmp");
    fake.confirmAnswers = {true};
    {
        FileSizeLimit limit(4096);
        Export(ws, prompts);
    }
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_TRUE(fake.boxes[0].second.startsWith("could not save image: " + Path("kept.bmp") + " ("));
    EXPECT_EQ(ws.editor.view.status1, "image not saved");
    EXPECT_EQ(ReadAll(Path("kept.bmp")), "previous");
    EXPECT_EQ(Entries(), QStringList{"kept.bmp"});
}

TEST_F(ExportCommands, NoCanvasIsReportedBeforeAnyDialog)
{
    ws.canvas = QImage();
    Export(ws, prompts);
    CopyImg(ws, prompts);
    EXPECT_TRUE(fake.dialogs.empty());
    EXPECT_EQ(fake.clipboardCalls, 0);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[0].second, Report("could not creat image", "Export", 851));
    EXPECT_EQ(fake.boxes[1].second, Report("could not creat image", "CopyImg", 832));
}

TEST_F(ExportCommands, CopyPutsTheOpaquePictureOnTheClipboard)
{
    ws.canvas.setPixelColor(1, 1, QColor(0, 255, 0));
    CopyImg(ws, prompts);
    EXPECT_EQ(fake.clipboardCalls, 1);
    EXPECT_EQ(fake.clipboard.size(), ws.canvas.size());
    EXPECT_FALSE(fake.clipboard.hasAlphaChannel());
    EXPECT_EQ(fake.clipboard.pixelColor(1, 1), QColor(0, 255, 0));
    EXPECT_EQ(QImage::fromData(fake.clipboardPng, "PNG"), fake.clipboard.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(ws.editor.view.status1, "track copied to Clipboard");
}

TEST_F(TemplateCommand, CancelledDialogKeepsTheTemplate)
{
    ws.templateImage = QImage(8, 8, QImage::Format_RGB32);
    LoadTemplate(ws, prompts);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    ExpectDialog(fake.dialogs[0], "open", "Load Template", "image|*.png;*.bmp", ws.tracksFolder);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_FALSE(ws.templateImage.isNull());
}

TEST_F(TemplateCommand, MissingOrEmptyFileIsReportedAndKeepsTheTemplate)
{
    WriteAll(Path("empty.png"), "");
    for (const QString name : {"missing.png", "empty.png"}) {
        fake.boxes.clear();
        ws.templateImage = QImage(8, 8, QImage::Format_RGB32);
        fake.fileAnswer = Path(name);
        LoadTemplate(ws, prompts);
        ASSERT_EQ(fake.boxes.size(), 1u);
        EXPECT_EQ(fake.boxes[0].second, Report("could not find image: " + Path(name), "LoadImg", 490));
        EXPECT_FALSE(ws.templateImage.isNull());
        EXPECT_EQ(ws.editor.view.redraws, 0u);
    }
}

TEST_F(TemplateCommand, UndecodableFileAfterAGoodOneRemovesTheTemplate)
{
    QImage good(20, 10, QImage::Format_RGB32);
    good.fill(Qt::yellow);
    WriteAll(Path("good.png"), QByteArray::fromStdString(*EncodePng(good)));
    WriteAll(Path("bad.png"), "this is no picture");

    fake.fileAnswer = Path("good.png");
    LoadTemplate(ws, prompts);
    EXPECT_EQ(ws.templateImage.size(), QSize(20, 10));
    EXPECT_EQ(ws.editor.view.redraws, 1u);
    EXPECT_EQ(ws.editor.view.status1, (Path("good.png") + " loaded as template").toStdString());

    fake.fileAnswer = Path("bad.png");
    LoadTemplate(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].first, "Error");
    EXPECT_EQ(fake.boxes[0].second, "could not load image: " + Path("bad.png"));
    EXPECT_TRUE(ws.templateImage.isNull());
    EXPECT_EQ(ws.editor.view.redraws, 2u);
    EXPECT_EQ(ws.editor.view.status1, (Path("bad.png") + " loaded as template").toStdString());
}

TEST_F(RLDataCommand, WritesTheFileAndMarksTheLineEnds)
{
    ws.canvas = QImage(400, 200, QImage::Format_RGB32);
    ws.canvas.fill(Qt::black);
    ws.editor.model.TrackPath = "M 100 100 L 300 100 ";
    ws.editor.model.markers = {{2, 200, 95}};
    fake.fileAnswer = Path("rl");
    SaveRLData(ws, prompts);

    ASSERT_EQ(fake.dialogs.size(), 1u);
    ExpectDialog(fake.dialogs[0], "save", "Save RL Data As", "text file|*.txt", ws.tracksFolder);
    EXPECT_EQ(ReadAll(Path("rl")), "; angle, x1, y1, x2, y2, \r\n"
                                   "90, 132, 90, 132, 110, \r\n"
                                   "90, 196, 90, 196, 110, \r\n"
                                   "90, 260, 90, 260, 110, \r\n"
                                   "*markers*\r\n"
                                   "; position.i, type.i, x.i, y.i, \r\n"
                                   "1, 2, 200, 95, \r\n");
    EXPECT_EQ(ws.editor.view.status1, "data saved as " + Path("rl").toStdString());

    // Discs of radius 3 on the rounded ends, drawn straight on the canvas.
    const QColor red(255, 0, 0);
    EXPECT_EQ(ws.canvas.pixelColor(132, 90), red);
    EXPECT_EQ(ws.canvas.pixelColor(135, 90), red);
    EXPECT_EQ(ws.canvas.pixelColor(134, 92), red);
    EXPECT_NE(ws.canvas.pixelColor(136, 90), red);
    EXPECT_NE(ws.canvas.pixelColor(135, 91), red);
    EXPECT_EQ(ws.canvas.pixelColor(260, 110), red);
    EXPECT_EQ(ws.editor.view.redraws, 0u);
}

TEST_F(RLDataCommand, CancelledDialog)
{
    SaveRLData(ws, prompts);
    EXPECT_EQ(ws.editor.view.status1, "cancelled");
    EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(RLDataCommand, UnwritableFileIsReported)
{
    fake.fileAnswer = BlockedPath("rl.txt");
    SaveRLData(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].first, "Error");
    EXPECT_EQ(fake.boxes[0].second,
              Report("could not create file: " + fake.fileAnswer + " (Not a directory)", "SaveRLData", 1289));
    EXPECT_EQ(ws.editor.view.status1, "data not saved");
}

TEST_F(RLDataCommand, FailedWriteKeepsThePreviousFile)
{
    WriteAll(Path("rl.txt"), "previous");
    ws.editor.model.TrackPath = "M 0 100 L 2000 100 "; // 31 lines, about 800 bytes
    fake.fileAnswer = Path("rl.txt");
    {
        FileSizeLimit limit(512);
        SaveRLData(ws, prompts);
    }
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_TRUE(fake.boxes[0].second.startsWith("could not create file: " + Path("rl.txt") + " ("));
    EXPECT_EQ(ws.editor.view.status1, "data not saved");
    EXPECT_EQ(ReadAll(Path("rl.txt")), "previous");
    EXPECT_EQ(Entries(), QStringList{"rl.txt"});
}

TEST_F(RLDataCommand, GapsThatCannotWorkAreRefusedBeforeTheDialog)
{
    fake.fileAnswer = Path("rl.txt");
    for (double gap : {0.0, -64.0, std::nan("")}) {
        fake.boxes.clear();
        ws.settings.MarkerGap = gap;
        SaveRLData(ws, prompts);
        ASSERT_EQ(fake.boxes.size(), 1u);
        EXPECT_EQ(fake.boxes[0].first, "Error");
        EXPECT_EQ(fake.boxes[0].second, "could not export RL data: the marker gap must be greater than 0");
    }

    fake.boxes.clear();
    ws.editor.model.TrackPath = "M 0 0 L 1000000 0 L 0 0 ";
    ws.settings.MarkerGap = 1;
    SaveRLData(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_TRUE(fake.boxes[0].second.startsWith("could not export RL data: "))
        << fake.boxes[0].second.toStdString();

    // A width whose line ends leave the file's whole numbers would be
    // written clamped: refused as velmora-export refuses it.
    fake.boxes.clear();
    ws.editor.model.TrackPath = "M 0 0 L 1000 0 ";
    ws.settings.MarkerGap = 64;
    ws.settings.TrackWidth = 1e7;
    SaveRLData(ws, prompts);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].second,
              "could not export RL data: the track width must be a number from 0 to 1000000 pixels, not 10000000");

    EXPECT_TRUE(fake.dialogs.empty());
    EXPECT_TRUE(Entries().isEmpty());
}

} // namespace velmora
