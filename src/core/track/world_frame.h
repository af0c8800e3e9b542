#pragma once

namespace velmora {

// Canvas pixels (x right, y down, from the canvas's top-left corner) to world
// metres (x right, y up): the one frame of every output in metres. The origin
// is where the canvas's top-left corner lies in the world; (0, 0) puts the
// canvas below the x axis.
struct WorldFrame {
    double metresPerPixel = 0.05;
    double originX = 0;
    double originY = 0;

    double X(double px) const { return originX + px * metresPerPixel; }
    double Y(double py) const { return originY - py * metresPerPixel; }
    double Metres(double pixels) const { return pixels * metresPerPixel; }
    // A direction on the canvas (radians from +x, clockwise on the screen)
    // as a world heading (radians from +x, counter-clockwise).
    static double Heading(double canvasRadians) { return -canvasRadians; }
};

} // namespace velmora
