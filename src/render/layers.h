#pragma once

#include "render/drawing.h"
#include "render/redraw.h"

#include <vector>

namespace velmora {

// What every layer of one redraw reads: the track path is parsed once.
struct Scene {
    const TrackModel& model;
    const Settings& settings;
    const RenderAssets& assets;
    const std::vector<PathFigure>& track;
};

// A track width that marks as wide as the track (cross lines, start strip)
// can be drawn at: positive and finite.
bool UsableTrackWidth(double width);

void DrawBorder(VectorPass& pass, const Scene& scene);
void DrawSurface(VectorPass& pass, const Scene& scene);
void DrawCentreLine(VectorPass& pass, const Scene& scene);
void DrawDistanceMarkers(VectorPass& pass, const Scene& scene);
void DrawLabels(VectorPass& pass, const Scene& scene);
void DrawStartImage(VectorPass& pass, const Scene& scene);

} // namespace velmora
