#include "python/module_track.h"

#include "export_tool/generate_options.h"
#include "export_tool/tool_words.h"
#include "export_tool/track_pool.h"
#include "outputs/export_picture.h"
#include "outputs/output_files.h"
#include "outputs/track_export.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <map>
#include <mutex>
#include <sstream>
#include <tuple>

namespace velmora {

namespace {

constexpr std::string_view kToolPrefix = "velmora-export: ";

template <typename T> Answer<T> Failed(std::string message, bool usage = false)
{
    Answer<T> a;
    a.error = {std::move(message), usage};
    return a;
}

// The lines the tool's pieces told on their error stream, without the
// program's name.
std::vector<std::string> ToldLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line.rfind(kToolPrefix, 0) == 0 ? line.substr(kToolPrefix.size()) : line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The scenes loaded so far by what they were loaded from: every track read
// with the same settings and pictures shares one. Kept for the life of the
// process, so that the threads' own copies of the fonts may point at them.
struct SceneKey {
    std::string prefs, images, templateImage, programDir;
    bool operator<(const SceneKey& k) const
    {
        return std::tie(prefs, images, templateImage, programDir) <
               std::tie(k.prefs, k.images, k.templateImage, k.programDir);
    }
};

Answer<std::shared_ptr<const ExportScene>> SceneFor(const ExportOptions& o, const QString& programDir)
{
    static std::mutex mutex;
    static auto* scenes = new std::map<SceneKey, std::shared_ptr<const ExportScene>>;
    const std::lock_guard lock(mutex);
    const SceneKey key{o.prefsFile, o.imagesDir, o.templateImage, programDir.toStdString()};
    if (const auto found = scenes->find(key); found != scenes->end()) {
        Answer<std::shared_ptr<const ExportScene>> a;
        a.value = found->second;
        return a;
    }
    auto scene = std::make_shared<ExportScene>();
    std::ostringstream err;
    const bool loaded = LoadScene(o, programDir, *scene, err);
    if (!loaded)
        return Failed<std::shared_ptr<const ExportScene>>(Joined(ToldLines(err.str())));
    Answer<std::shared_ptr<const ExportScene>> a;
    a.warnings = ToldLines(err.str());
    a.value = scene;
    scenes->emplace(key, scene);
    return a;
}

// The fonts of a scene may not be drawn with on two threads at once: each
// thread draws with its own copy, and scales the template once for all its
// pictures, as the tool's workers do.
struct ThreadLook {
    RenderAssets assets;
    TemplateCache cache;
};

ThreadLook& LookFor(const ExportScene& scene)
{
    thread_local std::map<const ExportScene*, std::unique_ptr<ThreadLook>> looks;
    std::unique_ptr<ThreadLook>& look = looks[&scene];
    if (!look) {
        look = std::make_unique<ThreadLook>();
        look->assets = scene.assets;
        LoadFonts(look->assets, scene.settings, kExportDpi);
    }
    return *look;
}

Answer<ExportOptions> ReadArgs(const std::vector<std::string>& args)
{
    Result<ExportOptions> o = ReadExportArgs(args);
    if (!o)
        return Failed<ExportOptions>(o.error(), true);
    Answer<ExportOptions> a;
    a.value = std::move(*o);
    return a;
}

// What reading or making tracks does not take: the outputs and where they
// go belong to a call that writes.
Status ReadingOnly(const ExportOptions& o)
{
    if (!o.outputs.empty())
        return Fail("--" + *o.outputs.begin() + " is an output: ask for it when the track is written");
    if (!o.outDir.empty())
        return Fail("--out-dir goes with writing a track: give the folder when the track is written");
    if (o.help || o.version)
        return Fail(std::string(o.help ? "--help" : "--version") + " is not an option of a track");
    return CheckSections(o);
}

int Cores()
{
    return std::max(1, QThread::idealThreadCount());
}

// The name of an option argument: "spacing" of "--spacing=1".
std::string OptionName(const std::string& arg)
{
    const std::size_t from = arg.rfind("--", 0) == 0 ? 2 : 0;
    return arg.substr(from, arg.find('=') == std::string::npos ? std::string::npos : arg.find('=') - from);
}

// The options a call on a track that is already read may give: those of
// the outputs and the spacing of the sampled ones.
bool CallOption(const std::string& name)
{
    if (name == "spacing")
        return true;
    for (const OutputEntry* output : Outputs())
        for (const OutputOption& option : output->options)
            if (name == option.name)
                return true;
    return false;
}

std::vector<std::string> TrackArgument(const ModuleTrack& track)
{
    if (track.source.isEmpty())
        return {};
    return {"--", track.source.toStdString()};
}

// The tracks of the run on the tool's pool, each slot filled by the one
// thread that takes its track; a track not made is an empty slot and a
// warning, as the tool tells it.
Answer<std::vector<std::shared_ptr<ModuleTrack>>> MakeTracks(const ExportOptions& o,
                                                             const std::vector<std::string>& args,
                                                             const std::shared_ptr<const ExportScene>& scene,
                                                             std::uint64_t count)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i)
        names.push_back(GeneratedTrackName(i, count));
    std::vector<std::shared_ptr<ModuleTrack>> tracks(count);
    std::vector<std::string> failures(count);
    std::atomic<int> failedToMake = 0;
    const auto makeWorker = [&]() -> TrackWork {
        return [&](std::size_t index, const std::string& name, TrackReport&) -> Status {
            Result<TrackJob> job = MakeGeneratedTrack(o, scene->settings, index, failedToMake);
            if (!job) {
                failures[index] = job.error();
                return Fail(job.error());
            }
            tracks[index] = std::make_shared<ModuleTrack>(
                ModuleTrack{scene, args, std::move(*job), QString::fromStdString(name), {}});
            return {};
        };
    };
    std::ostringstream told; // the pool's own report of the failures, answered below instead
    RunTrackPool(names, o.jobs > 0 ? o.jobs : Cores(), makeWorker, {nullptr, told, false});
    Answer<std::vector<std::shared_ptr<ModuleTrack>>> a;
    for (std::size_t i = 0; i < count; ++i)
        if (!tracks[i])
            a.warnings.push_back(names[i] + ": " +
                                 InToolWords(failures[i].empty() ? std::string("not made") : failures[i]));
    a.value = std::move(tracks);
    return a;
}

} // namespace

