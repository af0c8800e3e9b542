#include "ui/world_frame_dialog.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"
#include "ui/status_fields.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace velmora {

namespace {

// The scales a track can use: from a tenth of a millimetre per pixel (a
// 2,000 px canvas is a 20 cm toy track, still far above the micrometres the
// outputs write) to 100 m per pixel (the same canvas is 200 km).
constexpr double kSmallestScale = 0.0001;
constexpr double kLargestScale = 100;

// The field's number; a field left as it was shown is the exact number it
// was shown for, so that OK without a change keeps the frame to the bit.
Result<double> FieldNumber(const QLineEdit* field, const char* what)
{
    if (field->text() == field->property("shownText").toString())
        return field->property("exact").toDouble();
    const std::string text = field->text().toStdString();
    const std::string_view trimmed = TrimBlanks(text);
    const DecimalScan scan = ScanDecimal(trimmed);
    if (scan.length == 0 || scan.length != trimmed.size())
        return Fail(std::string(what) + " must be a number with a decimal point, like 0.05");
    return scan.value;
}

QLineEdit* NumberField(double value, QWidget* parent)
{
    const QString shown = QString::fromStdString(FormatSignificant(value, kShownDigits));
    auto* field = new QLineEdit(shown, parent);
    field->setProperty("shownText", shown);
    field->setProperty("exact", value);
    field->setMinimumWidth(160);
    return field;
}

std::string Metres(double v)
{
    return FormatSignificant(v, kShownDigits) + " m";
}

} // namespace

WorldFrameDialog::WorldFrameDialog(const WorldFrame& frame, QSize canvas, double trackWidth, QWidget* parent)
    : QDialog(parent), canvas_(canvas), trackWidth_(trackWidth)
{
    setWindowTitle("World Frame");
    auto* form = new QFormLayout;
    scale = NumberField(frame.metresPerPixel, this);
    originX = NumberField(frame.originX, this);
    originY = NumberField(frame.originY, this);
    form->addRow("Scale (m per pixel)", scale);
    form->addRow("Origin x (m)", originX);
    form->addRow("Origin y (m)", originY);
    facts = new QLabel(this);
    facts->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    auto* about = new QLabel("The origin is where the canvas's top-left corner lies in the world. A change "
                             "relabels the canvas in metres: the track stays where it is drawn, and its "
                             "size in metres follows the scale.",
                             this);
    about->setWordWrap(true);
    layout->addWidget(about);
    layout->addLayout(form);
    layout->addWidget(facts);
    layout->addWidget(buttons);
    for (QLineEdit* field : {scale, originX, originY})
        connect(field, &QLineEdit::textChanged, this, [this] { Update(); });
    Update();
}

Result<WorldFrame> WorldFrameDialog::Typed() const
{
    const Result<double> s = FieldNumber(scale, "the scale");
    const Result<double> x = FieldNumber(originX, "origin x");
    const Result<double> y = FieldNumber(originY, "origin y");
    for (const Result<double>* r : {&s, &x, &y})
        if (!*r)
            return Fail(r->error());
    const WorldFrame frame{*s, *x, *y};
    if (Status checked = CheckFrame(frame); !checked)
        return Fail(checked.error());
    if (frame.metresPerPixel < kSmallestScale || frame.metresPerPixel > kLargestScale)
        return Fail("the scale must be from " + FormatShortest(kSmallestScale) + " to " +
                    FormatShortest(kLargestScale) + " m per pixel: a track at " +
                    FormatSignificant(frame.metresPerPixel, kShownDigits) + " m per pixel is not one a car drives");
    return frame;
}

void WorldFrameDialog::Update()
{
    const Result<WorldFrame> f = Typed();
    ok->setEnabled(f.ok());
    if (!f) {
        facts->setText(QString::fromStdString(f.error()));
        return;
    }
    const double w = canvas_.width(), h = canvas_.height();
    facts->setText(QString::fromStdString(
        "track width " + Metres(f->Metres(trackWidth_)) + "\ncanvas " + Metres(f->Metres(w)) + " \u00d7 " +
        Metres(f->Metres(h)) + ": x from " + Metres(f->X(0)) + " to " + Metres(f->X(w)) + ", y from " +
        Metres(f->Y(h)) + " to " + Metres(f->Y(0))));
}

} // namespace velmora
