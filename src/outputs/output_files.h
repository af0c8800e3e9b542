#pragma once

#include "core/result.h"

#include <QString>
#include <string>
#include <string_view>

namespace velmora {

// Writes one file whole or not at all; the failure names the file.
Status Write(const QString& path, std::string_view bytes);

std::string Utf8(const QString& s);

// Makes a folder and the folders above it that are missing; the failure
// names the folder and the system's reason ("Not a directory").
Status MakeFolder(const QString& path);

} // namespace velmora
