#include "core/formats/number_text.h"
#include "core/raceline/raceline.h"
#include "core/raceline/raceline_csv.h"
#include "core/raceline/track_raceline.h"
#include "core/raceline/vehicle.h"
#include "export_tool/output_files.h"
#include "export_tool/output_table.h"
#include "export_tool/track_input.h"
#include "render/image/png_write.h"

#include <QColor>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr char kDefaultVehicle[] = "f1tenth";

struct NamedVehicle {
    Vehicle vehicle;
    std::string name;
};

// A shipped profile by name, else a vehicle file.
Result<NamedVehicle> LoadVehicle(const std::string& given)
{
    if (Result<Vehicle> builtIn = BuiltInVehicle(given))
        return NamedVehicle{*builtIn, given};
    const QString path = QString::fromStdString(given);
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail("--vehicle " + given + ": no such vehicle (f1tenth, racecar) and " + bytes.error());
    const Result<Vehicle> read =
        ParseVehicle(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    if (!read)
        return Fail(Utf8(path) + ": " + read.error());
    return NamedVehicle{*read, Utf8(QFileInfo(path).completeBaseName())};
}

// The vehicle is read and checked with the command line, so that a bad one
// is one usage error rather than a failure for every track.
Status ReadVehicleOption(const std::string& text, ExportOptions& o)
{
    if (text.empty())
        return Fail("--vehicle needs the name of a vehicle (f1tenth, racecar) or a vehicle file");
    if (const Result<NamedVehicle> vehicle = LoadVehicle(text); !vehicle)
        return Fail(vehicle.error());
    o.outputValues["vehicle"] = text;
    return {};
}

// Slow is red, then yellow, fast is white: none of them is a colour of the
// grass, the surface or the kerbs.
QColor SpeedColour(double v, double slowest, double fastest)
{
    const double t = fastest > slowest ? std::clamp((v - slowest) / (fastest - slowest), 0.0, 1.0) : 1.0;
    const auto channel = [](double x) {
        return static_cast<int>(std::lround(255 * std::clamp(x, 0.0, 1.0)));
    };
    return QColor(255, channel(2 * t), channel(2 * t - 1));
}

void DrawLegend(QPainter& p, double slowest, double fastest)
{
    const QRectF box(12, 12, 210, 58);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawRect(box);
    QLinearGradient ramp(box.left() + 10, 0, box.right() - 10, 0);
    for (int k = 0; k <= 6; ++k)
        ramp.setColorAt(k / 6.0, SpeedColour(slowest + (fastest - slowest) * k / 6, slowest, fastest));
    p.setBrush(ramp);
    p.drawRect(QRectF(box.left() + 10, box.top() + 10, box.width() - 20, 14));
    p.setPen(Qt::black);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    const QRectF labels(box.left() + 10, box.top() + 28, box.width() - 20, 22);
    p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(FormatFixed(slowest, 1) + " m/s"));
    p.drawText(labels, Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(FormatFixed(fastest, 1) + " m/s"));
}

// The exported picture with the line over it, coloured by speed.
QImage LinePicture(const QImage& picture, const Raceline& line, const WorldFrame& frame)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const auto [slow, fast] = std::minmax_element(line.rows.begin(), line.rows.end(),
                                                  [](const auto& a, const auto& b) { return a.vx < b.vx; });
    const auto canvas = [&](const RacelineRow& r) {
        return QPointF(frame.CanvasX(r.x), frame.CanvasY(r.y));
    };
    const std::size_t n = line.rows.size();
    QPainterPath whole;
    for (std::size_t i = 0; i < n; ++i)
        i == 0 ? whole.moveTo(canvas(line.rows[i])) : whole.lineTo(canvas(line.rows[i]));
    if (line.closed)
        whole.closeSubpath();
    // A dark edge keeps the line apart from whatever it crosses.
    p.strokePath(whole, QPen(QColor(20, 20, 20), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (std::size_t i = 0; i + (line.closed ? 0 : 1) < n; ++i) {
        const RacelineRow& a = line.rows[i];
        const RacelineRow& b = line.rows[(i + 1) % n];
        p.setPen(QPen(SpeedColour(a.vx, slow->vx, fast->vx), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(canvas(a), canvas(b));
    }
    DrawLegend(p, slow->vx, fast->vx);
    return out;
}

// The line over the picture, when the pictures are asked for too: a training
// set without pictures is not slowed down by this one.
Status WriteLinePicture(const OutputContext& c, const Raceline& line)
{
    if (!c.options.Wants("png") && !c.options.Wants("bmp"))
        return {};
    const Result<std::string> png =
        EncodePng(LinePicture(c.picture, line, c.frame), c.encodeThreads, nullptr, PngLevel(c.options));
    if (!png)
        return Fail("could not make the race line's picture: " + png.error());
    return c.Write("_raceline.png", *png);
}

Status WriteRaceline(const OutputContext& c)
{
    const Result<NamedVehicle> vehicle = LoadVehicle(c.options.Value("vehicle", kDefaultVehicle));
    if (!vehicle)
        return Fail(vehicle.error());
    const Result<TrackSamples>& samples = c.Samples();
    if (!samples)
        return Fail("could not make the race line: " + samples.error());
    const Result<Raceline> line =
        ComputeRaceline(CorridorOf(*samples, c.frame), vehicle->vehicle, c.SpacingMetres());
    if (!line)
        return Fail("could not make the race line: " + line.error());
    if (!line->converged)
        c.notes.push_back("race line: " + line->note);
    if (Status s = c.Write("_raceline.csv", RacelineCsv(*line)); !s)
        return s;
    if (Status s = WriteLinePicture(c, *line); !s)
        return s;
    c.notes.push_back(RacelineSummary(line->length, line->lapTime) + " with " + vehicle->name);
    return {};
}

constexpr ToolOption kRacelineOptions[] = {
    {"vehicle", "NAME|FILE", "the car the race line is for: f1tenth (the default), racecar or a vehicle file",
     ReadVehicleOption},
};

} // namespace

extern const OutputEntry kRacelineOutput = {
    "raceline",
    "NAME_raceline.csv, NAME_raceline.png",
    "the minimum-curvature race line\n"
    "with its speed profile, as F1TENTH and TUM tools read it (# s_m; x_m; y_m;\n"
    "psi_rad; kappa_radpm; vx_mps; ax_mps2); with --png or --bmp also the picture\n"
    "with the line coloured by speed",
    false,
    WriteRaceline,
    nullptr,
    kRacelineOptions};

} // namespace velmora
