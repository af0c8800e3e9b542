#include "export_tool/export_scene.h"

#include "core/formats/number_text.h"
#include "core/settings/prefs_file.h"
#include "core/settings/user_folder.h"
#include "inputs/file_read.h"
#include "outputs/export_picture.h"
#include "outputs/output_files.h"
#include "render/image/image_load.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

bool LoadSettings(const ExportOptions& o, const QString& programDir, Settings& settings, std::ostream& err)
{
    QString path = QString::fromStdString(o.prefsFile);
    if (path.isEmpty()) {
        // Where the editor keeps them: beside the program, or in the user's
        // own folder when the program is installed read-only.
        path = QDir(SettingsFolderFor(QDir(programDir).filesystemAbsolutePath())).filePath(kPrefsFileName);
        if (!QFileInfo(path).isFile())
            return true; // no preferences there: the defaults
    }
    const Result<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes) {
        err << "velmora-export: " << Utf8(path) << ": "
            << (bytes.error() == "could not find file" ? "could not find the settings file" : bytes.error())
            << "\n";
        return false;
    }
    // An empty file holds no keys: the defaults.
    settings = ReadPrefs(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    return true;
}

// Loads one picture the way the editor does: a missing file is an error,
// one that cannot be decoded is reported and left out, and the run then
// fails, so that a batch can tell its pictures are not what was asked for.
bool LoadPicture(const QString& path, QImage& into, bool& damaged, std::ostream& err)
{
    const LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Loaded:
        into = loaded.image;
        return true;
    case ImageLoadStatus::Undecodable:
        err << "velmora-export: " << Utf8(path) << ": could not load image; drawing without it\n";
        into = QImage();
        damaged = true;
        return true;
    case ImageLoadStatus::Missing:
        break;
    }
    err << "velmora-export: " << Utf8(path) << ": could not find image\n";
    return false;
}

// A canvas side the settings ask for that no canvas can have is drawn at
// the nearest one that can; the user hears of it.
void WarnOfCanvasSide(const char* key, double asked, std::ostream& err)
{
    if (asked >= 1 && asked <= kMaxCanvasSide)
        return;
    err << "velmora-export: " << key << " " << FormatShortest(asked) << " is out of range (1 to "
        << kMaxCanvasSide << "); using " << CanvasSide(asked) << "\n";
}

} // namespace

bool LoadScene(const ExportOptions& o, const QString& programDir, ExportScene& scene, std::ostream& err)
{
    if (!LoadSettings(o, programDir, scene.settings, err))
        return false;
    const QDir images(o.imagesDir.empty() ? QDir(programDir).filePath("Images")
                                          : QString::fromStdString(o.imagesDir));
    bool& damaged = scene.damagedPicture;
    if (!LoadPicture(images.filePath("surface.png"), scene.assets.surface, damaged, err) ||
        !LoadPicture(images.filePath("start.png"), scene.assets.start, damaged, err) ||
        !LoadPicture(images.filePath("marker.png"), scene.assets.marker, damaged, err))
        return false;
    if (!o.templateImage.empty() &&
        !LoadPicture(QString::fromStdString(o.templateImage), scene.templateImage, damaged, err))
        return false;
    WarnOfCanvasSide("CanvasWidth", scene.settings.CanvasWidth, err);
    WarnOfCanvasSide("CanvasHeight", scene.settings.CanvasHeight, err);
    LoadFonts(scene.assets, scene.settings, kExportDpi);
    return true;
}

InputOptions InputsOf(const ExportOptions& o)
{
    InputOptions in;
    in.frame = {o.metresPerPixel, o.originX, o.originY};
    in.scaleGiven = o.scaleGiven;
    in.originGiven = o.originGiven;
    in.open = o.open;
    in.trackWidth = o.trackWidth;
    in.trackWidthMetres = o.trackWidthMetres;
    in.trackWidthFromCsv = o.trackWidthFromCsv;
    in.map = o.map;
    in.vehicle = o.outputOptions.vehicle;
    in.loadVehicle = o.Wants("raceline");
    in.seed = o.seed;
    in.minLength = o.minLength;
    in.maxLength = o.maxLength;
    in.markers = o.markers;
    return in;
}

bool CanGenerate(const ExportOptions& o, const Settings& base, std::ostream& err)
{
    const InputOptions in = InputsOf(o);
    const Settings s = InputSettings(in, base);
    const Status usable = GeneratorProblem(s, GeneratorOptionsFor(in, s));
    if (usable)
        return true;
    err << "velmora-export: cannot generate tracks: " << usable.error() << "\n";
    return false;
}

Result<TrackJob> MakeGeneratedTrack(const ExportOptions& o, const Settings& settings, std::size_t index,
                                    std::atomic<int>& failedToMake)
{
    if (failedToMake.load() >= kGiveUpAfter)
        return Fail("not made: " + std::to_string(kGiveUpAfter) + " tracks of this run could not be made");
    Result<TrackJob> job = GenerateTrackInput(InputsOf(o), settings, index);
    if (!job)
        ++failedToMake;
    return job;
}

} // namespace velmora
