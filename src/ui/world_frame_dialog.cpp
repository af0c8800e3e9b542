#include "ui/world_frame_dialog.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace velmora {

namespace {

Result<double> FieldNumber(const QLineEdit* field, const char* what)
{
    const std::string text = field->text().toStdString();
    const std::string_view trimmed = TrimBlanks(text);
    const DecimalScan scan = ScanDecimal(trimmed);
    if (scan.length == 0 || scan.length != trimmed.size())
        return Fail(std::string(what) + " must be a number with a decimal point, like 0.05");
    return scan.value;
}

QLineEdit* NumberField(double value, QWidget* parent)
{
    auto* field = new QLineEdit(QString::fromStdString(FormatShortest(value)), parent);
    field->setMinimumWidth(160);
    return field;
}

std::string Metres(double v)
{
    return FormatTrimmed(v, 3) + " m";
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
    layout->addWidget(new QLabel("The origin is where the canvas's top-left corner lies in the world.", this));
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
