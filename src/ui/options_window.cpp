#include "ui/options_window.h"

#include "ui/failure_report.h"
#include "core/formats/number_text.h"
#include "render/image/atomic_save.h"
#include "render/redraw.h"
#include "core/settings/prefs_file.h"
#include "core/track/editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kApplyCode = 1; // any other exit code of the local loop cancels
constexpr int kSwatchSide = 25;
constexpr char kDigitsOnly[] = "velmoraDigitsOnly";
constexpr char kSwatchIndex[] = "velmoraSwatch";
// Where start-up reports a swatch picture it could not create, per swatch.
constexpr int kSwatchImageCheck[] = {301, 307, 313, 319, 325, 332};

QColor OpaqueColour(ARGB c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

ARGB ToARGB(const QColor& c, unsigned alpha)
{
    return static_cast<ARGB>(c.red() & 0xFF) | static_cast<ARGB>(c.green() & 0xFF) << 8 |
           static_cast<ARGB>(c.blue() & 0xFF) << 16 | static_cast<ARGB>(alpha & 0xFF) << 24;
}

// Typed text may hold digits only; control characters (Backspace, Tab, the
// Ctrl shortcuts) pass so editing and pasting keep working.
bool HoldsNonDigit(const QString& typed)
{
    for (QChar c : typed) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || u == 0x7F;
        if (!control && (u < u'0' || u > u'9'))
            return true;
    }
    return false;
}

std::int64_t FieldValue(const QLineEdit* field)
{
    return ReadIntegerText(field->text().toStdString());
}

// A field still showing the value in force keeps that value exactly: it
// shows it as a whole number, and Apply without a change must change nothing
// (an imported circuit 8.47 px wide stays so, not 8).
void ReadWholeField(const QLineEdit* field, double& value)
{
    if (field->text() != WholeNumberText(value))
        value = static_cast<double>(FieldValue(field));
}

// The open track's own settings, which Options shows in force but keeps out
// of the preferences unless the user types them anew.
constexpr double Settings::*kTrackOwn[] = {&Settings::CanvasWidth, &Settings::CanvasHeight, &Settings::TrackWidth};

// What the preferences become on Apply: every setting in force, but of the
// track's own only those that Apply changed; the others stay the user's.
Settings PreferencesAfterApply(const Settings& inForce, const Settings& before, const Settings& prefs)
{
    Settings kept = inForce;
    for (double Settings::*key : kTrackOwn)
        if (SameSetting(inForce.*key, before.*key))
            kept.*key = prefs.*key;
    return kept;
}

// A check box or option button that takes a click anywhere on its area, not
// only on its mark and text: the area is the control the user sees.
template <typename Base> class WholeAreaButton : public Base {
public:
    using Base::Base;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

using CheckBox = WholeAreaButton<QCheckBox>;
using OptionButton = WholeAreaButton<QRadioButton>;

// Check boxes, option buttons and push buttons, named after what they set.
template <typename Button, typename Made = Button>
Button* AddButton(QWidget* parent, const char* key, const char* text, const QRect& where)
{
    auto* button = new Made(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(key));
    button->setGeometry(where);
    return button;
}

} // namespace

QString WholeNumberText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+Infinity") : QStringLiteral("-Infinity");
    // 'f' with no decimals prints every digit of even the largest double.
    return QString::number(std::nearbyint(value), 'f', 0);
}

void PaintSwatch(QImage& image, const QColor& colour, QLabel* control)
{
    // The swatch is uniform, so filling the area of its top-left pixel is
    // filling the whole picture.
    QColor opaque = colour;
    opaque.setAlpha(255);
    image.fill(opaque);
    if (control)
        control->setPixmap(QPixmap::fromImage(image));
}

OptionsWindow::OptionsWindow(const Settings& initial, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Set Options"));
    setFixedSize(kInnerWidth, kInnerHeight);
    BuildControls(initial);
    shown_ = initial;
    CentreOnScreen();
}

QLabel* OptionsWindow::AddLabel(const char* text, int x, int y)
{
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setGeometry(x, y, 200, 25);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QLineEdit* OptionsWindow::AddField(const char* key, int x, int y, int width, const QString& text,
                                   bool digitsOnly)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(key));
    field->setGeometry(x, y, width, 25);
    field->setText(text);
    field->setCursorPosition(0);
    if (digitsOnly) {
        field->setProperty(kDigitsOnly, true);
        field->installEventFilter(this);
    }
    return field;
}

