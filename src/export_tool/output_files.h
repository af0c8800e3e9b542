#pragma once

#include "export_tool/export_options.h"

#include <QFileInfo>
#include <QString>
#include <string>
#include <string_view>

namespace velmora {

// Where an output of a track goes: the output folder (else the track's own)
// and the track's name with the suffix (".png", "_rl.txt", ...).
QString OutputPath(const ExportOptions& o, const QFileInfo& track, const QString& suffix);

// Writes one output whole or not at all; on failure the reason goes to
// `error`.
bool Write(const QString& path, std::string_view bytes, std::string& error);

std::string Utf8(const QString& s);

} // namespace velmora
