#pragma once

#include "ui/workspace.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <array>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora {

// One clickable colour sample: its picture, the control showing it, and the
// setting it edits.
struct ColourSwatch {
    QImage image; // 25 x 25, 32-bit, always opaque
    QLabel* control = nullptr;
    ARGB Settings::*setting = nullptr;
    bool storeTransparent = false; // BGColor keeps alpha 0
};

// The "Set Options" window: built once at start-up, hidden, and only shown
// and hidden afterwards. Its fields keep what the user typed between showings.
// Controls carry the setting's key as object name ("CanvasWidth", ...), the
// push buttons "Apply" and "Cancel".
class OptionsWindow : public QWidget {
    Q_OBJECT

public:
    explicit OptionsWindow(const Settings& initial, QWidget* parent = nullptr);

    static constexpr int kInnerWidth = 540;
    static constexpr int kInnerHeight = 430;

    // Puts the window in the middle of the primary screen.
    void CentreOnScreen();

    // Copies the fields and check boxes into s (what Apply reads); a field
    // still showing the value in s leaves it as it is.
    void ReadControls(Settings& s) const;

    // Before the window is shown: the fields of the track's own settings
    // (canvas, track width) show the values in force when a track has
    // changed them since the last showing; text typed and cancelled stays
    // while they are unchanged.
    void ShowValuesInForce(const Settings& s);

    const ColourSwatch& Swatch(int i) const { return swatches_[static_cast<std::size_t>(i)]; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend void RunOptionsWindow(Workspace& ws, OptionsWindow& window, const Prompts& prompts);

    void BuildControls(const Settings& initial);
    QLineEdit* AddField(const char* key, int x, int y, int width, const QString& text, bool digitsOnly);
    QLabel* AddLabel(const char* text, int x, int y);
    void AddSwatch(int index, const char* key, int x, int y, ARGB Settings::*setting, bool transparent,
                   ARGB colour);
    void ChooseSwatchColour(ColourSwatch& swatch);
    void SetFlag(std::int32_t Settings::*flag, std::int32_t value);
    void EndLoop(bool apply);

    QLineEdit* canvasWidth_ = nullptr;
    QLineEdit* canvasHeight_ = nullptr;
    QLineEdit* trackWidth_ = nullptr;
    QLineEdit* markerGap_ = nullptr;
    QCheckBox* markers_ = nullptr;
    QRadioButton* dotMarkers_ = nullptr;
    QRadioButton* lineMarkers_ = nullptr;
    QLineEdit* textFont_ = nullptr;
    QLineEdit* lgText_ = nullptr;
    QLineEdit* medText_ = nullptr;
    QLineEdit* smText_ = nullptr;
    QLineEdit* angleLimit_ = nullptr;
    QCheckBox* showBorder_ = nullptr;
    QRadioButton* redWhite_ = nullptr;
    QRadioButton* blackBorder_ = nullptr;
    std::array<ColourSwatch, 6> swatches_;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QButtonGroup* markerGroup_ = nullptr;
    QButtonGroup* borderGroup_ = nullptr;
    std::vector<QWidget*> tabStops_; // creation order
    Settings shown_;                 // the settings in force when last shown

    // Set only while RunOptionsWindow runs its loop.
    QEventLoop* loop_ = nullptr;
    Workspace* ws_ = nullptr;
    const Prompts* prompts_ = nullptr;
};

// Fills a swatch's picture with the colour (made opaque) and shows it again.
void PaintSwatch(QImage& image, const QColor& colour, QLabel* control);

// The field text for a stored float setting: the nearest whole number (halves
// to even) in plain decimal; not-a-number and infinities as the preferences
// file writes them.
QString WholeNumberText(double value);

// Shows the window and runs its own loop until Apply, Cancel or the close
// box. While it runs, ws.optionsLoopRunning is true.
void RunOptionsWindow(Workspace& ws, OptionsWindow& window, const Prompts& prompts);

// Puts the current settings in force: canvas size, fonts, Preferences.ini in
// ws.workFolder, and a redraw request.
void ApplySettings(Workspace& ws, const Prompts& prompts);

} // namespace velmora
