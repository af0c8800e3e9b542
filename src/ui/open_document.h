#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace velmora {

// The desktop's command that opens a document with the application chosen
// for its type; the document's path goes after these words.
QStringList DesktopOpener();

// Runs `opener` with `path` appended and returns without waiting for it.
// When the opener cannot be started, crashes or exits with an error,
// `failed` runs on this thread: from the event loop once the opener has
// ended, or at once when it could not even start. A viewer the opener
// started outlives the program.
void OpenDocument(const QStringList& opener, const QString& path, std::function<void()> failed);

} // namespace velmora
