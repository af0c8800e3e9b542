#include "ui/map_import_dialog.h"

#include "core/formats/field_text.h"
#include "core/formats/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr int kPreviewSide = 480; // screen pixels: fits beside the fields on a small display
constexpr double kMarkRadius = 6;
constexpr double kArrowLength = 28;

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

// An optional number: empty is none; else a finite decimal and nothing more.
Result<std::optional<double>> ReadNumber(const QLineEdit* field, const std::string& what, const char* example)
{
    const std::string text(TrimBlanks(field->text().toStdString()));
    if (text.empty())
        return std::optional<double>();
    const DecimalScan scan = ScanDecimal(text);
    if (scan.length != text.size() || !std::isfinite(scan.value))
        return Fail(what + " needs a number, like " + example + ", not \"" + text + "\"");
    return std::optional<double>(scan.value);
}

// Metres above 0, or empty for the automatic choice.
Result<double> ReadMetres(const QLineEdit* field, const std::string& what)
{
    Result<std::optional<double>> read = ReadNumber(field, what, "0.3");
    if (!read)
        return Fail(read.error());
    if (!*read)
        return 0.0;
    if (**read <= 0)
        return Fail(what + " needs a number of metres greater than 0 (or nothing), not \"" +
                    std::string(TrimBlanks(field->text().toStdString())) + "\"");
    return **read;
}

Status ReadStart(const QLineEdit* x, const QLineEdit* y, MapImportChoice& choice)
{
    Result<std::optional<double>> sx = ReadNumber(x, "the start's x", "1.5");
    if (!sx)
        return Fail(sx.error());
    Result<std::optional<double>> sy = ReadNumber(y, "the start's y", "-2.25");
    if (!sy)
        return Fail(sy.error());
    if (sx->has_value() != sy->has_value())
        return Fail("give both x and y of the start, or neither for the automatic start");
    choice.startGiven = sx->has_value();
    choice.startX = sx->value_or(0);
    choice.startY = sy->value_or(0);
    return {};
}

QLineEdit* NumberField(const QString& text, const QString& placeholder, QWidget* parent)
{
    auto* field = new QLineEdit(text, parent);
    field->setPlaceholderText(placeholder);
    return field;
}

QString Shown(double v, bool given)
{
    return given ? Text(FormatShortest(v)) : QString();
}

} // namespace

QPointF PreviewToMetres(QPointF at, double scale, const WorldFrame& frame)
{
    const double px = (at.x() + 0.5) / scale, py = (at.y() + 0.5) / scale;
    return {frame.X(px), frame.Y(py)};
}

QPointF MetresToPreview(QPointF metres, double scale, const WorldFrame& frame)
{
    return {frame.CanvasX(metres.x()) * scale - 0.5, frame.CanvasY(metres.y()) * scale - 0.5};
}

double PreviewScale(QSize map, int side)
{
    const int longest = std::max({map.width(), map.height(), 1});
    if (longest >= side)
        return double(side) / longest;
    return double(side / longest); // whole steps
}

MapPreview::MapPreview(const QImage& map, const WorldFrame& frame, QWidget* parent)
    : QWidget(parent), frame_(frame), scale_(PreviewScale(map.size(), kPreviewSide))
{
    const QSize size(std::max(1, int(std::lround(map.width() * scale_))),
                     std::max(1, int(std::lround(map.height() * scale_))));
    // Shrunk smoothly, so thin walls stay visible; magnified in blocks, so
    // each cell stays a cell.
    shown_ = map.scaled(size, Qt::IgnoreAspectRatio,
                        scale_ < 1 ? Qt::SmoothTransformation : Qt::FastTransformation);
    setFixedSize(size);
    setCursor(Qt::CrossCursor);
    setToolTip("Click the map where the track's start is");
}

void MapPreview::Mark(std::optional<QPointF> start, std::optional<double> heading)
{
    start_ = start;
    heading_ = heading;
    update();
}

void MapPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, shown_);
    if (!start_)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF at = MetresToPreview(*start_, scale_, frame_) + QPointF(0.5, 0.5);
    painter.setPen(QPen(QColor(220, 30, 30), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, kMarkRadius, kMarkRadius);
    if (heading_) {
        // y down on the screen: a world heading turns the other way.
        const QPointF tip = at + QPointF(std::cos(*heading_), -std::sin(*heading_)) * kArrowLength;
        painter.drawLine(at, tip);
        const double back = 0.5;
        for (const double side : {-1.0, 1.0}) {
            const double a = *heading_ + std::numbers::pi - side * back;
            painter.drawLine(tip, tip + QPointF(std::cos(a), -std::sin(a)) * (kArrowLength / 3));
        }
    }
}

void MapPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !picked)
        return;
    picked(PreviewToMetres(event->position(), scale_, frame_));
}

