#pragma once

#include "core/result.h"

#include <QString>
#include <string_view>

namespace velmora {

// Writes the whole file or nothing: the bytes go to a temporary file in the
// same folder, which then replaces the target. A failed or interrupted write
// leaves the old file as it was. The failure is the system's reason.
Status SaveBytes(const QString& path, std::string_view bytes);

}  // namespace velmora
