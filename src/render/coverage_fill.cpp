#include "render/coverage_fill.h"

#include <QTransform>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

// Rows rasterised together: the coverage buffer holds one band of this many
// canvas rows, and every edge is filed under the bands it crosses.
constexpr int kBandRows = 64;

struct Edge {
    QPointF a;
    QPointF b;
};

// Each channel of the premultiplied pixel times a / 255, rounded.
inline QRgb Scale(QRgb x, uint a)
{
    uint t = (x & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

// Premultiplied source over the destination, the source weighted by the
// pixel's coverage (0..255).
inline void BlendPixel(QRgb& dst, QRgb src, uint coverage)
{
    if (coverage == 255 && qAlpha(src) == 255) {
        dst = src;
        return;
    }
    const QRgb s = Scale(src, coverage);
    dst = s + Scale(dst, 255 - qAlpha(s));
}

// For one band of rows: each cell holds the signed area that the edges add
// to the pixel and take from the rest of its row, so a running sum along the
// row gives the winding-weighted share of each pixel that is covered.
class Accumulator {
    static constexpr int kBlock = 8;

public:
    explicit Accumulator(int width)
        : width_(width), stride_(width + 2), words_((stride_ + kBlock * 64 - 1) / (kBlock * 64)),
          cells_(std::move(Scratch())), touched_(size_t(words_) * kBandRows, 0)
    {
        cells_.assign(size_t(stride_) * kBandRows, 0.0f);
    }

    ~Accumulator() { Scratch() = std::move(cells_); }

    Accumulator(const Accumulator&) = delete;
    Accumulator& operator=(const Accumulator&) = delete;

    void Begin(int top, int rows)
    {
        top_ = top;
        rows_ = rows;
    }

    // Whatever lies left of the band counts at its left edge, whatever lies
    // right of it at the spare cells past its right edge, so the crossing
    // points are kept and the parts outside are pushed onto the border.
    void AddEdge(QPointF a, QPointF b)
    {
        a.ry() -= top_;
        b.ry() -= top_;
        if (a.y() == b.y() || (a.y() <= 0 && b.y() <= 0) || (a.y() >= rows_ && b.y() >= rows_))
            return;
        if (a.x() >= 0 && a.x() <= width_ && b.x() >= 0 && b.x() <= width_)
            return AddLine(a, b);
        // Where the edge crosses the left and right borders, in order.
        double cuts[4] = {0, 1, 1, 1};
        int n = 1;
        const double dx = b.x() - a.x();
        if (dx != 0)
            for (const double border : {0.0, double(width_)}) {
                const double t = (border - a.x()) / dx;
                if (t > 0 && t < 1)
                    cuts[n++] = t;
            }
        if (n == 3 && cuts[1] > cuts[2])
            std::swap(cuts[1], cuts[2]);
        cuts[n++] = 1;
        const auto at = [&](double t) {
            const QPointF p = t == 1 ? b : a + (b - a) * t;
            return QPointF(std::clamp(p.x(), 0.0, double(width_)), p.y());
        };
        for (int i = 0; i + 1 < n; ++i)
            AddLine(at(cuts[i]), at(cuts[i + 1]));
    }

    template <class Fetch> void Sweep(QImage& canvas, Fetch&& fetch)
    {
        for (int r = 0; r < rows_; ++r) {
            uint64_t* touched = &touched_[size_t(r) * words_];
            float* cell = &cells_[size_t(r) * stride_];
            auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(top_ + r));
            const int y = top_ + r;
            float sum = 0;
            int x = 0; // everything left of x is done
            for (int word = 0; word < words_; ++word) {
                for (uint64_t bits = touched[word]; bits != 0; bits &= bits - 1) {
                    const int from = (word * 64 + std::countr_zero(bits)) * kBlock;
                    if (from >= width_)
                        break;
                    // Between blocks that hold edges the coverage stays as it is.
                    if (const uint coverage = Coverage(sum))
                        for (; x < from; ++x)
                            BlendPixel(line[x], fetch(x, y), coverage);
                    const int to = std::min(from + kBlock, width_);
                    for (x = from; x < to; ++x) {
                        sum += cell[x];
                        cell[x] = 0;
                        if (const uint coverage = Coverage(sum))
                            BlendPixel(line[x], fetch(x, y), coverage);
                    }
                }
                touched[word] = 0;
            }
            if (const uint coverage = Coverage(sum))
                for (; x < width_; ++x)
                    BlendPixel(line[x], fetch(x, y), coverage);
            // The spare cells past the right border only gather what lies
            // beyond it.
            cell[width_] = cell[width_ + 1] = 0;
        }
    }

private:
    // The cells are kept for the next fill on this thread: a buffer this
    // size taken afresh from the system costs a page fault per page on every
    // stroke.
    static std::vector<float>& Scratch()
    {
        thread_local std::vector<float> cells;
        return cells;
    }

    static uint Coverage(float sum) { return uint(std::min(std::fabs(sum), 1.0f) * 255.0f + 0.5f); }

    void Touch(int row, int from, int to)
    {
        uint64_t* touched = &touched_[size_t(row) * words_];
        for (int block = from / kBlock; block <= to / kBlock; ++block)
            touched[block / 64] |= uint64_t(1) << (block % 64);
    }

    // The area a line adds to each pixel it passes, row by row.
    void AddLine(QPointF p, QPointF q)
    {
        double dir = 1;
        if (p.y() > q.y()) {
            std::swap(p, q);
            dir = -1;
        }
        if (p.y() == q.y())
            return;
        const double dxdy = (q.x() - p.x()) / (q.y() - p.y());
        double x = p.x();
        int y = 0;
        if (p.y() < 0)
            x -= p.y() * dxdy;
        else
            y = int(p.y());
        const int end = int(std::min(double(rows_), std::ceil(q.y())));
        for (; y < end; ++y) {
            const double dy = std::min(double(y + 1), q.y()) - std::max(double(y), p.y());
            const double next = std::clamp(x + dxdy * dy, 0.0, double(width_));
            AddSpan(y, x, next, dy * dir);
            x = next;
        }
    }

    // One row's share of a line running from x0 to x1 across height d.
    void AddSpan(int y, double x0, double x1, double d)
    {
        float* row = &cells_[size_t(y) * stride_];
        const double lo = std::min(x0, x1), hi = std::max(x0, x1);
        const double loFloor = std::floor(lo);
        const int a = int(loFloor), b = int(std::ceil(hi));
        if (b <= a + 1) {
            const double mid = 0.5 * (x0 + x1) - loFloor;
            row[a] += float(d - d * mid);
            row[a + 1] += float(d * mid);
            Touch(y, a, a + 1);
            return;
        }
        const double s = 1 / (hi - lo);
        const double loFrac = lo - loFloor;
        const double first = 0.5 * s * (1 - loFrac) * (1 - loFrac);
        const double hiFrac = hi - b + 1;
        const double lastPart = 0.5 * s * hiFrac * hiFrac;
        row[a] += float(d * first);
        if (b == a + 2) {
            row[a + 1] += float(d * (1 - first - lastPart));
        } else {
            const double second = s * (1.5 - loFrac);
            row[a + 1] += float(d * (second - first));
            for (int x = a + 2; x < b - 1; ++x)
                row[x] += float(d * s);
            const double before = second + (b - a - 3) * s;
            row[b - 1] += float(d * (1 - before - lastPart));
        }
        row[b] += float(d * lastPart);
        Touch(y, a, b);
    }

    int width_;
    int stride_;
    int words_; // of touched-block bits per row
    std::vector<float> cells_;
    // Which blocks of kBlock cells in each row hold anything; the sweep jumps
    // from one to the next.
    std::vector<uint64_t> touched_;
    int top_ = 0;
    int rows_ = 0;
};

std::vector<std::vector<Edge>> EdgesByBand(const Contours& contours, int height)
{
    std::vector<std::vector<Edge>> bands(size_t((height + kBandRows - 1) / kBandRows));
    for (const std::vector<QPointF>& c : contours) {
        for (size_t i = 0; i < c.size(); ++i) {
            const QPointF a = c[i], b = c[(i + 1) % c.size()];
            if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
                !std::isfinite(b.y()) || a.y() == b.y())
                continue;
            const double top = std::max(0.0, std::min(a.y(), b.y()));
            const double bottom = std::min(double(height), std::max(a.y(), b.y()));
            if (!(top < bottom))
                continue;
            const int last = std::min(int(bands.size()) - 1, int(bottom) / kBandRows);
            for (int band = int(top) / kBandRows; band <= last; ++band)
                bands[size_t(band)].push_back({a, b});
        }
    }
    return bands;
}