MapImportDialog::MapImportDialog(const QImage& map, const WorldFrame& frame, const MapImportChoice& initial,
                                 QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Import Map");
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    preview = new MapPreview(map, frame, this);
    left->addWidget(preview);
    left->addWidget(new QLabel("Click the map where the track's start is.", this));
    left->addStretch();
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    startX = NumberField(Shown(initial.startX, initial.startGiven), "automatic", this);
    startY = NumberField(Shown(initial.startY, initial.startGiven), "automatic", this);
    automatic = new QPushButton("Automatic", this);
    automatic->setToolTip("The map's origin, or the largest loop of free space when the origin is on none");
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(new QLabel("x", this));
    startRow->addWidget(startX);
    startRow->addWidget(new QLabel("y", this));
    startRow->addWidget(startY);
    startRow->addWidget(new QLabel("m", this));
    startRow->addWidget(automatic);
    form->addRow("Start", startRow);

    direction = new QComboBox(this);
    direction->addItems({"Counter-clockwise", "Clockwise", "As the start heading"});
    direction->setCurrentIndex(int(initial.direction));
    heading = NumberField(Text(FormatShortest(initial.headingDegrees)), "", this);
    heading->setToolTip("Degrees: 0 along the map's x axis, 90 along its y axis");
    auto* directionRow = new QHBoxLayout;
    directionRow->addWidget(direction, 1);
    directionRow->addWidget(heading);
    directionRow->addWidget(new QLabel("\u00b0", this));
    form->addRow("Direction", directionRow);

    closeGaps = NumberField(initial.closeGaps > 0 ? Text(FormatShortest(initial.closeGaps)) : QString(), "none", this);
    closeGaps->setToolTip("Gaps in the walls up to this wide are closed before the track is looked for");
    form->addRow("Close wall gaps up to (m)", closeGaps);
    minObstacle = NumberField(initial.minObstacle > 0 ? Text(FormatShortest(initial.minObstacle)) : QString(),
                              "3 cells: " + Text(FormatTrimmed(frame.Metres(3), 3)), this);
    minObstacle->setToolTip("Specks of noise smaller than this across are taken as free space");
    form->addRow("Ignore obstacles smaller than (m)", minObstacle);
    measuredWidth = new QCheckBox("As wide as the map's free space (the median)", this);
    measuredWidth->setChecked(initial.measuredWidth);
    measuredWidth->setToolTip("Else the track width of the Options window");
    form->addRow("Track width", measuredWidth);
    right->addLayout(form);

    problem = new QLabel(this);
    problem->setWordWrap(true);
    right->addWidget(problem);
    right->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText("Import");
    right->addWidget(buttons);
    layout->addLayout(right);

    preview->picked = [this](QPointF metres) {
        startX->setText(Text(FormatFixed(metres.x(), 2)));
        startY->setText(Text(FormatFixed(metres.y(), 2)));
    };
    connect(automatic, &QPushButton::clicked, this, [this] {
        startX->clear();
        startY->clear();
    });
    for (QLineEdit* field : {startX, startY, heading, closeGaps, minObstacle})
        connect(field, &QLineEdit::textChanged, this, [this] { Update(); });
    connect(direction, &QComboBox::currentIndexChanged, this, [this] { Update(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Update();
}

Result<MapImportChoice> MapImportDialog::Chosen() const
{
    MapImportChoice chosen;
    if (Status start = ReadStart(startX, startY, chosen); !start)
        return Fail(start.error());
    chosen.direction = MapImportChoice::Direction(std::clamp(direction->currentIndex(), 0, 2));
    if (chosen.direction == MapImportChoice::Direction::StartHeading) {
        Result<std::optional<double>> degrees = ReadNumber(heading, "the start heading", "90");
        if (!degrees)
            return Fail(degrees.error());
        if (!*degrees)
            return Fail("give the start heading in degrees, or choose another direction");
        chosen.headingDegrees = **degrees;
    }
    Result<double> gaps = ReadMetres(closeGaps, "closing wall gaps");
    if (!gaps)
        return Fail(gaps.error());
    chosen.closeGaps = *gaps;
    Result<double> specks = ReadMetres(minObstacle, "ignoring obstacles");
    if (!specks)
        return Fail(specks.error());
    chosen.minObstacle = *specks;
    chosen.measuredWidth = measuredWidth->isChecked();
    return chosen;
}

// The mark follows the fields as they are typed; what is wrong is told at
// once, and Import waits until it is mended.
void MapImportDialog::Update()
{
    const bool headed = direction->currentIndex() == int(MapImportChoice::Direction::StartHeading);
    heading->setEnabled(headed);
    const Result<MapImportChoice> chosen = Chosen();
    problem->setText(chosen ? QString() : Text(chosen.error()));
    ok->setEnabled(chosen.ok());
    if (!chosen || !chosen->startGiven) {
        preview->Mark(std::nullopt, std::nullopt);
        return;
    }
    std::optional<double> yaw;
    if (headed)
        yaw = chosen->headingDegrees * std::numbers::pi / 180;
    preview->Mark(QPointF(chosen->startX, chosen->startY), yaw);
}

void MapImportDialog::TryAccept()
{
    const Result<MapImportChoice> chosen = Chosen();
    if (!chosen) {
        problem->setText(Text(chosen.error()));
        return;
    }
    accept();
}

} // namespace velmora