void OptionsWindow::AddSwatch(int index, const char* key, int x, int y, ARGB Settings::*setting,
                              bool transparent, ARGB colour)
{
    ColourSwatch& swatch = swatches_[static_cast<std::size_t>(index)];
    swatch.image = QImage(kSwatchSide, kSwatchSide, QImage::Format_RGB32);
    if (swatch.image.isNull())
        ReportFatal(ReportText("could not create image", "", kSwatchImageCheck[index]));
    swatch.setting = setting;
    swatch.storeTransparent = transparent;
    swatch.control = new QLabel(this);
    swatch.control->setObjectName(QString::fromLatin1(key));
    swatch.control->setGeometry(x, y, kSwatchSide, kSwatchSide);
    swatch.control->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    swatch.control->setLineWidth(1);
    swatch.control->setFocusPolicy(Qt::NoFocus);
    swatch.control->setCursor(Qt::PointingHandCursor);
    swatch.control->setProperty(kSwatchIndex, index);
    swatch.control->installEventFilter(this);
    PaintSwatch(swatch.image, OpaqueColour(colour), swatch.control);
}

void OptionsWindow::BuildControls(const Settings& s)
{
    // Each label comes before its field, so the field lies on top where the
    // 200-pixel label runs under it.
    AddLabel("Canvas Width", 10, 10);
    canvasWidth_ = AddField("CanvasWidth", 160, 10, 50, WholeNumberText(s.CanvasWidth), true);
    AddLabel("Canvas Height", 10, 40);
    canvasHeight_ = AddField("CanvasHeight", 160, 40, 50, WholeNumberText(s.CanvasHeight), true);
    AddLabel("Track Width", 10, 70);
    trackWidth_ = AddField("TrackWidth", 160, 70, 50, WholeNumberText(s.TrackWidth), true);
    AddLabel("Marker Gap", 10, 100);
    markerGap_ = AddField("MarkerGap", 160, 100, 50, WholeNumberText(s.MarkerGap), true);

    markers_ = AddButton<QCheckBox, CheckBox>(this, "Markers", "Include Markers", QRect(10, 130, 120, 25));
    markers_->setChecked(s.Markers != 0);

    dotMarkers_ =
        AddButton<QRadioButton, OptionButton>(this, "DotMarkers", "Dot Markers", QRect(10, 160, 120, 25));
    lineMarkers_ =
        AddButton<QRadioButton, OptionButton>(this, "LineMarkers", "Line Markers", QRect(10, 190, 120, 25));
    markerGroup_ = new QButtonGroup(this);
    markerGroup_->addButton(dotMarkers_);
    markerGroup_->addButton(lineMarkers_);
    // A hand-edited ShowDots of 2 selects neither button.
    dotMarkers_->setChecked(s.ShowDots == 1);
    lineMarkers_->setChecked(s.ShowDots == 0);

    AddLabel("Text Font Name", 280, 10);
    textFont_ = AddField("TextFont", 430, 10, 100, QString::fromStdString(s.TextFont), false);
    AddLabel("Large Text Size", 280, 40);
    lgText_ = AddField("LgText", 430, 40, 50, QString::number(s.LgText), true);
    AddLabel("Medium Text Size", 280, 70);
    medText_ = AddField("MedText", 430, 70, 50, QString::number(s.MedText), true);
    AddLabel("Small Text Size", 280, 100);
    smText_ = AddField("SmText", 430, 100, 50, QString::number(s.SmText), true);
    AddLabel("Angle Limit", 280, 130);
    angleLimit_ = AddField("AngleLimit", 430, 130, 50, QString::number(s.AngleLimit), true);

    showBorder_ =
        AddButton<QCheckBox, CheckBox>(this, "ShowBorder", "Include Border", QRect(280, 160, 120, 25));
    showBorder_->setChecked(s.ShowBorder != 0);

    redWhite_ = AddButton<QRadioButton, OptionButton>(this, "RedWhiteBorder", "Red/White Border",
                                                      QRect(280, 190, 150, 25));
    blackBorder_ =
        AddButton<QRadioButton, OptionButton>(this, "BlackBorder", "Black Border", QRect(280, 220, 120, 25));
    borderGroup_ = new QButtonGroup(this);
    borderGroup_->addButton(redWhite_);
    borderGroup_->addButton(blackBorder_);
    redWhite_->setChecked(s.RedWhite != 0);
    blackBorder_->setChecked(s.RedWhite == 0);

    AddLabel("Dot Color", 10, 220);
    AddSwatch(0, "DotColor", 160, 220, &Settings::DotColor, false, s.DotColor);
    AddLabel("Line Color", 10, 260);
    AddSwatch(1, "LineColor", 160, 260, &Settings::LineColor, false, s.LineColor);
    AddLabel("Background Color", 10, 300);
    AddSwatch(2, "BGColor", 160, 300, &Settings::BGColor, true, s.BGColor);
    AddLabel("Large Text Color", 280, 250);
    AddSwatch(3, "LargeTextColor", 430, 250, &Settings::LargeTextColor, false, s.LargeTextColor);
    AddLabel("Medium Text Color", 280, 290);
    AddSwatch(4, "MediumTextColor", 430, 290, &Settings::MediumTextColor, false, s.MediumTextColor);
    AddLabel("Small Text Color", 280, 330);
    AddSwatch(5, "SmallTextColor", 430, 330, &Settings::SmallTextColor, false, s.SmallTextColor);

    apply_ = AddButton<QPushButton>(this, "Apply", "Apply", QRect(60, kInnerHeight - 40, 60, 30));
    cancel_ =
        AddButton<QPushButton>(this, "Cancel", "Cancel", QRect(kInnerWidth - 120, kInnerHeight - 40, 60, 30));
    // Neither is a default button: Return does nothing special here, and a
    // default frame on both would hide which one has the keyboard focus.
    for (QPushButton* button : {apply_, cancel_}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }

    tabStops_ = {canvasWidth_, canvasHeight_, trackWidth_,  markerGap_, markers_, dotMarkers_,
                 lineMarkers_, textFont_,     lgText_,      medText_,   smText_,  angleLimit_,
                 showBorder_,  redWhite_,     blackBorder_, apply_,     cancel_};
    for (std::size_t i = 1; i < tabStops_.size(); ++i)
        setTabOrder(tabStops_[i - 1], tabStops_[i]);

    connect(dotMarkers_, &QAbstractButton::clicked, this, [this] { SetFlag(&Settings::ShowDots, 1); });
    connect(lineMarkers_, &QAbstractButton::clicked, this, [this] { SetFlag(&Settings::ShowDots, 0); });
    connect(redWhite_, &QAbstractButton::clicked, this, [this] { SetFlag(&Settings::RedWhite, 1); });
    connect(blackBorder_, &QAbstractButton::clicked, this, [this] { SetFlag(&Settings::RedWhite, 0); });
    connect(apply_, &QAbstractButton::clicked, this, [this] { EndLoop(true); });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { EndLoop(false); });
}

