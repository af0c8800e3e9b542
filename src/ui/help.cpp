#include "ui/help.h"

#include "ui/open_document.h"
#include "ui/source_position.h"

#include <QDir>
#include <QFileInfo>

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
    // missing would send them looking for the wrong thing. The opener may
    // take its time (or wait for the viewer), so the window goes on meanwhile.
    const auto report = box;
    OpenDocument(ws.documentOpener, path, [report, path] {
        if (report)
            report("Error", "No program could open the Help file:\n" + QDir::toNativeSeparators(path));
    });
}

} // namespace velmora