template <class Fetch> void Rasterise(QImage& canvas, const Contours& contours, Fetch&& fetch)
{
    const auto bands = EdgesByBand(contours, canvas.height());
    Accumulator cells(canvas.width());
    for (size_t band = 0; band < bands.size(); ++band) {
        if (bands[band].empty())
            continue;
        const int top = int(band) * kBandRows;
        cells.Begin(top, std::min(kBandRows, canvas.height() - top));
        for (const Edge& e : bands[band])
            cells.AddEdge(e.a, e.b);
        cells.Sweep(canvas, fetch);
    }
}

bool PixelAligned(const QTransform& t)
{
    return t.type() <= QTransform::TxTranslate && t.dx() == std::round(t.dx()) &&
           t.dy() == std::round(t.dy()) && std::fabs(t.dx()) < 1e9 && std::fabs(t.dy()) < 1e9;
}

// The texture laid out from its offset in whole pixels. Pixels are asked for
// left to right along a row, so the texture column mostly just steps on.
class TextureSource {
public:
    TextureSource(const QImage& texture, const QTransform& t)
        : texture_(texture), dx_(std::llround(t.dx())), dy_(std::llround(t.dy()))
    {
    }

    QRgb operator()(int x, int y)
    {
        if (y != y_) {
            y_ = y;
            row_ = reinterpret_cast<const QRgb*>(texture_.constScanLine(Wrap(y - dy_, texture_.height())));
            x_ = -2;
        }
        if (x == x_ + 1)
            column_ = column_ + 1 == texture_.width() ? 0 : column_ + 1;
        else
            column_ = Wrap(x - dx_, texture_.width());
        x_ = x;
        return row_[column_];
    }

private:
    static int Wrap(long long v, int m) { return int(((v % m) + m) % m); }

    const QImage& texture_;
    long long dx_, dy_;
    int y_ = -1, x_ = -2, column_ = 0;
    const QRgb* row_ = nullptr;
};

} // namespace

bool CanFillContours(const QImage& canvas, const QBrush& brush)
{
    if (canvas.format() != QImage::Format_RGB32 && canvas.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (brush.style() == Qt::SolidPattern)
        return true;
    if (brush.style() != Qt::TexturePattern || !PixelAligned(brush.transform()))
        return false;
    const QImage texture = brush.textureImage();
    return !texture.isNull() && (texture.format() == QImage::Format_RGB32 ||
                                 texture.format() == QImage::Format_ARGB32_Premultiplied);
}

void FillContours(QImage& canvas, const Contours& contours, const QBrush& brush)
{
    if (canvas.isNull() || contours.empty())
        return;
    if (brush.style() == Qt::SolidPattern) {
        const QRgb colour = qPremultiply(brush.color().rgba());
        Rasterise(canvas, contours, [colour](int, int) { return colour; });
        return;
    }
    const QImage texture = brush.textureImage();
    Rasterise(canvas, contours, TextureSource(texture, brush.transform()));
}

} // namespace velmora
