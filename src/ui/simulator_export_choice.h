#pragma once

#include "outputs/output_table.h"

#include <QString>

namespace velmora {

// What Export for Simulators writes, where, and under what name. The whole
// of it is kept for the next export, but the name, which belongs to the
// track, not to the export: it is the track file's name, and is asked for
// while the track has none.
struct SimulatorExport {
    OutputChoices choices;
    QString folder;
    QString name; // NAME of the files; empty: not given yet
};

} // namespace velmora
