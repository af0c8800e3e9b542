#include "ui/workspace.h"

namespace velmora {

void SyncCanvas(Workspace& ws)
{
    const EditorView& view = ws.editor.view;
    if (view.redraws != ws.paintedRedraws) {
        RedrawCanvas(ws.canvas, ws.editor.model, ws.settings, ws.assets, ws.templateImage, &ws.templateCache);
        ws.paintedRedraws = view.redraws;
        ws.paintedMarkerDraws = view.markerDraws;  // the redraw drew the icons too
    } else if (view.markerDraws != ws.paintedMarkerDraws) {
        DrawRLMarkers(ws.canvas, ws.editor.model.markers, ws.assets.marker);
        ws.paintedMarkerDraws = view.markerDraws;
    }
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