Answer<ModuleTrack> LoadModuleTrack(const std::string& path, const std::vector<std::string>& options,
                                    const QString& programDir)
{
    std::vector<std::string> args = options;
    args.insert(args.end(), {"--", path});
    Answer<ExportOptions> o = ReadArgs(args);
    if (!o.ok())
        return Failed<ModuleTrack>(o.error.message, true);
    if (o.value->generate > 0)
        return Failed<ModuleTrack>("--generate makes tracks of its own: read a track file without it", true);
    if (Status usable = ReadingOnly(*o.value); !usable)
        return Failed<ModuleTrack>(usable.error(), true);
    Answer<std::shared_ptr<const ExportScene>> scene = SceneFor(*o.value, programDir);
    if (!scene.ok())
        return Failed<ModuleTrack>(scene.error.message);
    InputOptions in = InputsOf(*o.value);
    // A race line may be asked for later: the car the frame file names is
    // read with the track, as it is when the tool is asked for one.
    in.loadVehicle = true;
    Result<TrackJob> job = ReadTrackInput(in, (*scene.value)->settings, QString::fromStdString(path));
    if (!job)
        return Failed<ModuleTrack>(InToolWords(job.error()));
    Answer<ModuleTrack> a;
    a.warnings = scene.warnings;
    a.value =
        ModuleTrack{*scene.value, options, std::move(*job),
                    QFileInfo(QString::fromStdString(path)).completeBaseName(), QString::fromStdString(path)};
    return a;
}

Answer<std::vector<std::shared_ptr<ModuleTrack>>>
GenerateModuleTracks(std::uint64_t count, const std::vector<std::string>& options, const QString& programDir)
{
    using Tracks = std::vector<std::shared_ptr<ModuleTrack>>;
    std::vector<std::string> args = {"--generate=" + std::to_string(count)};
    args.insert(args.end(), options.begin(), options.end());
    Answer<ExportOptions> read = ReadArgs(args);
    if (!read.ok())
        return Failed<Tracks>(read.error.message, true);
    const ExportOptions& o = *read.value;
    if (Status usable = ReadingOnly(o); !usable)
        return Failed<Tracks>(usable.error(), true);
    Answer<std::shared_ptr<const ExportScene>> scene = SceneFor(o, programDir);
    if (!scene.ok())
        return Failed<Tracks>(scene.error.message);
    const std::shared_ptr<const ExportScene>& shared = *scene.value;
    std::ostringstream refused;
    if (!CanGenerate(o, shared->settings, refused))
        return Failed<Tracks>(Joined(ToldLines(refused.str())), true);

    Answer<Tracks> a = MakeTracks(o, args, shared, count);
    a.warnings.insert(a.warnings.begin(), scene.warnings.begin(), scene.warnings.end());
    return a;
}

namespace {

Answer<ExportOptions> ReadCallOptions(const ModuleTrack& track, const std::vector<std::string>& callOptions,
                                      const std::vector<std::string>& outputs, bool writing)
{
    for (const std::string& output : outputs)
        if (!OutputNamed(output))
            return Failed<ExportOptions>("unknown output \"" + output + "\"", true);
    for (const std::string& option : callOptions)
        if (!CallOption(OptionName(option)))
            return Failed<ExportOptions>("--" + OptionName(option) +
                                             " goes with reading the track: give it when the track is read",
                                         true);
    std::vector<std::string> args = track.args;
    args.insert(args.end(), callOptions.begin(), callOptions.end());
    for (const std::string& output : outputs)
        args.push_back("--" + output);
    const std::vector<std::string> trackArgument = TrackArgument(track);
    args.insert(args.end(), trackArgument.begin(), trackArgument.end());
    Answer<ExportOptions> o = ReadArgs(args);
    if (!o.ok())
        return o;
    if (Status usable = writing ? CheckExportCommand(*o.value) : CheckSections(*o.value); !usable)
        return Failed<ExportOptions>(usable.error(), true);
    return o;
}

} // namespace

