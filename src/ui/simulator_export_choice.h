#pragma once

#include "outputs/output_table.h"

#include <QString>

namespace velmora {

// What Export for Simulators writes, and where.
struct SimulatorExport {
    OutputChoices choices;
    QString folder;
};

} // namespace velmora
