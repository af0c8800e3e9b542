#include "ui/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "ui/source_position.h"

namespace velmora {

void ShowHelp(Workspace& ws, const Prompts& prompts)
{
    VELMORA_HERE();
    const QString path = ws.helpFolder + "Velmora Help.pdf";
    const auto& box = prompts.warning ? prompts.warning : prompts.message;
    // The desktop opener reports success for a file that is not there, so
    // the file is looked for first.
    if (!QFileInfo(path).isFile()) {
        if (box)
            box("Missing", "The Help file is missing");
        return;
    }
    // The file is there but nothing opens PDF files: telling the user it is
    // missing would send them looking for the wrong thing.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && box)
        box("Error", "No program could open the Help file:\n" + QDir::toNativeSeparators(path));
}

}  // namespace velmora
