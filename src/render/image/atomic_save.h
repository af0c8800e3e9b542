#pragma once

#include "core/result.h"

#include <QString>
#include <string_view>

class QSaveFile;

namespace velmora {

// Writes the whole file or nothing: the bytes go to a temporary file in the
// same folder, which then replaces the target. A failed or interrupted write
// leaves the old file as it was. The failure is the system's reason.
Status SaveBytes(const QString& path, std::string_view bytes);

// The first half of SaveBytes: opens `file` and writes the bytes to its
// temporary file, leaving the target as it is. The file's commit() then puts
// them in place; dropped uncommitted, the temporary file goes with it.
Status WriteUncommitted(QSaveFile& file, std::string_view bytes);

}  // namespace velmora
