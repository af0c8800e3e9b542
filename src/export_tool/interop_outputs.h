#pragma once

#include "export_tool/export_options.h"
#include "export_tool/track_input.h"

#include <QFileInfo>
#include <string>

namespace velmora {

// NAME.trk: the track file as the editor saves it, so a converted circuit
// opens in the editor. Never over the file the track was read from.
bool WriteTrk(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error);

// NAME_map.png and NAME_map.yaml: the occupancy map of the track for ROS and
// the F1TENTH gym, in the frame of the track's centreline CSV (x = px * scale,
// y = -py * scale), so map, centreline and RL data line up as they are.
bool WriteRosMap(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error);

} // namespace velmora
