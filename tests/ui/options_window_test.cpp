#include "ui/options_window.h"
#include "core/settings/prefs_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

namespace velmora {
namespace {

class OptionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No main window here: hiding ours must not end the application.
        QApplication::setQuitOnLastWindowClosed(false);
        ASSERT_TRUE(tmp.isValid());
        ws.workFolder = tmp.path() + "/";
        ws.canvas = QImage(CanvasSide(ws.settings.CanvasWidth), CanvasSide(ws.settings.CanvasHeight),
                           QImage::Format_RGB32);
        prompts.message = [this](const QString& title, const QString& text) {
            boxes.push_back(title + "|" + text);
        };
        prompts.chooseColour = [this](const QColor& initial) {
            offered.push_back(initial);
            return nextColour;
        };
    }

    OptionsWindow& Window()
    {
        if (!window)
            window = std::make_unique<OptionsWindow>(ws.settings);
        return *window;
    }

    template <typename T> T* Control(const char* name)
    {
        T* w = Window().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QLineEdit* Field(const char* name) { return Control<QLineEdit>(name); }
    void Click(const char* button) { Control<QAbstractButton>(button)->click(); }

    // Runs the window's loop with `inside` acting from within it. A watchdog
    // ends a loop that the actions failed to end.
    void RunWhile(const std::function<void()>& inside)
    {
        OptionsWindow& w = Window();
        QTimer act;
        act.setSingleShot(true);
        QObject::connect(&act, &QTimer::timeout, [&] {
            loopFlagInside = ws.optionsLoopRunning;
            visibleInside = w.isVisible();
            inside();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            ADD_FAILURE() << "the options loop did not end";
            w.close();
        });
        act.start(0);
        watchdog.start(10000);
        RunOptionsWindow(ws, w, prompts);
    }

    void ClickSwatch(const char* name)
    {
        QLabel* swatch = Control<QLabel>(name);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 12), swatch->mapToGlobal(QPointF(12, 12)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(12, 12), swatch->mapToGlobal(QPointF(12, 12)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &press);
        QApplication::sendEvent(swatch, &release);
    }

    static void Type(QWidget* field, const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
        }
    }

