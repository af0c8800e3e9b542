#include "core/formats/frame_sidecar.h"
#include "core/formats/track_file.h"
#include "export_tool/output_files.h"
#include "export_tool/output_table.h"
#include "export_tool/track_input.h"

namespace velmora {

namespace {

bool SameFile(const QFileInfo& a, const QFileInfo& b)
{
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

// A track that has a world (an imported circuit, a track file with its
// NAME_frame.yaml) takes it along, so that it exports in the same metres
// when it is read back.
bool HasWorld(const QFileInfo& track)
{
    return IsCentrelineInput(track.filePath()) ||
           QFileInfo(QString::fromStdString(TrackWorldPath(Utf8(track.filePath())))).isFile();
}

// Never over the file the track was read from.
Status WriteTrk(const OutputContext& c)
{
    if (SameFile(QFileInfo(c.Path(".trk")), c.track))
        return Fail("--trk would write over the track file itself; give --out-dir");
    if (Status s = c.Write(".trk", WriteTrackFile(c.model)); !s || !HasWorld(c.track))
        return s;
    TrackWorld world;
    world.frame = c.frame;
    world.trackWidthM = c.frame.Metres(c.settings.TrackWidth);
    world.vehicle = c.options.Value("vehicle", world.vehicle);
    return c.Write("_frame.yaml", TrackWorldYaml(world));
}

} // namespace

extern const OutputEntry kTrkOutput = {"trk", "NAME.trk, NAME_frame.yaml",
                                       "the track file, to open in the\n"
                                       "editor, and its world frame when it has one (a circuit)",
                                       false, WriteTrk};

} // namespace velmora
