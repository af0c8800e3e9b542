#include "ui/startup.h"

#include <QDir>
#include <QFileInfo>

#include "core/settings/os_folders.h"
#include "core/settings/user_folder.h"
#include "render/image/image_load.h"
#include "ui/failure_report.h"

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

WorkFolders ChooseWorkFolders(const QString& baseFolder)
{
    const std::filesystem::path base = QDir(baseFolder).filesystemAbsolutePath();
    if (KeepsUserFilesWithProgram(base))
        return {baseFolder, baseFolder, {}};
    const std::filesystem::path user = UserDataFolder();
    const std::string why = MakeUserFolder(user, base);
    if (why.empty())
        return {QDir(user).absolutePath(), baseFolder, {}};
    const std::string name = user.empty() ? std::string("$HOME/.local/share/velmora") : user.string();
    return {baseFolder, baseFolder,
            ReportText("could not create folder: " + name + " (" + why + ")", "ChooseWorkFolders", __LINE__)};
}

void SetDataFolders(Workspace& ws, const QString& workFolder, const QString& assetsFolder)
{
    ws.workFolder = WithSeparator(workFolder);
    ws.tracksFolder = ws.workFolder + "Tracks" + QDir::separator();
    const QString assets = WithSeparator(assetsFolder);
    ws.imagesFolder = assets + "Images" + QDir::separator();
    ws.helpFolder = assets + "Help" + QDir::separator();
}

void LoadAssets(Workspace& ws, const Prompts& prompts)
{
    ws.assets.surface = LoadAsset(ws.imagesFolder + "surface.png", prompts);
    ws.assets.start = LoadAsset(ws.imagesFolder + "start.png", prompts);
    ws.assets.marker = LoadAsset(ws.imagesFolder + "marker.png", prompts);
}

}  // namespace velmora
