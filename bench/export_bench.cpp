#include "../tests/render/reference_scene.h"
#include "bench_support.h"
#include "core/formats/track_file.h"
#include "export_tool/batch_export.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace velmora {
namespace {

// Options that write into `dir`, with the shipped pictures.
ExportOptions ToolOptions(const QTemporaryDir& dir)
{
    EnsureGuiApp();
    ExportOptions o;
    o.imagesDir = VELMORA_ASSETS "/Images";
    o.outDir = dir.filePath("out").toStdString();
    return o;
}

// Writes `bytes` as a track file in `dir` and names it in the options.
void AddTrackFile(const QTemporaryDir& dir, const QString& name, const std::string& bytes, ExportOptions& o)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    o.tracks.push_back(path.toStdString());
}

// Runs the tool once an iteration; `tracks` a run counts towards tracks_per_s.
void RunTool(benchmark::State& state, const QTemporaryDir& dir, const ExportOptions& o, double tracks)
{
    for (auto _ : state) {
        std::ostringstream facts, err;
        if (RunBatchExport(o, dir.path(), facts, err, false) != 0)
            state.SkipWithError(err.str().c_str());
    }
    state.counters["tracks_per_s"] =
        benchmark::Counter(tracks * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// 20 closed tracks of 1,000 points each with labels and RL markers, exported
// with the default settings. Arg 1 writes the PNG too, arg 0 only the RL data,
// so the difference is the picture: redraw plus PNG compression.
void BM_ExportToolBatch(benchmark::State& state)
{
    QTemporaryDir dir;
    ExportOptions o = ToolOptions(dir);
    o.outputs = {"rl"};
    if (state.range(0) != 0)
        o.outputs.insert("png");
    const std::string bytes = WriteTrackFile(reference::Circuit(1000));
    for (int i = 0; i < 20; ++i)
        AddTrackFile(dir, QString("track%1.trk").arg(i), bytes, o);
    RunTool(state, dir, o, 20);
}
BENCHMARK(BM_ExportToolBatch)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// One real circuit of 1,401 rows (Spa) from its centreline CSV to the given
// outputs on the default 2048 x 2048 canvas, the rows every `spacing` metres
// (0: the tool's default). Simulator is the whole per-track cost of a
// circuit-to-simulator run; Raceline and Gazebo include drawing the canvas,
// which their files are made from.
void BM_ExportCircuit(benchmark::State& state, std::set<std::string> outputs, double spacing)
{
    QTemporaryDir dir;
    ExportOptions o = ToolOptions(dir);
    o.outputs = std::move(outputs);
    o.spacing = spacing;
    o.trackWidthFromCsv = true;
    o.tracks = {VELMORA_TEST_DATA "/circuits/Spa.csv"};
    RunTool(state, dir, o, 1);
}
BENCHMARK_CAPTURE(BM_ExportCircuit, Simulator, {"trk", "rl", "centreline", "ros-map"}, 0.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ExportCircuit, Interop, {"trk", "centreline", "ros-map", "waypoints", "deepracer"}, 0.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Every 5 m the line has about as many rows as the circuit's CSV.
BENCHMARK_CAPTURE(BM_ExportCircuit, Raceline5m, {"raceline"}, 5.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ExportCircuit, Raceline, {"raceline"}, 0.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ExportCircuit, Gazebo, {"gazebo"}, 0.0)->Unit(benchmark::kMillisecond)->UseRealTime();
// The canvas drawn and encoded at level 9 alone: what Raceline and Gazebo
// spend before their own work.
BENCHMARK_CAPTURE(BM_ExportCircuit, Png, {"png"}, 0.0)->Unit(benchmark::kMillisecond)->UseRealTime();

// 25 closed circuits of 782 to 1402 points, as many as the real circuits'
// centrelines have, exported with --png --rl on `jobs` workers (the argument).
// The speed-up of the pool is tracks_per_s of /2 over that of /1.
void BM_ExportToolJobs(benchmark::State& state)
{
    QTemporaryDir dir;
    ExportOptions o = ToolOptions(dir);
    o.outputs = {"png", "rl"};
    o.jobs = static_cast<int>(state.range(0));
    const int points[] = {782, 1160, 1402, 950, 1300};
    for (int i = 0; i < 25; ++i)
        AddTrackFile(dir, QString("circuit%1.trk").arg(i),
                     WriteTrackFile(reference::Circuit(points[i % 5] + i)), o);
    RunTool(state, dir, o, 25);
}
BENCHMARK(BM_ExportToolJobs)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// A training set: 1,000 generated tracks with --trk --rl --centreline, on
// one worker per core, from settings to the last file on disk.
void BM_Generate(benchmark::State& state)
{
    QTemporaryDir dir;
    ExportOptions o = ToolOptions(dir);
    o.outputs = {"trk", "rl", "centreline"};
    o.generate = 1000;
    o.seed = 7;
    o.markers = 3;
    RunTool(state, dir, o, 1000);
}
BENCHMARK(BM_Generate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// 20 generated tracks with --png at the zlib level of the argument: what
// --png-level 1 saves a training set over the editor's level 9.
void BM_GeneratePng(benchmark::State& state)
{
    QTemporaryDir dir;
    ExportOptions o = ToolOptions(dir);
    o.outputs = {"png"};
    o.outputOptions.pngLevel = static_cast<int>(state.range(0));
    o.generate = 20;
    o.seed = 7;
    RunTool(state, dir, o, 20);
}
BENCHMARK(BM_GeneratePng)->Arg(9)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace velmora