    QByteArray PrefsBytes() const
    {
        QFile f(QDir(ws.workFolder).filePath(kPrefsFileName));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool PrefsExists() const { return QFile::exists(QDir(ws.workFolder).filePath(kPrefsFileName)); }

    QTemporaryDir tmp;
    Workspace ws;
    Prompts prompts;
    std::vector<QString> boxes;
    std::vector<QColor> offered;
    std::optional<QColor> nextColour;
    std::unique_ptr<OptionsWindow> window;
    bool loopFlagInside = false;
    bool visibleInside = false;
};

TEST_F(OptionsWindowTest, ApplyPutsTypedCanvasWidthInForceAndSaves)
{
    const unsigned redrawsBefore = ws.editor.view.redraws;
    RunWhile([&] {
        Field("CanvasWidth")->clear();
        Type(Field("CanvasWidth"), "3000");
        Click("Apply");
    });
    EXPECT_TRUE(loopFlagInside);
    EXPECT_TRUE(visibleInside);
    EXPECT_FALSE(ws.optionsLoopRunning);
    EXPECT_FALSE(Window().isVisible());

    EXPECT_EQ(ws.settings.CanvasWidth, 3000.0);
    EXPECT_EQ(ws.canvas.width(), 3000);
    EXPECT_EQ(ws.canvas.height(), 2048);
    EXPECT_GT(ws.editor.view.redraws, redrawsBefore);
    EXPECT_TRUE(boxes.empty());

    ASSERT_TRUE(PrefsExists());
    EXPECT_EQ(PrefsBytes().toStdString(), WritePrefs(ws.settings));
    EXPECT_TRUE(PrefsBytes().contains("CanvasWidth = 3000\r\n"));
}

TEST_F(OptionsWindowTest, CancelAndCloseBoxKeepTypedTextUntilALaterApply)
{
    const Settings before = ws.settings;
    const unsigned redrawsBefore = ws.editor.view.redraws;
    RunWhile([&] {
        Field("CanvasWidth")->setText("3000");
        Control<QCheckBox>("Markers")->click();
        Click("Cancel");
    });
    EXPECT_FALSE(ws.optionsLoopRunning);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(ws.settings, before);
    EXPECT_EQ(ws.canvas.width(), 2048);
    EXPECT_EQ(ws.editor.view.redraws, redrawsBefore);
    EXPECT_FALSE(PrefsExists());

    // The close box behaves the same.
    RunWhile([&] {
        EXPECT_EQ(Field("CanvasWidth")->text(), "3000");
        Window().close();
    });
    EXPECT_TRUE(loopFlagInside);
    EXPECT_FALSE(ws.optionsLoopRunning);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(ws.settings, before);
    EXPECT_FALSE(PrefsExists());

    RunWhile([&] { Click("Apply"); });
    EXPECT_EQ(ws.settings.CanvasWidth, 3000.0);
    EXPECT_EQ(ws.settings.Markers, 0);
    EXPECT_EQ(ws.canvas.width(), 3000);
    EXPECT_TRUE(PrefsExists());
}

TEST_F(OptionsWindowTest, ColourAndOptionChoicesTakeEffectAtOnceAndReachTheFileLater)
{
    RunWhile([&] {
        nextColour = QColor(10, 20, 30);
        ClickSwatch("DotColor");
        nextColour = QColor(200, 100, 50);
        ClickSwatch("LineColor");
        nextColour = QColor(1, 2, 3);
        ClickSwatch("BGColor");
        nextColour.reset(); // the dialog cancelled: nothing changes
        ClickSwatch("SmallTextColor");
        Click("LineMarkers");
        Click("RedWhiteBorder");
        Click("Cancel");
    });
    ASSERT_EQ(offered.size(), 4u);
    EXPECT_EQ(offered[0], QColor(255, 255, 0)); // the old dot colour, opaque
    EXPECT_EQ(offered[1], QColor(255, 255, 255));
    EXPECT_EQ(offered[2], QColor(40, 158, 58));

    EXPECT_EQ(ws.settings.DotColor, 0xFF1E140Au);
    EXPECT_EQ(ws.settings.LineColor, 0xFF3264C8u); // alpha 208 became 255
    EXPECT_EQ(ws.settings.BGColor, 0x00030201u);   // the background keeps alpha 0
    EXPECT_EQ(ws.settings.SmallTextColor, 0xFFFFFFFFu);
    EXPECT_EQ(ws.settings.ShowDots, 0);
    EXPECT_EQ(ws.settings.RedWhite, 1);
    EXPECT_EQ(Window().Swatch(0).image.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(Window().Swatch(2).image.pixel(24, 24), qRgb(1, 2, 3));
    EXPECT_EQ(Control<QLabel>("DotColor")->pixmap().toImage().pixel(12, 12), qRgb(10, 20, 30));
    EXPECT_FALSE(PrefsExists());

    const Settings chosen = ws.settings;
    RunWhile([&] { Click("Apply"); });
    EXPECT_EQ(ws.settings.DotColor, chosen.DotColor);
    EXPECT_EQ(ws.settings.ShowDots, 0);
    EXPECT_EQ(PrefsBytes().toStdString(), WritePrefs(chosen));
    EXPECT_TRUE(PrefsBytes().contains("DotColor = -14806006\r\n"));
}

TEST_F(OptionsWindowTest, ApplyReadsFieldsWithTheIntegerRule)
{
    RunWhile([&] {
        Field("CanvasHeight")->setText("0");
        Field("TrackWidth")->clear();
        Field("MarkerGap")->setText("$7F");
        Field("TextFont")->setText("Times New Roman");
        Field("LgText")->setText("%101");
        Field("MedText")->setText("-3");
        Field("SmText")->setText("4294967297"); // 2^32 + 1
        Field("AngleLimit")->setText(" 12abc");
        Control<QCheckBox>("ShowBorder")->click();
        Click("Apply");
    });
    EXPECT_EQ(ws.settings.CanvasHeight, 0.0); // stored as typed, drawn 1 high
    EXPECT_EQ(ws.canvas.height(), 1);
    EXPECT_EQ(ws.settings.TrackWidth, 0.0);
    EXPECT_EQ(ws.settings.MarkerGap, 127.0);
    EXPECT_EQ(ws.settings.TextFont, "Times New Roman");
    EXPECT_EQ(ws.settings.LgText, 5);
    EXPECT_EQ(ws.settings.MedText, -3);
    EXPECT_EQ(ws.settings.SmText, 1);
    EXPECT_EQ(ws.settings.AngleLimit, 12);
    EXPECT_EQ(ws.settings.ShowBorder, 0);
    EXPECT_EQ(ws.settings.Markers, 1);
}

TEST_F(OptionsWindowTest, UnwritablePrefsFileIsReportedAndSettingsStayInForce)
{
    ASSERT_TRUE(QDir(ws.workFolder).mkdir(kPrefsFileName));
    const unsigned redrawsBefore = ws.editor.view.redraws;
    RunWhile([&] {
        Field("CanvasWidth")->setText("3000");
        Click("Apply");
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Error|could not save Preferences file\r\nVelmora in SavePrefs @ 591");
    EXPECT_EQ(ws.settings.CanvasWidth, 3000.0);
    EXPECT_EQ(ws.canvas.width(), 3000);
    EXPECT_GT(ws.editor.view.redraws, redrawsBefore);
    EXPECT_FALSE(ws.optionsLoopRunning);
    EXPECT_TRUE(QFileInfo(QDir(ws.workFolder).filePath(kPrefsFileName)).isDir());
}

TEST_F(OptionsWindowTest, InitialContentsFollowTheSettings)
{
    ws.settings.CanvasWidth = 2.5;
    ws.settings.CanvasHeight = 3.5;
    ws.settings.TrackWidth = std::numeric_limits<double>::quiet_NaN();
    ws.settings.MarkerGap = 1e20;
    ws.settings.AngleLimit = -45;
    ws.settings.Markers = 0;
    ws.settings.ShowDots = 2;
    ws.settings.RedWhite = 7;
    ws.settings.TextFont = "Caf\xc3\xa9";
    EXPECT_EQ(Field("CanvasWidth")->text(), "2");
    EXPECT_EQ(Field("CanvasHeight")->text(), "4");
    EXPECT_EQ(Field("TrackWidth")->text(), "NaN");
    EXPECT_EQ(Field("MarkerGap")->text(), "100000000000000000000");
    EXPECT_EQ(Field("AngleLimit")->text(), "-45");
    EXPECT_EQ(Field("LgText")->text(), "32");
    EXPECT_EQ(Field("TextFont")->text(), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_FALSE(Control<QCheckBox>("Markers")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("ShowBorder")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("DotMarkers")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("LineMarkers")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>("RedWhiteBorder")->isChecked());
    EXPECT_FALSE(Control<QRadioButton>("BlackBorder")->isChecked());
    // Swatches show their colour opaque, whatever the stored alpha.
    EXPECT_EQ(Window().Swatch(1).image.pixel(3, 3), qRgb(255, 255, 255));
    EXPECT_EQ(Window().Swatch(2).image.pixel(3, 3), qRgb(40, 158, 58));
}

TEST_F(OptionsWindowTest, NumericFieldsRefuseTypedNonDigits)
{
    QLineEdit* width = Field("CanvasWidth");
    width->setText("-3"); // code may put anything there
    width->end(false);
    Type(width, "a7.x8 ");
    EXPECT_EQ(width->text(), "-378");
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    QApplication::sendEvent(width, &backspace);
    EXPECT_EQ(width->text(), "-37");

    QLineEdit* font = Field("TextFont");
    font->clear();
    Type(font, "Arial 2");
    EXPECT_EQ(font->text(), "Arial 2");
}

TEST_F(OptionsWindowTest, WindowGeometryAndTabOrder)
{
    OptionsWindow& w = Window();
    EXPECT_EQ(w.windowTitle(), "Set Options");
    EXPECT_EQ(w.size(), QSize(540, 430));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_EQ(Field("CanvasWidth")->geometry(), QRect(160, 10, 50, 25));
    EXPECT_EQ(Field("TextFont")->geometry(), QRect(430, 10, 100, 25));
    EXPECT_EQ(Field("AngleLimit")->geometry(), QRect(430, 130, 50, 25));
    EXPECT_EQ(Control<QWidget>("RedWhiteBorder")->geometry(), QRect(280, 190, 150, 25));
    EXPECT_EQ(Control<QWidget>("SmallTextColor")->geometry(), QRect(430, 330, 25, 25));
    EXPECT_EQ(Control<QWidget>("Apply")->geometry(), QRect(60, 390, 60, 30));
    EXPECT_EQ(Control<QWidget>("Cancel")->geometry(), QRect(420, 390, 60, 30));

    // 17 focusable controls and 21 labels and swatches that take no focus;
    // every label lies under the field created after it.
    const QList<QWidget*> children = w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(children.size(), 38);
    const QList<QLabel*> labels = w.findChildren<QLabel*>();
    for (QLabel* label : labels) {
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        if (label->text() == "Canvas Width") {
            EXPECT_EQ(label->geometry(), QRect(10, 10, 200, 25));
        }
    }
    EXPECT_EQ(w.childAt(165, 15), Field("CanvasWidth"));

    const QStringList expected = {
        "CanvasWidth", "CanvasHeight",   "TrackWidth",  "MarkerGap", "Markers", "DotMarkers",
        "LineMarkers", "TextFont",       "LgText",      "MedText",   "SmText",  "AngleLimit",
        "ShowBorder",  "RedWhiteBorder", "BlackBorder", "Apply",     "Cancel",  "CanvasWidth"};
    // Real Tab presses, forward and then back with Shift+Tab.
    w.show();
    QApplication::setActiveWindow(&w);
    Field("CanvasWidth")->setFocus(Qt::TabFocusReason);
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers mods) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    QStringList forward = {Field("CanvasWidth")->objectName()};
    for (qsizetype i = 1; i < expected.size(); ++i)
        forward << press(Qt::Key_Tab, Qt::NoModifier);
    EXPECT_EQ(forward, expected);
    QStringList back = {forward.back()};
    for (qsizetype i = 1; i < expected.size(); ++i)
        back.prepend(press(Qt::Key_Backtab, Qt::ShiftModifier));
    EXPECT_EQ(back, expected);
    w.hide();
}

TEST_F(OptionsWindowTest, ClicksAnywhereOnAControlAndAVisibleFocusOnTheButtons)
{
    OptionsWindow& w = Window();
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const auto clickFarCorner = [](QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() - 2, b->height() - 2));
    };
    for (const char* name : {"Markers", "ShowBorder"}) {
        auto* box = Control<QCheckBox>(name);
        const bool before = box->isChecked();
        clickFarCorner(box);
        EXPECT_NE(box->isChecked(), before) << name;
    }
    for (const char* name : {"LineMarkers", "DotMarkers", "LineMarkers", "BlackBorder", "RedWhiteBorder"}) {
        clickFarCorner(Control<QRadioButton>(name));
        EXPECT_TRUE(Control<QRadioButton>(name)->isChecked()) << name;
    }

    // Neither button wears the default frame, so the keyboard focus shows
    // when Tab reaches it.
    Control<QRadioButton>("BlackBorder")->setFocus(Qt::TabFocusReason);
    for (const char* name : {"Apply", "Cancel"}) {
        SCOPED_TRACE(name);
        auto* button = Control<QPushButton>(name);
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
        QPushButton plain(button->text(), &w);
        plain.resize(button->size());
        const QImage resting = button->grab().toImage();
        EXPECT_EQ(resting, plain.grab().toImage());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(button->hasFocus());
        EXPECT_NE(button->grab().toImage(), resting);
    }
    w.hide();
}

TEST_F(OptionsWindowTest, PictureOfTheWindowShowsTheSwatches)
{
    OptionsWindow& w = Window();
    w.show();
    const QImage picture = w.grab().toImage();
    w.hide();
    ASSERT_EQ(picture.size(), QSize(540, 430));
    EXPECT_EQ(picture.pixel(160 + 12, 220 + 12), qRgb(255, 255, 0)); // dot colour
    EXPECT_EQ(picture.pixel(160 + 12, 300 + 12), qRgb(40, 158, 58)); // background colour
    picture.save(QCoreApplication::applicationDirPath() + "/../options.png");
}

} // namespace
} // namespace velmora
