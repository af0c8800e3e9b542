#pragma once

#include "core/settings/settings.h"
#include "core/track/editor.h"

#include <string>
#include <string_view>

namespace velmora {

enum class LoadOutcome {
    Loaded,
    EndsEarly,     // loaded what it holds; labels, cursor or markers may be missing
    NotTrackFile,  // nothing changed: the caller tells the user
};

// What loading a track does to the document once its bytes are read: the
// file replaces the persistent model, becomes the file the next Save writes,
// Close Loop is enabled for a path long enough to close and Redo disabled,
// then the picture is redrawn and the status fields tell what happened.
// Bytes that are no track file leave the document as it was.
LoadOutcome ApplyLoadedTrack(Editor& ed, const Settings& s, std::string_view bytes, std::string fileName);

} // namespace velmora
