#include "ui/prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QStringList>

#include "ui/file_dialog.h"
#include "ui/focus_return.h"
#include "ui/map_import_dialog.h"
#include "ui/simulator_export_dialog.h"
#include "ui/world_frame_dialog.h"

namespace velmora {
namespace {

// Dialogs belong to the window the user is looking at: the Options window
// stays on top, so a colour dialog owned by the main window would hide
// behind it.
QWidget* DialogParent(const QPointer<QWidget>& owner)
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return owner.data();
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    const FocusReturn back(parent);
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        out << parts[i].trimmed() + " (" + patterns.join(' ') + ")";
    }
    if (parts.size() % 2 == 1 && !parts.back().isEmpty())
        out << parts.back();  // a lone pattern list without description
    return out.join(";;");
}

Prompts MakeDialogPrompts(QWidget* owner)
{
    const QPointer<QWidget> o(owner);
    Prompts p;
    // The toolkit's dialogs never change the current folder, which the
    // program relies on for its data folders.
    p.openFile = [o](const QString& title, const QString& filter, const QString& folder) {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        return AskOpenFileName(parent, title, folder, QtFileFilter(filter));
    };
    p.saveFile = [o](const QString& title, const QString& filter, const QString& folder) {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        return AskSaveFileName(parent, title, folder, QtFileFilter(filter));
    };
    p.confirm = [o](const QString& text) {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        QMessageBox box(QMessageBox::Warning, "Confirm", text, QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    };
    p.message = [o](const QString& title, const QString& text) {
        ShowBox(DialogParent(o), QMessageBox::NoIcon, title, text);
    };
    p.warning = [o](const QString& title, const QString& text) {
        ShowBox(DialogParent(o), QMessageBox::Warning, title, text);
    };
    p.toClipboard = [](const QImage& picture, const QByteArray& png) {
        auto* data = new QMimeData;
        data->setImageData(picture);
        // Served as it is to a program that asks for PNG, instead of the
        // toolkit encoding the picture again on the window's thread.
        if (!png.isEmpty())
            data->setData("image/png", png);
        QGuiApplication::clipboard()->setMimeData(data);
    };
    p.chooseColour = [o](const QColor& initial) -> std::optional<QColor> {
        QColorDialog::setCustomColor(0, initial);
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        QColorDialog dialog(initial, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedColor();
    };
    p.chooseFrame = [o](const WorldFrame& frame, QSize canvas, double trackWidth) -> std::optional<WorldFrame> {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        WorldFrameDialog dialog(frame, canvas, trackWidth, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const Result<WorldFrame> typed = dialog.Typed();
        return typed ? std::optional<WorldFrame>(*typed) : std::nullopt;
    };
    p.chooseSimulatorExport = [o](const SimulatorExport& initial,
                                  const std::string& vehicle) -> std::optional<SimulatorExport> {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        SimulatorExportDialog dialog(initial, vehicle, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const Result<SimulatorExport> chosen = dialog.Chosen();
        return chosen ? std::optional<SimulatorExport>(*chosen) : std::nullopt;
    };
    p.chooseMapImport = [o](const QImage& map, const WorldFrame& frame,
                            const MapImportChoice& initial) -> std::optional<MapImportChoice> {
        QWidget* parent = DialogParent(o);
        const FocusReturn back(parent);
        MapImportDialog dialog(map, frame, initial, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const Result<MapImportChoice> chosen = dialog.Chosen();
        return chosen ? std::optional<MapImportChoice>(*chosen) : std::nullopt;
    };
    return p;
}

}  // namespace velmora
