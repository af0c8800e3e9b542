#pragma once

#include "export_tool/export_options.h"

#include <QString>
#include <ostream>

namespace velmora {

// Exports every track the options name, one after the other; a track that
// fails is reported on `err` in one line and the others go on. Returns the
// exit code: 0 when all succeeded, 1 when any failed.
int RunBatchExport(const ExportOptions& options, const QString& programDir, std::ostream& err,
                   bool showProgress);

} // namespace velmora
