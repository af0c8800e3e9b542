#pragma once

#include <QString>

class QWidget;

namespace velmora {

// The open and save dialogs of the file commands. They are the toolkit's own
// on every system, so they behave alike everywhere: they open in the detail
// view, large enough that names, sizes and dates show in full; a typed path
// whose folder does not exist is refused in the dialog; neither dialog asks
// before overwriting (the program asks itself) or changes the current folder.
// `filter` is in the toolkit's form. Empty when the user cancels. Both open
// in the folder of the file last chosen in either of them, while it is
// there; until then in `folder`.
QString AskOpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter);
QString AskSaveFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter);

// The folder the dialogs open in, given the caller's `folder`.
QString FileDialogFolder(const QString& folder);
// Notes the folder of a file the user chose.
void RememberFileDialogChoice(const QString& file);

} // namespace velmora
