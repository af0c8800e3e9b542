#include "track/path.h"

// Placeholder until the path reader lands.
namespace velmora {

std::vector<PathFigure> ParsePathText(std::string_view) { return {}; }

PathMeasure::PathMeasure(const std::vector<PathFigure>&) {}
PathMeasure::PathMeasure(std::string_view) {}
PathSample PathMeasure::At(double) const { return {}; }

}  // namespace velmora
