#include "export_tool/batch_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "render/image/canvas_picture.h"
#include "render/image/bmp_write.h"
#include "core/formats/centreline_csv.h"
#include "render/image/image_load.h"
#include "render/image/png_write.h"
#include "core/formats/rl_data.h"
#include "render/image/atomic_save.h"
#include "core/formats/track_file.h"
#include "render/redraw.h"
#include "core/settings/prefs_file.h"
#include "core/settings/user_folder.h"
#include "core/track/path.h"
#include "export_tool/interop_outputs.h"
#include "export_tool/output_files.h"
#include "export_tool/track_input.h"

namespace velmora {

namespace {

// Labels are drawn at the editor's reference resolution, so the pictures
// match what the editor exports on a standard display.
constexpr double kExportDpi = 96;

// Everything that stays the same for all tracks of one call.
struct ExportScene {
    Settings settings;
    RenderAssets assets;
    QImage templateImage;
    TemplateCache templateCache;
};

bool LoadSettings(const ExportOptions& o, const QString& programDir, Settings& settings, std::ostream& err)
{
    QString path = QString::fromStdString(o.prefsFile);
    if (path.isEmpty()) {
        // Where the editor keeps them: beside the program, or in the user's
        // own folder when the program is installed read-only.
        path = QDir(SettingsFolderFor(QDir(programDir).filesystemAbsolutePath())).filePath(kPrefsFileName);
        if (!QFileInfo(path).isFile())
            return true;  // no preferences there: the defaults
    }
    QByteArray bytes;
    std::string error;
    const QFileInfo info(path);
    if (info.isFile() && info.size() == 0)
        return true;  // an empty file holds no keys: the defaults
    if (!ReadWholeFile(path, bytes, error)) {
        err << "velmora-export: " << Utf8(path) << ": " << (error == "could not find file" ? "could not find the settings file" : error) << "\n";
        return false;
    }
    settings = ReadPrefs(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return true;
}

// Loads one picture the way the editor does: a missing file is an error,
// one that cannot be decoded is reported and left out.
bool LoadPicture(const QString& path, QImage& into, std::ostream& err)
{
    const LoadedImage loaded = LoadImg(path);
    switch (loaded.status) {
    case ImageLoadStatus::Loaded:
        into = loaded.image;
        return true;
    case ImageLoadStatus::Undecodable:
        err << "velmora-export: " << Utf8(path) << ": could not load image; drawing without it\n";
        into = QImage();
        return true;
    case ImageLoadStatus::Missing:
        break;
    }
    err << "velmora-export: " << Utf8(path) << ": could not find image\n";
    return false;
}

bool LoadScene(const ExportOptions& o, const QString& programDir, ExportScene& scene, std::ostream& err)
{
    if (!LoadSettings(o, programDir, scene.settings, err))
        return false;
    const QDir images(o.imagesDir.empty() ? QDir(programDir).filePath("Images")
                                          : QString::fromStdString(o.imagesDir));
    if (!LoadPicture(images.filePath("surface.png"), scene.assets.surface, err) ||
        !LoadPicture(images.filePath("start.png"), scene.assets.start, err) ||
        !LoadPicture(images.filePath("marker.png"), scene.assets.marker, err))
        return false;
    if (!o.templateImage.empty() &&
        !LoadPicture(QString::fromStdString(o.templateImage), scene.templateImage, err))
        return false;
    LoadFonts(scene.assets, scene.settings, kExportDpi);
    return true;
}

bool WritePicture(const ExportOptions& o, ExportScene& scene, const TrackJob& job, const QFileInfo& track,
                  std::string& error)
{
    QImage canvas(CanvasSide(job.settings.CanvasWidth), CanvasSide(job.settings.CanvasHeight),
                  QImage::Format_RGB32);
    if (canvas.isNull()) {
        error = "could not create the canvas picture";
        return false;
    }
    RedrawCanvas(canvas, job.model, job.settings, scene.assets, scene.templateImage, &scene.templateCache);
    const QImage picture = CanvasPicture(canvas);
    const std::optional<std::string> bytes = o.bmp ? EncodeBmp(picture) : EncodePng(picture);
    if (picture.isNull() || !bytes) {
        error = "could not encode the picture";
        return false;
    }
    return Write(OutputPath(o, track, o.bmp ? ".bmp" : ".png"), *bytes, error);
}

bool WriteRL(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const PathMeasure measure(job.model.TrackPath);
    if (const auto problem = RLExportProblem(measure, job.settings.MarkerGap)) {
        error = "could not export RL data: " + *problem;
        return false;
    }
    const RLExport rl =
        BuildRLExport(measure, job.model.markers, job.settings.MarkerGap, job.settings.TrackWidth);
    return Write(OutputPath(o, track, "_rl.txt"), rl.text, error);
}

bool WriteCentreline(const ExportOptions& o, const TrackJob& job, const QFileInfo& track, std::string& error)
{
    const CentrelineResult csv = CentrelineCsv(job.model.TrackPath, job.settings.MarkerGap,
                                               job.settings.TrackWidth, job.metresPerPixel);
    if (!csv.ok) {
        error = "could not write the centreline: " + csv.error;
        return false;
    }
    return Write(OutputPath(o, track, "_centreline.csv"), csv.text, error);
}

// One track from reading to its last output. The scene is shared by all
// tracks and stays as it is; what differs per track lives in the job.
bool ExportTrack(const ExportOptions& o, ExportScene& scene, const QString& path, std::string& error,
                 std::string* note = nullptr)
{
    TrackJob job;
    if (!ReadTrackInput(o, scene.settings, path, job, error))
        return false;
    if (note)
        *note = job.note;
    const QFileInfo track(path);
    bool ok = true;
    std::string first;
    const auto run = [&](bool wanted, auto&& step) {
        std::string why;
        if (wanted && !step(why) && ok) {
            ok = false;
            first = why;
        }
    };
    run(o.png || o.bmp, [&](std::string& why) { return WritePicture(o, scene, job, track, why); });
    run(o.rl, [&](std::string& why) { return WriteRL(o, job, track, why); });
    run(o.centreline, [&](std::string& why) { return WriteCentreline(o, job, track, why); });
    run(o.trk, [&](std::string& why) { return WriteTrk(o, job, track, why); });
    run(o.rosMap, [&](std::string& why) { return WriteRosMap(o, job, track, why); });
    error = first;
    return ok;
}

}  // namespace

int RunBatchExport(const ExportOptions& options, const QString& programDir, std::ostream& err, bool showProgress)
{
    ExportScene scene;
    if (!LoadScene(options, programDir, scene, err))
        return 1;
    if (!options.outDir.empty() && !QDir().mkpath(QString::fromStdString(options.outDir))) {
        err << "velmora-export: " << options.outDir << ": could not create the output folder\n";
        return 1;
    }
    int failures = 0;
    const std::size_t total = options.tracks.size();
    for (std::size_t i = 0; i < total; ++i) {
        const QString path = QString::fromStdString(options.tracks[i]);
        if (showProgress)
            err << (i + 1) << "/" << total << " " << Utf8(QFileInfo(path).fileName()) << "\n";
        std::string error, note;
        const bool exported = ExportTrack(options, scene, path, error, &note);
        if (!note.empty())
            err << "velmora-export: " << options.tracks[i] << ": " << note << "\n";
        if (!exported) {
            err << "velmora-export: " << options.tracks[i] << ": " << error << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace velmora
