#include "ui/workspace.h"

#include <cmath>

namespace velmora {

void SyncCanvas(Workspace& ws)
{
    const EditorView& view = ws.editor.view;
    if (view.redraws != ws.paintedRedraws) {
        RedrawCanvas(ws.canvas, ws.editor.model, ws.settings, ws.assets, ws.templateImage, &ws.templateCache,
                     ws.map ? ws.map->picture : QImage());
        ws.paintedRedraws = view.redraws;
        ws.paintedMarkerDraws = view.markerDraws;  // the redraw drew the icons too
    } else if (view.markerDraws != ws.paintedMarkerDraws) {
        DrawRLMarkers(ws.canvas, ws.editor.model.markers, ws.assets.marker);
        ws.paintedMarkerDraws = view.markerDraws;
    }
}

void UsePreferredTrackSettings(Settings& s, const Settings& prefs)
{
    s.TrackWidth = prefs.TrackWidth;
    s.CanvasWidth = prefs.CanvasWidth;
    s.CanvasHeight = prefs.CanvasHeight;
}

bool SameSetting(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool FitCanvasPicture(Workspace& ws)
{
    const QSize side(CanvasSide(ws.settings.CanvasWidth), CanvasSide(ws.settings.CanvasHeight));
    if (ws.canvas.size() == side && ws.canvas.format() == QImage::Format_RGB32)
        return true;
    QImage canvas(side, QImage::Format_RGB32);
    if (canvas.isNull())
        return false;
    ws.canvas = std::move(canvas);
    return true;
}

std::shared_ptr<const SourceEdges> CircuitEdgesNow(const Workspace& ws)
{
    if (ws.circuitEdges && ws.circuitEdges->trackPath == ws.editor.model.TrackPath)
        return ws.circuitEdges->edges;
    return nullptr;
}

void KeepCircuitEdges(Workspace& ws, const SourceEdges& edges)
{
    ws.circuitEdges.reset();
    if (!edges.empty())
        ws.circuitEdges =
            Workspace::CircuitEdges{std::make_shared<const SourceEdges>(edges), ws.editor.model.TrackPath};
}

}  // namespace velmora
