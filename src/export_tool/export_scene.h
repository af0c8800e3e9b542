#pragma once

#include "core/result.h"
#include "core/settings/settings.h"
#include "export_tool/export_options.h"
#include "inputs/track_input.h"
#include "render/redraw.h"

#include <QImage>
#include <QString>
#include <atomic>
#include <cstddef>
#include <ostream>

namespace velmora {

// Everything that stays the same for all tracks of one call. Workers export
// tracks at the same time and only read it.
struct ExportScene {
    Settings settings;
    RenderAssets assets;
    QImage templateImage;
    int encodeThreads = 1;       // for each PNG
    bool damagedPicture = false; // a picture could not be decoded: drawn without it, but the run fails
};

// Reads the settings (--prefs, else the editor's Preferences.ini for a
// program in `programDir`, else the defaults), the pictures (--images, else
// Images in `programDir`; --template) and loads the fonts at kExportDpi.
// What stops it, and what it goes on past, is told on `err` in one line
// each ("velmora-export: ..."); false when it cannot go on.
bool LoadScene(const ExportOptions& o, const QString& programDir, ExportScene& scene, std::ostream& err);

// How the tracks of the run come in, as its options say.
InputOptions InputsOf(const ExportOptions& o);

// Settings that no generated track can be made with are refused before the
// run starts, with the reason on `err`.
bool CanGenerate(const ExportOptions& o, const Settings& base, std::ostream& err);

// Settings that defeat the generator defeat it for every track: after a few
// failures the rest of the run is given up rather than ground out.
inline constexpr int kGiveUpAfter = 10;

// Generated track `index` of the run; `failedToMake` counts the tracks of
// the run that could not be made, shared by its threads.
Result<TrackJob> MakeGeneratedTrack(const ExportOptions& o, const Settings& settings, std::size_t index,
                                    std::atomic<int>& failedToMake);

} // namespace velmora