void OptionsWindow::CentreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void OptionsWindow::ReadControls(Settings& s) const
{
    ReadWholeField(canvasWidth_, s.CanvasWidth);
    ReadWholeField(canvasHeight_, s.CanvasHeight);
    ReadWholeField(trackWidth_, s.TrackWidth);
    ReadWholeField(markerGap_, s.MarkerGap);
    s.TextFont = textFont_->text().toStdString();
    s.LgText = LowInt32(FieldValue(lgText_));
    s.MedText = LowInt32(FieldValue(medText_));
    s.SmText = LowInt32(FieldValue(smText_));
    s.Markers = markers_->isChecked() ? 1 : 0;
    s.AngleLimit = LowInt32(FieldValue(angleLimit_));
    s.ShowBorder = showBorder_->isChecked() ? 1 : 0;
}

void OptionsWindow::ShowValuesInForce(const Settings& s)
{
    const std::pair<QLineEdit*, double Settings::*> fields[] = {
        {canvasWidth_, &Settings::CanvasWidth}, {canvasHeight_, &Settings::CanvasHeight}, {trackWidth_, &Settings::TrackWidth}};
    for (const auto& [field, key] : fields)
        if (!SameSetting(s.*key, shown_.*key))
            field->setText(WholeNumberText(s.*key));
    shown_ = s;
}

