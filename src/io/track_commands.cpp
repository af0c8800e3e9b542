#include "io/track_commands.h"

#include "io/track_file.h"

#include <utility>

namespace velmora {

namespace {

// A path of this length holds at least the start and two track points.
constexpr std::size_t kCloseLoopPathLength = 62;

} // namespace

void ApplyLoadedTrack(Editor& ed, const Settings& s, std::string_view bytes, std::string fileName)
{
    // Read into a copy so that a failure half-way (memory) leaves the open
    // track whole; the reader keeps what the file does not set.
    TrackModel loaded = ed.model;
    ReadTrackFile(bytes, loaded);
    ed.model = std::move(loaded);
    ed.TrackFileName = std::move(fileName);
    if (ed.model.TrackPath.size() >= kCloseLoopPathLength)
        ed.view.closeLoopEnabled = true;
    ed.view.redoEnabled = false;
    RequestRedraw(ed, s);
    ed.view.status1 = "track loaded from ";
    ed.view.status1 += ed.TrackFileName;
    ed.view.status2 = " ";
}

} // namespace velmora
