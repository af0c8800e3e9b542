#pragma once

#include "core/result.h"

#include <QString>
#include <string>
#include <string_view>

namespace velmora {

// Writes one file whole or not at all; the failure names the file.
Status Write(const QString& path, std::string_view bytes);

std::string Utf8(const QString& s);

} // namespace velmora
