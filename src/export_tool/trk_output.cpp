#include "core/formats/track_file.h"
#include "export_tool/output_table.h"

namespace velmora {

namespace {

bool SameFile(const QFileInfo& a, const QFileInfo& b)
{
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

// Never over the file the track was read from.
Status WriteTrk(const OutputContext& c)
{
    if (SameFile(QFileInfo(c.Path(".trk")), c.track))
        return Fail("--trk would write over the track file itself; give --out-dir");
    return c.Write(".trk", WriteTrackFile(c.model));
}

} // namespace

extern const OutputEntry kTrkOutput = {"trk", "NAME.trk", "the track file, to open in the editor", false,
                                       WriteTrk};

} // namespace velmora
