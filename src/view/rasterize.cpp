#include "view/rasterize.h"

#include "view/picture.h"

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

struct Raster {
    uint32_t *bits = nullptr;
    qsizetype stride = 0; // in pixels
    int w = 0;
    int h = 0;

    // Drawing from the last segment back to the first, each pixel takes the colour of the
    // first segment that reaches it and keeps it. Per row, next[x] leads to the first pixel at
    // or right of x that is still free (w when none is), shortened as it is followed;
    // freeInRow counts them. Null when drawing front to back.
    int32_t *next = nullptr;
    int32_t *freeInRow = nullptr;
    int rowsLeft = 0;

    bool RowDone(int y) const { return next != nullptr && freeInRow[y] == 0; }

    // The first free pixel of row y at or right of x.
    int32_t FirstFree(int y, int32_t x) const
    {
        int32_t *row = next + static_cast<qsizetype>(y) * (w + 1);
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
        bits[y * stride + x] = argb;
        next[static_cast<qsizetype>(y) * (w + 1) + x] = x + 1;
        if (--freeInRow[y] == 0) {
            --rowsLeft;
        }
    }

    void Plot(int x, int y, uint32_t argb)
    {
        if (static_cast<unsigned>(x) < static_cast<unsigned>(w) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(h)) {
            if (next == nullptr) {
                bits[y * stride + x] = argb;
            } else if (FirstFree(y, x) == x) {
                Take(y, x, argb);
            }
        }
    }

    // Pixels whose centres lie in [xl, xr] on row y.
    void Span(double xl, double xr, int y, uint32_t argb)
    {
        if (y < 0 || y >= h || !(xl <= xr)) {
            return;
        }
        const double lo = std::max(std::ceil(xl - 0.5), 0.0);
        const double hi = std::min(std::floor(xr - 0.5), static_cast<double>(w - 1));
        if (lo > hi) {
            return;
        }
        if (next == nullptr) {
            uint32_t *row = bits + y * stride;
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
        const double n = std::ceil(std::max(std::fabs(dx), std::fabs(dy)));
        if (n < 1.0) {
            Plot(static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)), argb);
            return;
        }
        const int steps = static_cast<int>(n);
        const double sx = dx / n;
        const double sy = dy / n;
        for (int k = 0; k <= steps; ++k) {
            Plot(static_cast<int>(std::floor(x0 + sx * k)), static_cast<int>(std::floor(y0 + sy * k)),
                 argb);
        }
    }

    // A band of half-width r around the segment with round ends (a capsule): on each row,
    // the pixel centres within r of the segment form one interval, the hull of what the two
    // end discs and the straight band contribute.
    void ThickLine(double x0, double y0, double x1, double y1, double r, uint32_t argb)
    {
        const double top = std::max(std::floor(std::min(y0, y1) - r), 0.0);
        const double bottom = std::min(std::ceil(std::max(y0, y1) + r), static_cast<double>(h - 1));
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

    // Whether ThickLine with these arguments fills every pixel of the image. The band is
    // convex, so it does when it holds the four outermost pixel centres (with a little to
    // spare for rounding).
    bool CoversAll(double x0, double y0, double x1, double y1, double r) const
    {
        const double reach = r - 0.01;
        if (!(reach > 0.0)) {
            return false;
        }
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        const double xs[2] = {0.5, w - 0.5};
        const double ys[2] = {0.5, h - 0.5};
        for (const double px : xs) {
            for (const double py : ys) {
                double t = len2 > 0.0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0;
                t = std::clamp(t, 0.0, 1.0);
                const double ex = px - (x0 + t * dx);
                const double ey = py - (y0 + t * dy);
                if (!(ex * ex + ey * ey <= reach * reach)) {
                    return false;
                }
            }
        }
        return true;
    }
};

} // namespace

