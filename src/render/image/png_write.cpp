#include "render/image/png_write.h"

#include "render/image/canvas_picture.h"
#include "render/worker_pool.h"

#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>
#include <zlib.h>

namespace velmora {

namespace {

constexpr char kNotEncoded[] = "could not encode the picture";

// Level 9 spends most of its time searching for matches, so the picture is
// cut into slices that are deflated on several threads at once. Each slice
// starts with the 32 KiB before it as its dictionary, so matches still reach
// across the seams and the file is as small as one long stream makes it. The
// slices depend on the picture's size only: the bytes do not depend on the
// number of threads.
constexpr std::size_t kSliceBytes = std::size_t(1) << 20;
constexpr std::size_t kWindowBytes = 32768;

// zlib header: deflate with a 32 KiB window and the FLEVEL of the level
// (1: fastest, 2 to 5: fast, 6: default, 7 to 9: maximum compression), so
// that the check bits agree.
std::string_view ZlibHeader(int level)
{
    return level <= 1 ? "\x78\x01" : level <= 5 ? "\x78\x5E" : level == 6 ? "\x78\x9C" : "\x78\xDA";
}

struct Slice {
    int firstRow = 0;
    int rows = 0;
    std::string deflated;
    uLong adler = 0; // of the slice's own raw bytes
};

std::size_t RowBytes(const QImage& rgb)
{
    return 1 + 3 * static_cast<std::size_t>(rgb.width());
}

std::vector<Slice> PlanSlices(const QImage& rgb)
{
    const int rowsPerSlice = static_cast<int>(std::max<std::size_t>(1, kSliceBytes / RowBytes(rgb)));
    std::vector<Slice> slices;
    for (int y = 0; y < rgb.height(); y += rowsPerSlice)
        slices.push_back({y, std::min(rowsPerSlice, rgb.height() - y), {}, 0});
    return slices;
}

// Rows as the file holds them before compression: filter byte 0, then RGB.
void RawRows(const QImage& rgb, int first, int count, std::vector<Bytef>& out)
{
    const std::size_t rowBytes = RowBytes(rgb);
    out.resize(static_cast<std::size_t>(count) * rowBytes);
    for (int i = 0; i < count; ++i) {
        Bytef* row = out.data() + static_cast<std::size_t>(i) * rowBytes;
        row[0] = 0;
        std::memcpy(row + 1, rgb.constScanLine(first + i), rowBytes - 1);
    }
}

// Deflates one slice into raw deflate data that ends on a byte boundary, so
// the next slice's data can follow it; the last slice ends the stream.
bool DeflateSlice(z_stream& z, const QImage& rgb, Slice& slice, bool last, std::vector<Bytef>& raw)
{
    const std::size_t rowBytes = RowBytes(rgb);
    const int before = std::min(slice.firstRow, static_cast<int>((kWindowBytes + rowBytes - 1) / rowBytes));
    RawRows(rgb, slice.firstRow - before, before + slice.rows, raw);
    const std::size_t start = static_cast<std::size_t>(before) * rowBytes;
    const std::size_t dictionary = std::min(start, kWindowBytes);
    const std::size_t length = raw.size() - start;

    if (deflateReset(&z) != Z_OK)
        return false;
    if (dictionary > 0 &&
        deflateSetDictionary(&z, raw.data() + start - dictionary, static_cast<uInt>(dictionary)) != Z_OK)
        return false;
    slice.adler = adler32(adler32(0, nullptr, 0), raw.data() + start, static_cast<uInt>(length));

    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    std::string& out = slice.deflated;
    out.resize(deflateBound(&z, length) + 16);
    z.next_in = raw.data() + start;
    z.avail_in = static_cast<uInt>(length);
    std::size_t used = 0;
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(out.data()) + used;
        z.avail_out = static_cast<uInt>(out.size() - used);
        const int result = deflate(&z, flush);
        used = out.size() - z.avail_out;
        if (result == Z_STREAM_ERROR)
            return false;
        if (last ? result == Z_STREAM_END : z.avail_in == 0 && z.avail_out > 0)
            break;
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return true;
}

// Deflates every slice, taking them in turn from a shared counter so that a
// thread that drew easy slices takes more of them.
bool DeflateSlices(const QImage& rgb, std::vector<Slice>& slices, int threads, int level,
                   EncodeProgress* progress)
{
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> failed{false};
    const auto stopped = [&] { return failed.load() || (progress && progress->cancelled.load()); };
    const auto work = [&] {
        z_stream z{};
        if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            failed = true;
            return;
        }
        try {
            std::vector<Bytef> raw;
            for (std::size_t i = 0; !stopped() && (i = next++) < slices.size();) {
                if (!DeflateSlice(z, rgb, slices[i], i + 1 == slices.size(), raw)) {
                    failed = true;
                    break;
                }
                const std::size_t finished = ++done;
                if (progress)
                    progress->permille = static_cast<int>(finished * 1000 / slices.size());
            }
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        deflateEnd(&z);
    };

    RunShared(static_cast<int>(std::min<std::size_t>(slices.size(), static_cast<std::size_t>(threads))), work);
    return !stopped();
}

void Put32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, std::initializer_list<std::string_view> parts)
{
    std::size_t length = 0;
    for (std::string_view p : parts)
        length += p.size();
    Put32(out, static_cast<std::uint32_t>(length));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    for (std::string_view p : parts)
        out.append(p);
    const auto* crcFrom = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    Put32(out,
          static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), crcFrom, static_cast<uInt>(4 + length))));
}

std::string Header(const QImage& rgb)
{
    std::string ihdr;
    Put32(ihdr, static_cast<std::uint32_t>(rgb.width()));
    Put32(ihdr, static_cast<std::uint32_t>(rgb.height()));
    ihdr += '\x08'; // bits per channel
    ihdr += '\x02'; // colour type: RGB
    ihdr += '\x00'; // compression: deflate
    ihdr += '\x00'; // filter method 0
    ihdr += '\x00'; // not interlaced
    std::string out = "\x89PNG\r\n\x1a\n";
    PutChunk(out, "IHDR", {ihdr});
    return out;
}

// One IDAT chunk per slice: the first also carries the zlib header, the last
// the Adler-32 of all the rows, joined from the slices' own.
std::string Assemble(const QImage& rgb, std::vector<Slice>& slices, int level)
{
    std::string out = Header(rgb);
    uLong adler = adler32(0, nullptr, 0);
    for (std::size_t i = 0; i < slices.size(); ++i) {
        Slice& s = slices[i];
        const auto length = static_cast<z_off_t>(RowBytes(rgb) * static_cast<std::size_t>(s.rows));
        adler = adler32_combine(adler, s.adler, length);
        std::string trailer;
        if (i + 1 == slices.size())
            Put32(trailer, static_cast<std::uint32_t>(adler));
        PutChunk(out, "IDAT",
                 {i == 0 ? ZlibHeader(level) : std::string_view(), s.deflated, trailer});
        std::string().swap(s.deflated);
    }
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace

Result<std::string> EncodePng(const QImage& picture, int threads, EncodeProgress* progress, int level)
{
    level = std::clamp(level, 1, 9);
    const QImage rgb = CanvasPicture(picture);
    if (rgb.isNull())
        return Fail(kNotEncoded);
    if (threads <= 0)
        threads = std::max(1, QThread::idealThreadCount());
    try {
        std::vector<Slice> slices = PlanSlices(rgb);
        if (!DeflateSlices(rgb, slices, threads, level, progress))
            return Fail(progress && progress->cancelled ? "cancelled" : kNotEncoded);
        return Assemble(rgb, slices, level);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}

} // namespace velmora
