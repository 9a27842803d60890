#include "view/rasterize.h"

#include "view/picture.h"
#include "view/rastertraversal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// The tree view is redrawn whole on every zoom step and setting change, and a full store is
// 200,001 segments whose pen changes almost every segment (the store is in depth-first
// order). Through QPainter each pen change costs more than drawing the short line itself, so
// raster targets get this direct scan conversion instead; vector targets (PDF) replay the
// same display list through QPainter.

namespace ramulet {

namespace {

using raster::Band;
using raster::Rows;

// floor(v) as an integer, for |v| below 2^31 (device coordinates of clipped lines): the
// truncation, one lower where it rounded up. The same value as std::floor without the
// library's handling of values beyond the integers.
inline int FloorToInt(double v)
{
    const int t = static_cast<int>(v);
    return t - (v < static_cast<double>(t) ? 1 : 0);
}

// The classic drawing: no antialiasing, each pixel whose centre a band reaches takes its
// colour. Draws only rows [top, bottom).
class ClassicKernel {
public:
    static constexpr bool CanDrawBackToFront = true;

    ClassicKernel(QImage &image, Rows rows, bool backToFront)
        : m_bits(reinterpret_cast<uint32_t *>(image.bits())), m_stride(image.bytesPerLine() / 4),
          m_w(image.width()), m_top(rows.top), m_bottom(rows.bottom)
    {
        if (!backToFront) {
            return;
        }
        const auto rowLength = static_cast<size_t>(m_w) + 1;
        const auto rowCount = static_cast<size_t>(std::max(0, m_bottom - m_top));
        m_next.resize(rowLength * rowCount);
        for (size_t y = 0; y < rowCount; ++y) {
            for (size_t x = 0; x < rowLength; ++x) {
                m_next[y * rowLength + x] = static_cast<int32_t>(x);
            }
        }
        m_freeInRow.assign(rowCount, m_w);
        m_rowsLeft = static_cast<int>(rowCount);
        m_backToFront = true;
    }

    // The band fills every pixel when it holds the four outermost pixel centres (with a
    // little to spare for rounding).
    static bool Covers(const Band &band, int w, int h)
    {
        return !band.thin &&
               raster::BandHolds(band.line, band.width / 2.0 - 0.01, 0.5, 0.5, w - 0.5, h - 0.5);
    }

    void Fill(uint32_t argb, double right, double bottom)
    {
        for (int y = m_top; y < m_bottom && y + 0.5 <= bottom; ++y) {
            Span(0.0, right, y, argb);
        }
    }

    void Draw(const Band &band)
    {
        const raster::DeviceLine &l = band.line;
        if (band.thin) {
            ThinLine(l.x0, l.y0, l.x1, l.y1, band.argb);
        } else {
            ThickLine(l.x0, l.y0, l.x1, l.y1, band.width / 2.0, band.argb);
        }
    }

    bool Done() const { return m_backToFront && m_rowsLeft == 0; }

private:
    // Back to front, each pixel takes the colour of the first band that reaches it and keeps
    // it. Per row, next[x] leads to the first pixel at or right of x that is still free (w when
    // none is), shortened as it is followed; freeInRow counts them.
    int32_t *NextRow(int y) { return m_next.data() + static_cast<size_t>(y - m_top) * (static_cast<size_t>(m_w) + 1); }

    bool RowDone(int y) const
    {
        return m_backToFront && m_freeInRow[static_cast<size_t>(y - m_top)] == 0;
    }

    // The first free pixel of row y at or right of x.
    int32_t FirstFree(int y, int32_t x)
    {
        int32_t *row = NextRow(y);
        int32_t root = x;
        while (row[root] != root) {
            root = row[root];
        }
        while (row[x] != root) {
            const int32_t up = row[x];
            row[x] = root;
            x = up;
        }
        return root;
    }

    void Take(int y, int32_t x, uint32_t argb)
    {
        m_bits[y * m_stride + x] = argb;
        NextRow(y)[x] = x + 1;
        if (--m_freeInRow[static_cast<size_t>(y - m_top)] == 0) {
            --m_rowsLeft;
        }
    }

    void Plot(int x, int y, uint32_t argb)
    {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(m_w) && y >= m_top && y < m_bottom) {
            if (!m_backToFront) {
                m_bits[y * m_stride + x] = argb;
            } else if (FirstFree(y, x) == x) {
                Take(y, x, argb);
            }
        }
    }

    // Pixels whose centres lie in [xl, xr] on row y.
    void Span(double xl, double xr, int y, uint32_t argb)
    {
        if (y < m_top || y >= m_bottom || !(xl <= xr)) {
            return;
        }
        const double lo = std::max(std::ceil(xl - 0.5), 0.0);
        const double hi = std::min(std::floor(xr - 0.5), static_cast<double>(m_w - 1));
        if (lo > hi) {
            return;
        }
        if (!m_backToFront) {
            uint32_t *row = m_bits + y * m_stride;
            std::fill(row + static_cast<int>(lo), row + static_cast<int>(hi) + 1, argb);
            return;
        }
        const auto last = static_cast<int32_t>(hi);
        for (int32_t x = FirstFree(y, static_cast<int32_t>(lo)); x <= last;
             x = FirstFree(y, x + 1)) {
            Take(y, x, argb);
        }
    }

