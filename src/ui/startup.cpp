#include "ui/startup.h"

#include <QDir>
#include <QFileInfo>

#include "ui/failure_report.h"
#include "render/image/image_load.h"

namespace velmora {
namespace {

QString WithSeparator(const QString& folder)
{
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(QDir::separator()))
        native += QDir::separator();
    return native;
}

QImage LoadAsset(const QString& path, const Prompts& prompts)
{
    LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Loaded: return loaded.image;
    case ImageLoadStatus::Missing: ReportFatal(ReportText(("could not find image: " + path).toStdString(), "LoadImg", 490));
    case ImageLoadStatus::Undecodable: break;
    }
    if (prompts.message)
        prompts.message("Error", "could not load image: " + path);
    return QImage();
}

}  // namespace

QString WorkingFolder(const QString& programPath, const QString& launchFolder)
{
    const QFileInfo program(programPath);
    if (program.completeBaseName() == QLatin1String("Velmora"))
        return program.absolutePath();
    return launchFolder;
}

void SetDataFolders(Workspace& ws, const QString& workFolder)
{
    ws.workFolder = WithSeparator(workFolder);
    ws.imagesFolder = ws.workFolder + "Images" + QDir::separator();
    ws.tracksFolder = ws.workFolder + "Tracks" + QDir::separator();
    ws.helpFolder = ws.workFolder + "Help" + QDir::separator();
}

void LoadAssets(Workspace& ws, const Prompts& prompts)
{
    ws.assets.surface = LoadAsset(ws.imagesFolder + "surface.png", prompts);
    ws.assets.start = LoadAsset(ws.imagesFolder + "start.png", prompts);
    ws.assets.marker = LoadAsset(ws.imagesFolder + "marker.png", prompts);
}

}  // namespace velmora
