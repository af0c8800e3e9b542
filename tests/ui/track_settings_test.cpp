#include "core/settings/prefs_file.h"
#include "ui/canvas_widget.h"
#include "ui/options_window.h"
#include "ui/shell_harness.h"
#include "file_bytes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora {

// The width, canvas and frame of one track never reach the next, and the
// user's preferences never take an imported track's: after a circuit (its
// own width and frame) or a map's canvas, each way of opening a track or of
// applying the options leaves the settings this table says.
TEST(TrackSettings, OneTracksWidthCanvasAndFrameNeverReachAnother)
{
    Settings preferred;
    preferred.CanvasWidth = 800;
    preferred.CanvasHeight = 700;
    preferred.TrackWidth = 30;
    const struct {
        const char* name;
        bool mapCanvas;     // the track before had a canvas of its own (300 x 200), as a map has
        int command;        // what opens the next track, or Options
        const char* typed;  // the track width typed in Options; nullptr: nothing changed there
        double width;       // the width in force after; 0: as before, -1: the circuit's own
        bool frame;         // the circuit's frame stays
        const char* prefs;  // what Preferences.ini holds after; "": not written
    } cases[] = {
        {"New", false, kCmdNew, nullptr, 30, false, ""},
        {"New after a map's canvas", true, kCmdNew, nullptr, 30, false, ""},
        {"Load of a drawn track", false, kCmdLoad, nullptr, 30, false, ""},
        {"Import Circuit after a map's canvas", true, kCmdImportCircuit, nullptr, -1, true, ""},
        {"Options, Apply without a change", false, kCmdOptions, nullptr, 0, true, "TrackWidth = 30\r\n"},
        {"Options, a width typed", false, kCmdOptions, "12", 12, true, "TrackWidth = 12\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShellHarness h(preferred);
        Workspace& ws = h.ws();
        h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/circuits/Monza.csv"); };
        h.shell().HandleMenu(kCmdImportCircuit);
        ASSERT_TRUE(ws.frame.has_value()) << ws.editor.view.status1;
        const WorldFrame frame = *ws.frame;
        const double circuitWidth = ws.settings.TrackWidth;
        ws.settings.TrackWidth += 0.47; // a width Options shows rounded, as most circuits have
        const double before = ws.settings.TrackWidth;
        if (c.mapCanvas) {
            ws.settings.CanvasWidth = 300;
            ws.settings.CanvasHeight = 200;
            ASSERT_TRUE(FitCanvasPicture(ws));
        }
        const QString drawn = h.work.filePath("Tracks/drawn.trk");
        WriteAll(drawn, "M 100 100 L 400 100 L 400 400 L 100 400 Z\r\n");
        if (c.command == kCmdLoad)
            h.answerOpen = [drawn] { return drawn; };
        const auto inOptions = [&] { // what the window shows, then Apply
            OptionsWindow& options = *h.shell().optionsWindow;
            QLineEdit* width = options.findChild<QLineEdit*>("TrackWidth");
            EXPECT_EQ(width->text(), WholeNumberText(before));
            EXPECT_EQ(options.findChild<QLineEdit*>("CanvasWidth")->text(), "800");
            if (c.typed)
                width->setText(c.typed);
            options.findChild<QPushButton*>("Apply")->click();
        };
        if (c.command == kCmdOptions)
            QTimer::singleShot(0, inOptions);
        h.shell().HandleMenu(c.command);

        EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
        EXPECT_EQ(ws.settings.TrackWidth, c.width > 0 ? c.width : c.width < 0 ? circuitWidth : before);
        ASSERT_EQ(ws.frame.has_value(), c.frame);
        if (c.frame) {
            EXPECT_EQ(ws.frame->metresPerPixel, frame.metresPerPixel);
            EXPECT_EQ(ws.frame->originX, frame.originX);
        }
        EXPECT_EQ(QSize(ws.settings.CanvasWidth, ws.settings.CanvasHeight), QSize(800, 700));
        EXPECT_EQ(ws.canvas.size(), QSize(800, 700));
        EXPECT_EQ(h.shell().canvas->size(), QSize(800, 700));
        const QByteArray prefs = ReadAll(ws.workFolder + kPrefsFileName);
        EXPECT_TRUE(std::string(c.prefs).empty() ? prefs.isEmpty() : prefs.contains(c.prefs)) << prefs.toStdString();
    }
}

} // namespace velmora
