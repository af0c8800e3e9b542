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
namespace {

Settings Preferred()
{
    Settings s;
    s.CanvasWidth = 800;
    s.CanvasHeight = 700;
    s.TrackWidth = 30;
    return s;
}

// Runs Options with `inside` acting in its window before Apply.
void ApplyOptions(ShellHarness& h, const std::function<void(OptionsWindow&)>& inside)
{
    QTimer::singleShot(0, [&] {
        OptionsWindow& options = *h.shell().optionsWindow;
        inside(options);
        options.findChild<QPushButton*>("Apply")->click();
    });
    h.shell().HandleMenu(kCmdOptions);
}

QString FieldText(OptionsWindow& w, const char* name)
{
    return w.findChild<QLineEdit*>(name)->text();
}

} // namespace

// The width, canvas and frame of one track never reach the next, and the
// user's preferences never take an imported track's: after a circuit (its
// own width and frame) or a map's canvas, each way of opening a track or of
// applying the options leaves the settings this table says.
TEST(TrackSettings, OneTracksWidthCanvasAndFrameNeverReachAnother)
{
    enum class Then { New, LoadDrawn, ImportAgain, OptionsUnchanged, OptionsTypedWidth };
    const struct {
        const char* name;
        bool mapCanvas; // the track before had a canvas of its own (300 x 200), as a map has
        Then then;
        double width;   // the width in force after; 0: as before, -1: the circuit's own
        bool frame;     // the circuit's frame stays
        int prefsWidth; // TrackWidth in Preferences.ini after, 0 when it is not written
    } cases[] = {
        {"New", false, Then::New, 30, false, 0},
        {"New after a map's canvas", true, Then::New, 30, false, 0},
        {"Load of a drawn track", false, Then::LoadDrawn, 30, false, 0},
        {"Import Circuit after a map's canvas", true, Then::ImportAgain, -1, true, 0},
        {"Options, Apply without a change", false, Then::OptionsUnchanged, 0, true, 30},
        {"Options, a width typed", false, Then::OptionsTypedWidth, 12, true, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShellHarness h(Preferred());
        Workspace& ws = h.ws();
        const QString drawn = h.work.filePath("Tracks/drawn.trk");
        WriteAll(drawn, "M 100 100 L 400 100 L 400 400 L 100 400 Z\r\n");
        h.answerOpen = [] { return QString(VELMORA_TEST_DATA "/circuits/Monza.csv"); };
        h.shell().HandleMenu(kCmdImportCircuit);
        ASSERT_TRUE(ws.frame.has_value()) << ws.editor.view.status1;
        const WorldFrame frame = *ws.frame;
        // A width that Options shows rounded, as most circuits have.
        const double circuitWidth = ws.settings.TrackWidth;
        ws.settings.TrackWidth += 0.47;
        const double imported = ws.settings.TrackWidth;
        ASSERT_NE(imported, 30);
        if (c.mapCanvas) {
            ws.settings.CanvasWidth = 300;
            ws.settings.CanvasHeight = 200;
            ASSERT_TRUE(FitCanvasPicture(ws));
            h.shell().FitCanvas();
        }

        switch (c.then) {
        case Then::New:
            h.shell().HandleMenu(kCmdNew);
            break;
        case Then::LoadDrawn:
            h.answerOpen = [drawn] { return drawn; };
            h.shell().HandleMenu(kCmdLoad);
            break;
        case Then::ImportAgain:
            h.shell().HandleMenu(kCmdImportCircuit);
            break;
        case Then::OptionsUnchanged:
            ApplyOptions(h, [&](OptionsWindow& w) {
                EXPECT_EQ(FieldText(w, "TrackWidth"), WholeNumberText(imported));
                EXPECT_EQ(FieldText(w, "CanvasWidth"), "800");
            });
            break;
        case Then::OptionsTypedWidth:
            ApplyOptions(h, [](OptionsWindow& w) { w.findChild<QLineEdit*>("TrackWidth")->setText("12"); });
            break;
        }

        EXPECT_TRUE(h.boxes.isEmpty()) << h.boxes.join('\n').toStdString();
        EXPECT_EQ(ws.settings.TrackWidth, c.width > 0 ? c.width : c.width < 0 ? circuitWidth : imported);
        ASSERT_EQ(ws.frame.has_value(), c.frame);
        if (c.frame) {
            EXPECT_EQ(ws.frame->metresPerPixel, frame.metresPerPixel);
            EXPECT_EQ(ws.frame->originX, frame.originX);
        }
        EXPECT_EQ(ws.settings.CanvasWidth, 800);
        EXPECT_EQ(ws.settings.CanvasHeight, 700);
        EXPECT_EQ(ws.canvas.size(), QSize(800, 700));
        EXPECT_EQ(h.shell().canvas->size(), QSize(800, 700));
        const QByteArray prefs = ReadAll(ws.workFolder + kPrefsFileName);
        if (c.prefsWidth)
            EXPECT_TRUE(prefs.contains("TrackWidth = " + QByteArray::number(c.prefsWidth) + "\r\n")) << prefs.toStdString();
        else
            EXPECT_TRUE(prefs.isEmpty());
    }
}

} // namespace velmora
