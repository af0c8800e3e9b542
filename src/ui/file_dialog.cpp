#include "ui/file_dialog.h"

#include "ui/focus_return.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace velmora {
namespace {

// Room for long track names beside their size, type and date.
constexpr QSize kPreferredSize(960, 600);

class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
        : QFileDialog(parent, title, folder, filter)
    {
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::DontConfirmOverwrite);
        const QScreen* screen = parent ? parent->screen() : this->screen();
        const QSize room = screen ? screen->availableSize() * 9 / 10 : kPreferredSize;
        resize(kPreferredSize.boundedTo(room));
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        // The toolkit restores the view the user last had when it shows the
        // dialog, so the detail view and its columns are set after that.
        QFileDialog::showEvent(event);
        setViewMode(QFileDialog::Detail);
        if (auto* view = findChild<QTreeView*>())
            view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty()) {
            const QFileInfo file(chosen.first());
            if (!file.isDir() && !file.dir().exists()) {
                const FocusReturn back(this);
                QMessageBox box(QMessageBox::Warning, windowTitle(),
                                "folder does not exist: " + QDir::toNativeSeparators(file.absolutePath()),
                                QMessageBox::Ok, this);
                box.exec();
                return; // the dialog stays open for another name
            }
        }
        QFileDialog::accept();
    }
};

QString& LastFolder()
{
    static QString folder;
    return folder;
}

QString Ask(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title, const QString& folder,
            const QString& filter)
{
    FileDialog dialog(parent, title, FileDialogFolder(folder), filter);
    dialog.setAcceptMode(mode);
    // The open dialog takes only files that are there, like the system's.
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString chosen = dialog.selectedFiles().value(0);
    RememberFileDialogChoice(chosen);
    return chosen;
}

} // namespace

QString FileDialogFolder(const QString& folder)
{
    const QString& last = LastFolder();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : folder;
}

void RememberFileDialogChoice(const QString& file)
{
    if (!file.isEmpty())
        LastFolder() = QFileInfo(file).absolutePath();
}

QString AskOpenFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return Ask(parent, QFileDialog::AcceptOpen, title, folder, filter);
}

QString AskSaveFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return Ask(parent, QFileDialog::AcceptSave, title, folder, filter);
}

} // namespace velmora
