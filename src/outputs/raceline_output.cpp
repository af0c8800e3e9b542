#include "core/formats/number_text.h"
#include "core/raceline/raceline.h"
#include "core/raceline/raceline_csv.h"
#include "core/raceline/source_edges.h"
#include "core/raceline/track_raceline.h"
#include "core/raceline/vehicle.h"
#include "outputs/output_files.h"
#include "outputs/output_table.h"
#include "outputs/track_products.h"
#include "render/image/png_write.h"
#include "render/raceline_layer.h"

#include <QColor>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The vehicle is read and checked with the command line, so that a bad one
// is one usage error rather than a failure for every track.
Status ReadVehicleOption(const std::string& text, OutputOptions& o)
{
    if (text.empty())
        return Fail("needs the name of a vehicle (" + KnownVehicleNames() + ") or a vehicle file");
    Result<NamedVehicle> vehicle = LoadVehicle(text);
    if (!vehicle)
        return Fail(vehicle.error());
    o.vehicle = std::move(*vehicle);
    return {};
}

// How much larger than on a 1,000 px canvas the legend and the line are
// drawn, so that both read the same at any size.
double DrawingScale(const QImage& picture)
{
    return std::max(0.6, std::min(picture.width(), picture.height()) / 1000.0);
}

// The exported picture with the line over it, coloured by speed.
QImage LinePicture(const QImage& picture, const Raceline& line, const WorldFrame& frame)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    if (line.rows.empty())
        return out;
    QPainter p(&out);
    const double k = DrawingScale(out);
    DrawRaceline(p, line, frame, k);
    const SpeedRange speeds = SpeedsOf(line);
    DrawSpeedLegend(p, speeds.slowest, speeds.fastest, k);
    return out;
}

// The line over the picture, when the pictures are asked for too: a training
// set without pictures is not slowed down by this one.
Status WriteLinePicture(const OutputContext& c, const Raceline& line)
{
    if (!c.choices.Wants("png") && !c.choices.Wants("bmp"))
        return {};
    const Result<std::string> png = EncodePng(LinePicture(c.picture, line, c.frame), c.encodeThreads, nullptr,
                                              c.choices.options.pngLevel);
    if (!png)
        return Fail("could not make the race line's picture: " + png.error());
    return c.Write("_raceline.png", *png);
}

Status WriteRaceline(const OutputContext& c)
{
    const NamedVehicle vehicle = RacelineVehicle(c);
    const Result<Raceline> line = TrackRaceline(c, vehicle.vehicle);
    if (!line)
        return Fail("could not make the race line: " + line.error());
    if (!line->converged)
        c.notes.push_back("race line: " + line->note);
    RacelineFileHeader header;
    header.program = std::string("velmora-export ") + VELMORA_VERSION;
    header.track = Utf8(c.names.name);
    header.vehicle = vehicle.name;
    header.vehicleNote = ControllerLimitsNote(vehicle.vehicle);
    header.headingZero = c.choices.options.headingZero;
    if (Status s = c.Write("_raceline.csv", RacelineCsv(*line, header)); !s)
        return s;
    if (Status s = WriteLinePicture(c, *line); !s)
        return s;
    c.notes.push_back(RacelineSummary(line->length, line->lapTime, line->closed) + " with " + vehicle.name);
    return {};
}

Status ReadHeadingZero(const std::string& text, OutputOptions& o)
{
    if (text != "east" && text != "north")
        return Fail("must be east or north, not \"" + text + "\"");
    o.headingZero = text == "north" ? HeadingZero::North : HeadingZero::East;
    return {};
}

// Built from the one list of shipped vehicles, so that help never names
// one that is not there.
const std::string kVehicleHelp =
    "the car the race line is for: " + KnownVehicleNames() + " (the first is the default)\nor a vehicle file";

const OutputOption kRacelineOptions[] = {
    {"vehicle", "Vehicle", "NAME|FILE", kVehicleHelp.c_str(), ReadVehicleOption},
    {"heading-zero", "Heading zero", "east|north",
     "where psi_rad 0 points: east (+x, the default, as F1TENTH\nfiles) or north (+y, as TUM's optimiser)",
     ReadHeadingZero},
};

} // namespace

NamedVehicle RacelineVehicle(const OutputContext& c)
{
    return c.choices.options.vehicle.value_or(DefaultVehicle());
}

Result<Raceline> TrackRaceline(const OutputContext& c, const Vehicle& vehicle)
{
    const Result<TrackSamples>& samples = c.Samples();
    if (!samples)
        return Fail(samples.error());
    Result<RacelineInput> corridor = CorridorOf(*samples, c.frame);
    if (!corridor)
        return Fail(corridor.error());
    if (c.sourceEdges)
        NarrowToSourceEdges(*corridor, *c.sourceEdges, vehicle.Clearance());
    // An asked-for spacing is kept; otherwise the rows are as close as the
    // vehicle's controller needs them.
    const double spacing = c.choices.spacing > 0 ? c.choices.spacing : vehicle.RowSpacing(c.SpacingMetres());
    return ComputeRaceline(*corridor, vehicle, spacing);
}

extern const OutputEntry kRacelineOutput = {
    "raceline",
    "Race line",
    "NAME_raceline.csv, NAME_raceline.png",
    "the minimum-curvature race line\n"
    "with its speed profile, as F1TENTH and TUM tools read it (# s_m; x_m; y_m;\n"
    "psi_rad; kappa_radpm; vx_mps; ax_mps2); with a picture output also the picture\n"
    "with the line coloured by speed",
    OutputPicture::None,
    WriteRaceline,
    nullptr,
    kRacelineOptions};

} // namespace velmora
