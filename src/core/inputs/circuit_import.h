#pragma once

#include "core/inputs/centreline_import.h"
#include "core/result.h"
#include "core/settings/settings.h"

#include <string>
#include <string_view>

namespace velmora {

// How a circuit's centreline comes onto the canvas of `s`, by the editor and
// by the export alike: fitted to the canvas, closed, under the settings'
// angle limit and with their track width.
CentrelineImportOptions CircuitImportOptions(const Settings& s);

// Reads a centreline file's bytes and imports them. `widthsWhenGiven`: the
// track takes the file's widths when any row has them, else the options'.
Result<ImportedCentreline> ImportCircuitText(std::string_view bytes, CentrelineImportOptions options,
                                             bool widthsWhenGiven = false);

// How the circuit was read: "scale 0.5 m per pixel, origin -412.5,1790.0 m,
// track width 24 px".
std::string CircuitNote(const ImportedCentreline& imported);

} // namespace velmora
