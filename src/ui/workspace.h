#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QColor>
#include <functional>
#include <memory>
#include <optional>

#include "inputs/ros_map_load.h"
#include "render/redraw.h"
#include "ui/map_import_choice.h"
#include "ui/open_document.h"
#include "ui/simulator_export_choice.h"
#include "core/raceline/source_edges.h"
#include "core/settings/settings.h"
#include "core/track/editor.h"
#include "core/track/world_frame.h"
#include <string>

namespace velmora {

class ImageJobs;

// Everything the commands act on: one instance for the whole run.
struct Workspace {
    // The settings in force: the user's preferences, but TrackWidth,
    // CanvasWidth and CanvasHeight are the open track's own, which an
    // imported circuit or map brings along with its frame.
    Settings settings;
    // The user's preferences as Preferences.ini holds them: what a track
    // that brings no width or canvas of its own (New, Load) is drawn with,
    // and what Options saves. An import never changes them.
    Settings prefs;
    Editor editor;
    RenderAssets assets;
    QImage templateImage;  // null while no template is shown
    TemplateCache templateCache;
    // The occupancy map the track was found on (Import Map, or the map a
    // loaded track's frame file names): its picture lies under the track,
    // a cell a canvas pixel, below the template. None for any other track.
    std::optional<MapUnderlay> map;
    QImage canvas;  // the picture as last painted
    // Where the track lies in the world, for the simulators: set by Import
    // Circuit, the World Frame dialog or the NAME_frame.yaml of a loaded
    // track; none for a track only drawn (the default frame then applies).
    std::optional<WorldFrame> frame;
    std::string vehicle = "f1tenth"; // the car the race line is for: a shipped name or a vehicle file
    // An imported circuit's own edges, or an imported map's walls, which
    // the race line keeps to, with the track they belong to: once the track
    // is edited it is no longer that circuit or map, and they are not used.
    struct CircuitEdges {
        std::shared_ptr<const SourceEdges> edges;
        std::string trackPath;
    };
    std::optional<CircuitEdges> circuitEdges;
    // What Export for Simulators wrote last, offered again; none before.
    std::optional<SimulatorExport> simulatorExport;
    // What Import Map was asked last, offered again (its start only for
    // the same map); none before.
    struct MapImport {
        QString path;
        MapImportChoice choice;
    };
    std::optional<MapImport> lastMapImport;
    QString workFolder;  // ends in the native separator
    QString imagesFolder;
    QString tracksFolder;
    QString helpFolder;
    // What Help hands the help file to; tests put a stand-in here.
    QStringList documentOpener = DesktopOpener();
    double logicalDpi = 96;
    // True while the Options window runs its own loop: the main window then
    // drops its menu commands, shortcuts and close box, and the pointer
    // readout stands still.
    bool optionsLoopRunning = false;
    // What of the editor's redraw requests the canvas has caught up with.
    unsigned paintedRedraws = 0;
    unsigned paintedMarkerDraws = 0;
    // Encodes and writes pictures off the window's thread; null (tests,
    // scripts): the picture commands do that before they return.
    ImageJobs* imageJobs = nullptr;
};

// The imported circuit's edges while the track is still that circuit;
// null otherwise.
std::shared_ptr<const SourceEdges> CircuitEdgesNow(const Workspace& ws);

// Keeps a circuit's own edges, read with the track now open, for as long as
// the track stays as it is; empty edges: none.
void KeepCircuitEdges(Workspace& ws, const SourceEdges& edges);

// The questions and boxes the commands show. The window fills them with real
// dialogs; tests with doubles. Filters are given as "description|*.a;*.b".
struct Prompts {
    std::function<QString(const QString& title, const QString& filter, const QString& folder)> openFile;
    std::function<QString(const QString& title, const QString& filter, const QString& folder)> saveFile;
    std::function<bool(const QString& text)> confirm;  // "Confirm" box, Yes/No
    std::function<void(const QString& title, const QString& text)> message;  // OK box
    std::function<void(const QString& title, const QString& text)> warning;  // OK box, warning icon
    // The picture, with its PNG file where one could be made (else empty).
    std::function<void(const QImage& picture, const QByteArray& png)> toClipboard;
    // The system colour dialog with `initial` preselected; nullopt when cancelled.
    std::function<std::optional<QColor>(const QColor& initial)> chooseColour;
    // The World Frame dialog over `frame`, for a canvas of `canvas` pixels
    // and a track `trackWidth` pixels wide; nullopt when cancelled.
    std::function<std::optional<WorldFrame>(const WorldFrame& frame, QSize canvas, double trackWidth)> chooseFrame;
    // The Export for Simulators dialog over `initial`, with `vehicle` (a
    // shipped name) preselected; nullopt when cancelled.
    std::function<std::optional<SimulatorExport>(const SimulatorExport& initial, const std::string& vehicle)>
        chooseSimulatorExport;
    // The Import Map dialog over the map's picture, a pixel a cell, in the
    // map's frame, with `initial` filled in; nullopt when cancelled.
    std::function<std::optional<MapImportChoice>(const QImage& map, const WorldFrame& frame,
                                                 const MapImportChoice& initial)>
        chooseMapImport;
};

// Puts the preferred TrackWidth and canvas size back into `s`, for a track
// that brings none of its own.
void UsePreferredTrackSettings(Settings& s, const Settings& prefs);

// Whether two values of a setting are the same, NaN the same as NaN.
bool SameSetting(double a, double b);

// Makes the canvas picture the size the settings in force give; false, with
// the old one kept, when one that large cannot be made.
bool FitCanvasPicture(Workspace& ws);

// Brings the canvas up to date with the editor's redraw requests: a full
// redraw when one is pending, else the RL icons when those are.
void SyncCanvas(Workspace& ws);

}  // namespace velmora
