#include "render/image/canvas_picture.h"
#include "render/image/png_write.h"
#include "core/formats/rl_data.h"
#include "core/track/path.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>
#ifdef VELMORA_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

// A track of 100 stretches of 1000 px, back and forth across the canvas.
std::string LongTrackPath()
{
    std::string path = "M 24 24 ";
    for (int i = 1; i <= 100; ++i) {
        const int x = i % 2 ? 1024 : 24;
        const int y = 24 + i * 20 - (i % 2 ? 10 : 0);
        path += "L " + std::to_string(x) + " " + std::to_string(y) + " ";
    }
    return path;
}

std::vector<velmora::RLMarker> RandomMarkers(int count)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coord(0, 2047);
    std::vector<velmora::RLMarker> markers;
    for (int i = 0; i < count; ++i)
        markers.push_back({1 + i % 3, coord(random), coord(random)});
    return markers;
}

// The whole export short of the dialog and the disk: lines, file text and the
// nearest line of every marker. Argument: number of RL markers.
void BM_RLExport(benchmark::State& state)
{
    const velmora::PathMeasure path(LongTrackPath());
    const auto markers = RandomMarkers(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        velmora::RLExport data = velmora::BuildRLExport(path, markers, 64, 42);
        benchmark::DoNotOptimize(data.text.data());
    }
    state.counters["lines"] = static_cast<double>(velmora::ComputeRLLines(path, 64, 42).size());
    state.counters["track_px"] = path.TotalLength();
}
BENCHMARK(BM_RLExport)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The largest export allowed: 1,000,000 lines (gap 0.1 on the same track),
// with 10 markers, each sorting 2,000,000 line ends.
void BM_RLExportMillionLines(benchmark::State& state)
{
    const velmora::PathMeasure path(LongTrackPath());
    const auto markers = RandomMarkers(10);
    const double gap = path.TotalLength() / 1e6;
    for (auto _ : state) {
        velmora::RLExport data = velmora::BuildRLExport(path, markers, gap, 42);
        benchmark::DoNotOptimize(data.text.data());
    }
}
BENCHMARK(BM_RLExportMillionLines)->Iterations(1)->Unit(benchmark::kMillisecond);

// A 2048 x 2048 canvas with something like a track on it.
QImage SampleCanvas()
{
    QImage canvas(2048, 2048, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(40, 158, 58));
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 42, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPolyline(QPolygon({{100, 100}, {1900, 200}, {1800, 1900}, {300, 1700}, {150, 600}}));
    p.setPen(QPen(Qt::white, 2, Qt::DashLine));
    p.drawPolyline(QPolygon({{100, 100}, {1900, 200}, {1800, 1900}, {300, 1700}, {150, 600}}));
    return canvas;
}

// What Export does before the file is written: the 24-bit picture and our
// PNG encoding (no filter, zlib level 9).
void BM_ExportPng(benchmark::State& state)
{
    const QImage canvas = SampleCanvas();
    std::size_t size = 0;
    for (auto _ : state) {
        const velmora::Result<std::string> png = velmora::EncodePng(velmora::CanvasPicture(canvas));
        size = png ? png->size() : 0;
        benchmark::DoNotOptimize(size);
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond);

// Qt's own PNG writer on the same canvas, for comparison.
void BM_QImageSavePng(benchmark::State& state)
{
    const QImage canvas = SampleCanvas();
    qint64 size = 0;
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        canvas.save(&buffer, "PNG");
        size = bytes.size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_QImageSavePng)->Unit(benchmark::kMillisecond);

// The rows of the picture as a PNG holds them before compression.
std::vector<unsigned char> UnfilteredRows(const QImage& canvas)
{
    const QImage rgb = velmora::CanvasPicture(canvas);
    const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(rgb.width());
    std::vector<unsigned char> raw(rowBytes * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(&raw[static_cast<std::size_t>(y) * rowBytes + 1], rgb.constScanLine(y), rowBytes - 1);
    return raw;
}

// The yardsticks for the encoder: the same rows as one zlib stream at level 9
// on one thread (the size the sliced stream is held to), and libdeflate (the
// argument is its level; 12 is its highest). Compression only.
void BM_Zlib9OneStream(benchmark::State& state)
{
    const std::vector<unsigned char> raw = UnfilteredRows(SampleCanvas());
    std::vector<unsigned char> out(compressBound(raw.size()));
    uLongf size = 0;
    for (auto _ : state) {
        size = out.size();
        compress2(out.data(), &size, raw.data(), raw.size(), 9);
        benchmark::DoNotOptimize(size);
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_Zlib9OneStream)->Unit(benchmark::kMillisecond);

#ifdef VELMORA_HAVE_LIBDEFLATE
void BM_Libdeflate(benchmark::State& state)
{
    const std::vector<unsigned char> raw = UnfilteredRows(SampleCanvas());
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(static_cast<int>(state.range(0)));
    std::vector<unsigned char> out(libdeflate_zlib_compress_bound(compressor, raw.size()));
    std::size_t size = 0;
    for (auto _ : state) {
        size = libdeflate_zlib_compress(compressor, raw.data(), raw.size(), out.data(), out.size());
        benchmark::DoNotOptimize(size);
    }
    libdeflate_free_compressor(compressor);
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_Libdeflate)->Arg(6)->Arg(9)->Arg(12)->Unit(benchmark::kMillisecond);
#endif

} // namespace