Answer<ExportOptions> CallOptions(const ModuleTrack& track, const std::vector<std::string>& callOptions)
{
    return ReadCallOptions(track, callOptions, {}, false);
}

Answer<ExportOptions> WriteOptions(const ModuleTrack& track, const std::vector<std::string>& callOptions,
                                   const std::vector<std::string>& outputs)
{
    return ReadCallOptions(track, callOptions, outputs, true);
}

namespace {

template <typename T> Answer<T> FromResult(Result<T> r, const std::string& what = {})
{
    if (!r)
        return Failed<T>(InToolWords(what + r.error()));
    Answer<T> a;
    a.value = std::move(*r);
    return a;
}

} // namespace

Answer<std::vector<CentrelineRow>> TrackCentreline(const ModuleTrack& track, const ExportOptions& o)
{
    const TrackProducts products(o.Choices(), track.job, track.name);
    const Result<TrackSamples>& samples = products.Context().Samples();
    if (!samples)
        return Failed<std::vector<CentrelineRow>>("could not make the centreline: " +
                                                  InToolWords(samples.error()));
    return FromResult(CentrelineRows(*samples, track.job.frame), "could not make the centreline: ");
}

Answer<std::vector<WorldRow>> TrackWorldRows(const ModuleTrack& track, const ExportOptions& o)
{
    const TrackProducts products(o.Choices(), track.job, track.name);
    const Result<TrackSamples>& samples = products.Context().Samples();
    if (!samples)
        return Failed<std::vector<WorldRow>>("could not make the edges: " + InToolWords(samples.error()));
    return FromResult(WorldRows(*samples, track.job.frame), "could not make the edges: ");
}

Answer<RosMap> TrackOccupancy(const ModuleTrack& track)
{
    const TrackProducts products({}, track.job, track.name);
    Answer<RosMap> a = FromResult(TrackRosMap(products.Context()));
    if (a.ok() && a.value->openAtEdge)
        a.warnings.push_back(kOpenMapWarning);
    return a;
}

Answer<ModuleRaceline> TrackRacelineRows(const ModuleTrack& track, const ExportOptions& o)
{
    const TrackProducts products(o.Choices(), track.job, track.name);
    const NamedVehicle vehicle = RacelineVehicle(products.Context());
    const Result<Raceline> line = TrackRaceline(products.Context(), vehicle.vehicle);
    if (!line)
        return Failed<ModuleRaceline>("could not make the race line: " + InToolWords(line.error()));
    Answer<ModuleRaceline> a;
    a.value =
        ModuleRaceline{RacelineFileRows(*line, o.outputOptions.headingZero), line->lapTime, vehicle.name};
    if (!line->converged)
        a.warnings.push_back("race line: " + line->note);
    return a;
}

Answer<QImage> TrackPicture(const ModuleTrack& track)
{
    ThreadLook& look = LookFor(*track.scene);
    Result<QImage> picture =
        DrawTrackPicture(track.job, {look.assets, track.scene->templateImage, &look.cache}, OutputPicture::Canvas);
    if (picture)
        *picture = picture->convertToFormat(QImage::Format_RGB888);
    return FromResult(std::move(picture));
}

Answer<std::string> TrackRLText(const ModuleTrack& track)
{
    const TrackProducts products({}, track.job, track.name);
    return FromResult(TrackRLData(products.Context()));
}

Answer<std::vector<std::string>> WriteModuleTrack(const ModuleTrack& track, const ExportOptions& o,
                                                  const std::string& outDir)
{
    const QString folder = QString::fromStdString(outDir);
    if (Status made = MakeFolder(folder); !made)
        return Failed<std::vector<std::string>>(made.error());
    ThreadLook& look = LookFor(*track.scene);
    std::vector<std::string> facts;
    Answer<std::vector<std::string>> a;
    QStringList written;
    const Status exported =
        ExportTrack(o.Choices(), track.job, ExportNames(track.job, folder, track.name, track.source),
                    {look.assets, track.scene->templateImage, &look.cache}, Cores(), facts, a.warnings,
                    nullptr, &written);
    for (std::string& warning : a.warnings)
        warning = InToolWords(warning);
    if (!exported)
        return Failed<std::vector<std::string>>(InToolWords(exported.error()));
    a.value.emplace();
    for (const QString& path : written)
        a.value->push_back(Utf8(path));
    return a;
}

} // namespace velmora
