#include "core/formats/waypoints_csv.h"
#include "outputs/output_table.h"

namespace velmora {

namespace {

Status WriteWaypoints(const OutputContext& c)
{
    return c.WriteSampled("_waypoints.csv", "the waypoints", WaypointsCsv);
}

} // namespace

extern const OutputEntry kWaypointsOutput = {
    "waypoints", "Waypoints", "NAME_waypoints.csv",
    "waypoints with heading, curvature and both edges, one row every\nspacing (# "
    "s_m,x_m,y_m,psi_rad,kappa_radpm,w_tr_right_m,w_tr_left_m,...)",
    OutputPicture::None, WriteWaypoints};

} // namespace velmora
