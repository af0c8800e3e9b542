#include "ui/help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "ui/source_position.h"

namespace velmora {

void ShowHelp(Workspace& ws, const Prompts& prompts)
{
    VELMORA_HERE();
    const QString path = ws.helpFolder + "Velmora Help.pdf";
    // The desktop opener reports success for a file that is not there, so
    // the file is looked for first.
    if (QFileInfo(path).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    const auto& box = prompts.warning ? prompts.warning : prompts.message;
    if (box)
        box("Missing", "The Help file is missing");
}

}  // namespace velmora
