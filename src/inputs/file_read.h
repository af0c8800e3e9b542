#pragma once

#include "core/result.h"

#include <QByteArray>
#include <QString>

namespace velmora {

// Reads a whole file. A path that is missing or a folder is "could not find
// file"; one that cannot be opened or read (or is too large to hold) says
// why. An empty file is read as no bytes: whether that is missing (a track,
// as the editor's Load has it), no points or the defaults is the caller's
// rule.
Result<QByteArray> ReadWholeFile(const QString& path);

} // namespace velmora
