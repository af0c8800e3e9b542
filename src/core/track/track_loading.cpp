#include "core/track/track_loading.h"

#include "core/formats/track_file.h"

#include <utility>

namespace velmora {

namespace {

// The path length, in characters, from which Close Loop is offered.
constexpr std::size_t kCloseLoopPathLength = 62;

// Characters as the file holds them: one per code page byte, however many
// bytes the character takes in UTF-8.
std::size_t CharacterCount(std::string_view utf8)
{
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

} // namespace

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
    if (CharacterCount(ed.model.TrackPath) >= kCloseLoopPathLength)
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
