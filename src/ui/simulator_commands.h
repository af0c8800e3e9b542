#pragma once

#include "ui/workspace.h"

#include <functional>

namespace velmora {

// The Simulator menu's commands that change the document. Each runs to its
// end, reporting through the prompts and the editor's status fields.

// Asks for a circuit's centreline CSV and puts it on the canvas as the
// export imports it: fitted to the canvas, with the file's track widths
// when it has them, and with the world frame that keeps every point where
// the file has it. The open track stays when the file cannot be imported.
void ImportCircuit(Workspace& ws, const Prompts& prompts);

// Asks for a ROS map's YAML, then, over the map's picture, where the track
// starts, which way it runs, which wall gaps to close and which specks to
// ignore, and takes in its track as velmora-export reads the map with the
// same choices: the canvas the map's size, the map's picture under the
// track, a cell a canvas pixel (in place of any template, which would hide
// it), and the map's frame (its resolution and origin). The map
// is read and its track found on the worker pool, with the progress in
// field 1; `placed` runs once the track is in. Nothing changes when the map
// cannot be imported.
void ImportMap(Workspace& ws, const Prompts& prompts, std::function<void()> placed = {});

// Shows the World Frame dialog and takes the frame it gives; Cancel
// changes nothing.
void EditWorldFrame(Workspace& ws, const Prompts& prompts);

} // namespace velmora
