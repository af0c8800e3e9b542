#include "core/track/track_loading.h"

#include "core/formats/track_file.h"

#include <utility>

namespace velmora {

LoadOutcome ApplyLoadedTrack(Editor& ed, const Settings& s, std::string_view bytes, std::string fileName)
{
    if (!LooksLikeTrackFile(bytes))
        return LoadOutcome::NotTrackFile;
    // Read into a copy so that a failure half-way (memory) leaves the open
    // track whole; the reader keeps what the file does not set.
    TrackModel loaded = ed.model;
    const bool complete = ReadTrackFile(bytes, loaded);
    ed.model = std::move(loaded);
    ed.TrackFileName = std::move(fileName);
    if (LongEnoughToClose(ed.model.TrackPath))
        ed.view.closeLoopEnabled = true;
    ed.view.redoEnabled = false;
    RequestRedraw(ed, s);
    ed.view.status1 = "track loaded from ";
    ed.view.status1 += ed.TrackFileName;
    if (!complete)
        ed.view.status1 += " (the file ends early)";
    ed.view.status2.assign(1, ' '); // clears the angle readout
    return complete ? LoadOutcome::Loaded : LoadOutcome::EndsEarly;
}

} // namespace velmora