bool RasterizeTreePicture(QImage &image, const TreePicture &pic, RasterOrder order)
{
    const QImage::Format f = image.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    if (image.isNull() || pic.pictureHeight() <= 0) {
        return true;
    }
    Raster ras;
    ras.bits = reinterpret_cast<uint32_t *>(image.bits());
    ras.stride = image.bytesPerLine() / 4;
    ras.w = image.width();
    ras.h = image.height();
    const double sx = static_cast<double>(ras.w) / PictureWidth;
    const double sy = static_cast<double>(ras.h) / pic.pictureHeight();
    const double widthScale = (sx + sy) / 2.0;
    // Opaque colours are the same in all three formats.
    auto argb = [](TColor c) {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    };
    auto drawBackground = [&] {
        if (!pic.hasBackground()) {
            return;
        }
        const QRect bg = pic.backgroundRect();
        const uint32_t colour = argb(pic.backColor());
        const double bottom = (bg.bottom() + 1) * sy;
        for (int y = 0; y < ras.h && y + 0.5 <= bottom; ++y) {
            ras.Span(0.0, (bg.right() + 1) * sx, y, colour);
        }
    };

    const auto &lines = pic.lines();
    const auto &runs = pic.runs();
    // Whole device coordinates are pixel centres here, as in the editor: a point lands on the
    // pixel the editor's rounding gives it, and a line on a whole column is drawn
    // symmetrically about it.
    struct DeviceLine {
        double x0, y0, x1, y1;
    };
    auto device = [&](const QLine &l) {
        return DeviceLine{l.x1() * sx + 0.5, l.y1() * sy + 0.5, l.x2() * sx + 0.5,
                          l.y2() * sy + 0.5};
    };
    auto drawLine = [&](const QLine &l, double deviceWidth, bool thin, uint32_t colour) {
        const DeviceLine d = device(l);
        if (thin) {
            ras.ThinLine(d.x0, d.y0, d.x1, d.y1, colour);
        } else {
            ras.ThickLine(d.x0, d.y0, d.x1, d.y1, deviceWidth / 2.0, colour);
        }
    };

    // Later segments draw over earlier ones, so everything before the last segment whose band
    // fills the whole image is hidden by it. Very wide pens (long branches grown deep, fitted
    // to the view) would otherwise paint the whole image over again for every segment.
    size_t firstRun = 0;
    uint32_t firstLine = 0; // within the first run drawn
    const double minSide = std::min(ras.w, ras.h);
    // Meanwhile, about how many pixels the bands to draw cover, counted over.
    double bandArea = 0.0;
    for (size_t ri = runs.size(); ri-- > 0;) {
        const TreePicture::PenRun &run = runs[ri];
        const double deviceWidth = run.width * widthScale;
        if (run.width <= 0 || deviceWidth <= 1.0) {
            continue;
        }
        bool found = false;
        for (uint32_t k = run.count; k-- > 0;) {
            const DeviceLine d = device(lines[run.first + k]);
            const double len = std::hypot(d.x1 - d.x0, d.y1 - d.y0);
            bandArea += std::min((len + deviceWidth) * deviceWidth,
                                 static_cast<double>(ras.w) * ras.h);
            if (deviceWidth + 1.0 >= minSide &&
                ras.CoversAll(d.x0, d.y0, d.x1, d.y1, deviceWidth / 2.0)) {
                firstRun = ri;
                firstLine = k;
                found = true;
                break;
            }
        }
        if (found) {
            break;
        }
    }

    // Bands that cover the image many times over are drawn from the last back to the first,
    // each pixel once; the bookkeeping costs about as much as the image itself, so ordinary
    // pictures are drawn front to back.
    const double pixels = static_cast<double>(ras.w) * ras.h;
    const bool backToFront = order == RasterOrder::BackToFront ||
                             (order == RasterOrder::Automatic && bandArea > 8.0 * pixels &&
                              pixels <= MaxBackToFrontPixels);
    if (!backToFront) {
        drawBackground();
        for (size_t ri = firstRun; ri < runs.size(); ++ri) {
            const TreePicture::PenRun &run = runs[ri];
            const uint32_t colour = argb(run.color);
            const double deviceWidth = run.width * widthScale;
            const bool thin = run.width <= 0 || deviceWidth <= 1.0;
            const uint32_t from = ri == firstRun ? firstLine : 0;
            for (uint32_t k = from; k < run.count; ++k) {
                drawLine(lines[run.first + k], deviceWidth, thin, colour);
            }
        }
        return true;
    }

    const auto rowLength = static_cast<size_t>(ras.w) + 1;
    std::vector<int32_t> next(rowLength * static_cast<size_t>(ras.h));
    for (size_t y = 0; y < static_cast<size_t>(ras.h); ++y) {
        for (size_t x = 0; x < rowLength; ++x) {
            next[y * rowLength + x] = static_cast<int32_t>(x);
        }
    }
    std::vector<int32_t> freeInRow(static_cast<size_t>(ras.h), ras.w);
    ras.next = next.data();
    ras.freeInRow = freeInRow.data();
    ras.rowsLeft = ras.h;
    for (size_t ri = runs.size(); ri-- > firstRun && ras.rowsLeft > 0;) {
        const TreePicture::PenRun &run = runs[ri];
        const uint32_t colour = argb(run.color);
        const double deviceWidth = run.width * widthScale;
        const bool thin = run.width <= 0 || deviceWidth <= 1.0;
        const uint32_t from = ri == firstRun ? firstLine : 0;
        for (uint32_t k = run.count; k-- > from && ras.rowsLeft > 0;) {
            drawLine(lines[run.first + k], deviceWidth, thin, colour);
        }
    }
    drawBackground();
    return true;
}

} // namespace ramulet
