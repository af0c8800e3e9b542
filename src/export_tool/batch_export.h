#pragma once

#include "export_tool/export_options.h"

#include <QString>
#include <ostream>

namespace velmora {

// Exports every track the options name; a track that fails is reported on
// `err` in one line and the others go on. The facts of each track (how a
// circuit was read, a lap time, a start pose) go to `out` unless the options
// are quiet. Returns the exit code: 0 when all succeeded, 1 when any failed.
int RunBatchExport(const ExportOptions& options, const QString& programDir, std::ostream& out,
                   std::ostream& err, bool showProgress);

} // namespace velmora