    // A one-pixel line: every pixel the segment steps through, one per step along its
    // longer axis.
    void ThinLine(double x0, double y0, double x1, double y1, uint32_t argb)
    {
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        // The rows it can touch; a line wholly above or below the kernel's rows is skipped.
        if (std::max(y0, y1) < m_top - 1.0 || std::min(y0, y1) >= m_bottom + 1.0) {
            return;
        }
        const double n = std::ceil(std::max(std::fabs(dx), std::fabs(dy)));
        if (n < 1.0) {
            Plot(FloorToInt(x0), FloorToInt(y0), argb);
            return;
        }
        const int steps = static_cast<int>(n);
        // Most lines of a deep tree are a few pixels long. Dividing by a power of two is
        // multiplying by its exact reciprocal, so only other lengths pay for the divisions.
        double sx, sy;
        if (steps <= 8 && (steps & (steps - 1)) == 0) {
            const double inv = steps == 1 ? 1.0 : steps == 2 ? 0.5 : steps == 4 ? 0.25 : 0.125;
            sx = dx * inv;
            sy = dy * inv;
        } else {
            sx = dx / n;
            sy = dy / n;
        }
        if (m_backToFront) {
            for (int k = 0; k <= steps; ++k) {
                Plot(FloorToInt(x0 + sx * k), FloorToInt(y0 + sy * k), argb);
            }
            return;
        }
        // The same pixels as Plot, with the image's geometry in locals: a store through the
        // pixel pointer could otherwise change them as far as the compiler knows.
        uint32_t *const bits = m_bits;
        const qsizetype stride = m_stride;
        const auto w = static_cast<unsigned>(m_w);
        const int top = m_top;
        const int bottom = m_bottom;
        for (int k = 0; k <= steps; ++k) {
            const int x = FloorToInt(x0 + sx * k);
            const int y = FloorToInt(y0 + sy * k);
            if (static_cast<unsigned>(x) < w && y >= top && y < bottom) {
                bits[y * stride + x] = argb;
            }
        }
    }

    // A band of half-width r around the segment with round ends (a capsule): on each row,
    // the pixel centres within r of the segment form one interval, the hull of what the two
    // end discs and the straight band contribute.
    void ThickLine(double x0, double y0, double x1, double y1, double r, uint32_t argb)
    {
        const double top = std::max(std::floor(std::min(y0, y1) - r), static_cast<double>(m_top));
        const double bottom =
            std::min(std::ceil(std::max(y0, y1) + r), static_cast<double>(m_bottom - 1));
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        const double len = std::sqrt(len2);
        for (double row = top; row <= bottom; row += 1.0) {
            if (RowDone(static_cast<int>(row))) {
                continue;
            }
            const double yc = row + 0.5;
            double lo = INFINITY;
            double hi = -INFINITY;
            auto disc = [&](double cx, double cy) {
                const double q = r * r - (yc - cy) * (yc - cy);
                if (q >= 0.0) {
                    const double half = std::sqrt(q);
                    lo = std::min(lo, cx - half);
                    hi = std::max(hi, cx + half);
                }
            };
            disc(x0, y0);
            disc(x1, y1);
            if (len2 > 0.0) {
                // Band: |dx (yc - y0) - dy (x - x0)| <= r len and 0 <= (x - x0) dx + (yc - y0) dy <= len2.
                double bl = -INFINITY;
                double bh = INFINITY;
                const double c = dx * (yc - y0);
                if (dy != 0.0) {
                    const double a = x0 + (c - r * len) / dy;
                    const double b = x0 + (c + r * len) / dy;
                    bl = std::min(a, b);
                    bh = std::max(a, b);
                } else if (std::fabs(c) > r * len) {
                    bl = INFINITY;
                }
                const double e = (yc - y0) * dy;
                if (dx != 0.0) {
                    const double a = x0 - e / dx;
                    const double b = x0 + (len2 - e) / dx;
                    bl = std::max(bl, std::min(a, b));
                    bh = std::min(bh, std::max(a, b));
                } else if (e < 0.0 || e > len2) {
                    bl = INFINITY;
                }
                if (bl <= bh) {
                    lo = std::min(lo, bl);
                    hi = std::max(hi, bh);
                }
            }
            Span(lo, hi, static_cast<int>(row), argb);
        }
    }

    uint32_t *m_bits;
    qsizetype m_stride; // in pixels
    int m_w;
    int m_top;
    int m_bottom;
    bool m_backToFront = false;
    std::vector<int32_t> m_next;
    std::vector<int32_t> m_freeInRow;
    int m_rowsLeft = 0;
};

} // namespace

bool RasterizeTreePicture(QImage &image, const TreePicture &pic, RasterOrder order)
{
    if (!raster::DrawsOn(image.format())) {
        return false;
    }
    if (image.isNull() || pic.pictureHeight() <= 0) {
        return true;
    }
    raster::Traverse<ClassicKernel>(image, pic, order);
    return true;
}

bool RasterizePictureRows(QImage &image, const TreePicture &pic, bool smooth, int top, int bottom)
{
    const QImage::Format f = image.format();
    if (f != QImage::Format_ARGB32_Premultiplied && f != QImage::Format_RGB32) {
        return false;
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, image.height());
    if (image.isNull() || pic.pictureHeight() <= 0 || top >= bottom) {
        return true;
    }
    if (smooth) {
        RasterizeTreePictureSmoothRows(image, pic, raster::Rows{top, bottom});
    } else {
        raster::Traverse<ClassicKernel>(image, pic, RasterOrder::Automatic,
                                        raster::Rows{top, bottom});
    }
    return true;
}

} // namespace ramulet
