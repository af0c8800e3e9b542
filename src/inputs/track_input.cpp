#include "inputs/track_input.h"

#include "core/formats/number_text.h"
#include "core/formats/track_file.h"
#include "inputs/file_read.h"
#include "inputs/frame_input.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <memory>

namespace velmora {

extern const InputEntry kCircuitInput;
extern const InputEntry kMapInput;

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// The map a frame file names lies under the track again, as Import Map
// put it: the canvas is the map's, a cell a pixel; a map track's edges get
// its walls back. A map that cannot be read refuses the track, as a frame
// file that cannot be read does: its pictures would be drawn without the
// map, on another canvas.
Status ApplyFrameMap(const FrameInput& in, TrackJob& job, std::shared_ptr<const MapWalls>& walls)
{
    if (in.world.map.empty())
        return {};
    Result<MapReadBack> read =
        LoadMapUnderlay(QString::fromStdString(in.world.map), in.world.wallsMinObstacleCells);
    if (!read)
        return Fail(in.path.toStdString() + ": the map it names could not be read: " + read.error());
    MapUnderlay& under = read->underlay;
    job.settings.CanvasWidth = under.picture.width();
    job.settings.CanvasHeight = under.picture.height();
    job.map = std::move(under);
    walls = std::move(read->walls);
    return {};
}

// A track file's world comes with it in its frame file, so that a circuit
// imported once exports in its own metres; what the options give wins, and
// the note says which.
Status ApplyFrame(const InputOptions& o, const FrameInput& in, TrackJob& job)
{
    const TrackWorld& world = in.world;
    std::string given; // the options that win over the file
    const auto wins = [&given](const char* option) {
        given += (given.empty() ? "" : ", ") + std::string(option);
    };
    if (o.scaleGiven)
        wins("--scale");
    else
        job.frame.metresPerPixel = world.frame.metresPerPixel;
    if (o.originGiven) {
        wins("--origin");
    } else {
        job.frame.originX = world.frame.originX;
        job.frame.originY = world.frame.originY;
    }
    if (o.trackWidth > 0 || o.trackWidthMetres > 0)
        wins("--track-width");
    else
        job.settings.TrackWidth = TrackWidthPixels(world);
    job.hasWorld = true;
    job.vehicleName = world.vehicle;
    std::shared_ptr<const MapWalls> walls;
    if (Status s = ApplyFrameMap(in, job, walls); !s)
        return s;
    // A circuit's or map's edges lie where the file's frame puts the
    // track: moved or scaled by the options, the track no longer lies on
    // them.
    if (!o.scaleGiven && !o.originGiven) {
        job.sourceEdges = world.edges;
        job.sourceEdges.walls = std::move(walls);
    }
    if (o.loadVehicle && o.vehicle) {
        wins("--vehicle");
    } else if (o.loadVehicle) {
        Result<NamedVehicle> car = LoadVehicle(world.vehicle);
        if (!car)
            return Fail(in.path.toStdString() + ": vehicle: " + car.error());
        job.vehicle = std::move(*car);
    }
    job.note = "world frame from " + QFileInfo(in.path).fileName().toStdString() + ": scale " +
               FormatSignificant(job.frame.metresPerPixel, kShownDigits) + " m per pixel, origin " +
               OriginText(job.frame) + " m, track width " +
               FormatSignificant(job.settings.TrackWidth, kShownDigits) + " px" +
               (given.empty() ? "" : " (" + given + " as given, over the file's)");
    return {};
}

bool AnyPath(const QString&)
{
    return true;
}

Result<TrackJob> ReadTrackFileInput(const InputOptions& o, const Settings& base, const QString& path)
{
    TrackJob job;
    job.settings = InputSettings(o, base);
    job.frame = o.frame;
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return Fail(bytes.error());
    if (bytes->isEmpty())
        return Fail("could not find file"); // an empty track file, as the editor's Load has it
    // As the editor's Load has it: bytes that are no track file are not
    // drawn as if they were one.
    if (!LooksLikeTrackFile(View(*bytes)))
        return Fail("not a track file");
    ReadTrackFile(View(*bytes), job.model);
    const Result<std::optional<FrameInput>> frame = ReadFrameBeside(path, View(*bytes));
    if (!frame)
        return Fail(frame.error());
    if (*frame)
        if (Status s = ApplyFrame(o, **frame, job); !s)
            return Fail(s.error());
    // Metres become pixels at the scale the track has now, its own frame's.
    if (o.trackWidthMetres > 0)
        job.settings.TrackWidth = o.trackWidthMetres / job.frame.metresPerPixel;
    return job;
}

const InputEntry kTrackFileInput = {"track file", AnyPath, ReadTrackFileInput};

constexpr std::array<const InputEntry*, 3> kInputs = {&kCircuitInput, &kMapInput, &kTrackFileInput};

} // namespace

std::span<const InputEntry* const> Inputs()
{
    return kInputs;
}

const InputEntry* InputNamed(std::string_view name)
{
    for (const InputEntry* input : kInputs)
        if (name == input->name)
            return input;
    return nullptr;
}

Result<TrackJob> ReadTrackInput(const InputOptions& o, const Settings& base, const QString& path)
{
    for (const InputEntry* input : kInputs)
        if (input->matches(path))
            return input->read(o, base, path);
    return Fail("no input reads this file"); // the track file takes every path
}

Settings InputSettings(const InputOptions& o, const Settings& base)
{
    Settings s = base;
    if (o.trackWidth > 0)
        s.TrackWidth = o.trackWidth;
    if (o.trackWidthMetres > 0)
        s.TrackWidth = o.trackWidthMetres / o.frame.metresPerPixel;
    return s;
}

InputOptions EditorInputOptions(const Settings& s)
{
    InputOptions o;
    o.bareCircuitWidth = s.TrackWidth;
    return o;
}

GeneratorOptions GeneratorOptionsFor(const InputOptions& o, const Settings& s)
{
    GeneratorOptions g = DefaultGeneratorOptions(s);
    if (o.minLength > 0)
        g.minLength = o.minLength;
    if (o.maxLength > 0)
        g.maxLength = o.maxLength;
    // One length given beyond the other's default: the range moves with it
    // rather than turning upside down.
    if (o.minLength > 0 && o.maxLength <= 0)
        g.maxLength = std::max(g.maxLength, g.minLength * 1.5);
    if (o.maxLength > 0 && o.minLength <= 0)
        g.minLength = std::min(g.minLength, g.maxLength / 1.5);
    g.markers = o.markers;
    return g;
}

Result<TrackJob> GenerateTrackInput(const InputOptions& o, const Settings& base, std::uint64_t index)
{
    TrackJob job;
    job.settings = InputSettings(o, base);
    job.frame = o.frame;
    Result<TrackModel> made =
        GenerateTrack(job.settings, GeneratorOptionsFor(o, job.settings), o.seed, index);
    if (!made)
        return Fail(made.error());
    job.model = std::move(*made);
    return job;
}

} // namespace velmora