void OptionsWindow::SetFlag(std::int32_t Settings::*flag, std::int32_t value)
{
    if (ws_)
        ws_->settings.*flag = value;
}

void OptionsWindow::ChooseSwatchColour(ColourSwatch& swatch)
{
    if (!ws_ || !prompts_ || !prompts_->chooseColour)
        return;
    const std::optional<QColor> chosen = prompts_->chooseColour(OpaqueColour(ws_->settings.*swatch.setting));
    if (!chosen || !chosen->isValid())
        return;
    PaintSwatch(swatch.image, *chosen, swatch.control);
    // The background keeps alpha 0 in the settings; the canvas fill ignores it.
    ws_->settings.*swatch.setting = ToARGB(*chosen, swatch.storeTransparent ? 0 : 255);
}

void OptionsWindow::EndLoop(bool apply)
{
    if (loop_)
        loop_->exit(apply ? kApplyCode : 0);
    else
        hide();
}

void OptionsWindow::closeEvent(QCloseEvent* event)
{
    // The close box is Cancel: hide, keep the typed text, read nothing.
    event->accept();
    EndLoop(false);
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->property(kDigitsOnly).toBool()) {
        if (event->type() == QEvent::KeyPress)
            return HoldsNonDigit(static_cast<QKeyEvent*>(event)->text());
        if (event->type() == QEvent::InputMethod)
            return HoldsNonDigit(static_cast<QInputMethodEvent*>(event)->commitString());
        return false;
    }
    const QVariant swatchIndex = watched->property(kSwatchIndex);
    if (swatchIndex.isValid() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* control = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint())) {
            ChooseSwatchColour(swatches_[static_cast<std::size_t>(swatchIndex.toInt())]);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool OptionsWindow::focusNextPrevChild(bool next)
{
    // Qt would treat each option group as a single stop; here every option
    // button is a stop of its own, like every other control.
    const auto at = std::find(tabStops_.begin(), tabStops_.end(), focusWidget());
    if (at == tabStops_.end())
        return QWidget::focusNextPrevChild(next);
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(tabStops_.size());
    const std::ptrdiff_t i = ((at - tabStops_.begin()) + (next ? 1 : count - 1)) % count;
    tabStops_[static_cast<std::size_t>(i)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void RunOptionsWindow(Workspace& ws, OptionsWindow& window, const Prompts& prompts)
{
    if (window.loop_) { // already running: just bring it forward
        window.raise();
        window.activateWindow();
        return;
    }
    QEventLoop loop;
    window.loop_ = &loop;
    window.ws_ = &ws;
    window.prompts_ = &prompts;
    ws.optionsLoopRunning = true;

    window.ShowValuesInForce(ws.settings);
    window.CentreOnScreen();
    window.show();
    window.raise();
    window.activateWindow();
    const bool apply = loop.exec() == kApplyCode;

    window.loop_ = nullptr;
    window.ws_ = nullptr;
    window.prompts_ = nullptr;
    // Hidden before applying, so an error box is not covered by a window
    // that stays on top.
    window.hide();
    if (apply) {
        const Settings before = ws.settings;
        window.ReadControls(ws.settings);
        ws.prefs = PreferencesAfterApply(ws.settings, before, ws.prefs);
        ApplySettings(ws, prompts);
    }
    ws.optionsLoopRunning = false;
}

void ApplySettings(Workspace& ws, const Prompts& prompts)
{
    // Out of memory for a large canvas: keep drawing on the old one.
    if (!FitCanvasPicture(ws))
        ReportError(prompts, ReportText("could not create canvas", "ApplySettings", __LINE__));

    LoadFonts(ws.assets, ws.settings, ws.logicalDpi);

    // A file that cannot be written costs the user nothing in this run: the
    // settings stay in force and the old file stays whole.
    const QString path = QDir(ws.workFolder).filePath(QString::fromLatin1(kPrefsFileName));
    if (!SaveBytes(path, WritePrefs(ws.prefs)))
        ReportError(prompts, ReportText("could not save Preferences file", "SavePrefs", 591));

    RequestRedraw(ws.editor, ws.settings);
}

} // namespace velmora
