#include "core/formats/track_file.h"
#include "inputs/frame_input.h"
#include "outputs/output_files.h"
#include "outputs/output_table.h"

#include <QFileInfo>

namespace velmora {

namespace {

bool SameFile(const QFileInfo& a, const QFileInfo& b)
{
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

// Never over the file the track was read from.
Status CheckTrk(const OutputContext& c)
{
    if (!c.names.source.isEmpty() && SameFile(QFileInfo(c.Path(".trk")), QFileInfo(c.names.source)))
        return Fail(std::string("the track file would be written over itself; ") + kChooseAnotherFolder);
    return {};
}

// A track that has a world takes it along, so that it exports in the same
// metres when it is read back.
Status WriteTrk(const OutputContext& c)
{
    const std::string track = WriteTrackFile(c.model);
    // A frame file left beside it by another track of that name stays (the
    // export writes all its files or none, and removes nothing), but names
    // that track's checksum: it is refused, never taken for this one.
    if (Status s = c.Write(".trk", track); !s || !c.names.hasWorld)
        return s;
    TrackWorld world;
    world.frame = c.frame;
    world.trackWidthM = c.frame.Metres(c.settings.TrackWidth);
    if (c.choices.options.vehicle)
        world.vehicle = c.choices.options.vehicle->given;
    else if (!c.names.vehicle.empty())
        world.vehicle = c.names.vehicle;
    world.map = Utf8(c.names.map);
    return c.Write("_frame.yaml", FrameFileText(world, c.sourceEdges, c.Path(".trk"), track));
}

} // namespace

extern const OutputEntry kTrkOutput = {"trk", "Track file", "NAME.trk, NAME_frame.yaml",
                                       "the track file, to open in the\n"
                                       "editor, and its world frame when it has one (a circuit, a map)",
                                       OutputPicture::None, WriteTrk, nullptr, {}, CheckTrk};

} // namespace velmora
