#pragma once

// The walk over a tree picture that every scan conversion of it shares, whatever it draws for
// each band: the mapping of picture units onto the image, the skip of everything under the
// last band that covers the whole image, the choice between drawing front to back and back
// to front, and the split of the image's rows into bands that two threads draw. A drawing
// kernel plugs in as a class with this shape:
//
//     // Whether it can draw back to front (Done() then tells when its rows are final).
//     static constexpr bool CanDrawBackToFront;
//     Kernel(QImage &image, Rows rows, bool backToFront);
//     // Whether `band` alone gives every pixel of a w x h image its final colour.
//     static bool Covers(const Band &band, int w, int h);
//     // The background rectangle: pixels left of `right` and above `bottom` (device).
//     void Fill(uint32_t argb, double right, double bottom);
//     void Draw(const Band &band);
//     // Back to front: every pixel of its rows has its final colour, nothing more can show.
//     bool Done() const;
//
// A kernel draws only its rows, so kernels over bands of the rows give the image one kernel
// over all of them gives. Front to back, Fill comes first and later bands
// draw over earlier ones; back to front, bands come from the last to the first, each pixel
// keeps what reaches it first, and Fill comes last.

#include "core/parallel.h"
#include "view/picture.h"
#include "view/rasterize.h"

#include <QImage>
#include <QLine>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace ramulet::raster {

// A segment in device pixels. Whole device coordinates are pixel centres, as in the editor: a
// point lands on the pixel the editor's rounding gives it, and a line on a whole column is
// drawn symmetrically about it.
struct DeviceLine {
    double x0, y0, x1, y1;
};

// One segment as a kernel draws it.
struct Band {
    DeviceLine line;
    double width;   // device pixels: picture units times the mean of the two stretch factors
    bool thin;      // a pen of width 0, or one at most a pixel wide: a one-pixel line
    bool cosmetic;  // a pen of width 0: the thinnest line, one pixel whatever the stretch
    uint32_t argb;  // the run's colour, opaque, as the 32-bit formats lay it out
};

// The image's rows [top, bottom) that one kernel draws.
struct Rows {
    int top;
    int bottom;
};

// Whether the band of half-width `reach` around `l` (round ends) holds the rectangle from
// (left, top) to (right, bottom): the band is convex, so its four corners tell.
inline bool BandHolds(const DeviceLine &l, double reach, double left, double top, double right,
                      double bottom)
{
    if (!(reach > 0.0)) {
        return false;
    }
    const double dx = l.x1 - l.x0;
    const double dy = l.y1 - l.y0;
    const double len2 = dx * dx + dy * dy;
    for (const double px : {left, right}) {
        for (const double py : {top, bottom}) {
            double t = len2 > 0.0 ? ((px - l.x0) * dx + (py - l.y0) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = px - (l.x0 + t * dx);
            const double ey = py - (l.y0 + t * dy);
            if (!(ex * ex + ey * ey <= reach * reach)) {
                return false;
            }
        }
    }
    return true;
}

// An opaque 0x00BBGGRR colour in the layout of the 32-bit formats (the same in all three).
inline uint32_t Argb(TColor c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Pictures with at least this many lines, in images at least this many rows high, are drawn
// by two threads, each over its own rows.
// Whether the scan conversions draw on images of this format: the 32-bit ones, whose pixels
// they write directly.
inline bool DrawsOn(QImage::Format f)
{
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

inline constexpr int64_t SplitLinesAt = 2048;
inline constexpr int SplitRowsAt = 64;
// How many bands of rows. Each band passes over every run, so no more than the threads.
inline constexpr int RowBands = 2;

// Draws the picture stretched over the whole of `image`, or only over its rows `window` when
// one is given: every pixel of those rows as the whole image would have it, nothing outside
// them touched (so `image` may be a view of memory that holds those rows alone).
template <class Kernel>
void Traverse(QImage &image, const TreePicture &pic, RasterOrder order,
              std::optional<Rows> window = std::nullopt)
{
    const int w = image.width();
    const int h = image.height();
    const Rows all = window.value_or(Rows{0, h});
    const double sx = static_cast<double>(w) / PictureWidth;
    const double sy = static_cast<double>(h) / pic.pictureHeight();
    const double widthScale = (sx + sy) / 2.0;
    const auto &lines = pic.lines();
    const auto &runs = pic.runs();
    auto device = [&](const QLine &l) {
        return DeviceLine{l.x1() * sx + 0.5, l.y1() * sy + 0.5, l.x2() * sx + 0.5,
                          l.y2() * sy + 0.5};
    };
    auto band = [&](const TreePicture::PenRun &run, const QLine &l) {
        const double deviceWidth = run.width * widthScale;
        return Band{device(l), deviceWidth, run.width <= 0 || deviceWidth <= 1.0, run.width <= 0,
                    Argb(run.color)};
    };

    // Later segments draw over earlier ones, so everything before the last band that fills
    // the whole image is hidden by it. Very wide pens (long branches grown deep, fitted to the
    // view) would otherwise paint the whole image over again for every segment. Meanwhile,
    // about how many pixels the bands to draw cover, counted over.
    size_t firstRun = 0;
    uint32_t firstLine = 0; // within the first run drawn
    const double minSide = std::min(w, h);
    const double pixels = static_cast<double>(w) * h;
    double bandArea = 0.0;
    for (size_t ri = runs.size(); ri-- > 0;) {
        const TreePicture::PenRun &run = runs[ri];
        const double deviceWidth = run.width * widthScale;
        if (run.width <= 0 || deviceWidth <= 1.0) {
            continue;
        }
        bool found = false;
        for (uint32_t k = run.count; k-- > 0;) {
            const Band b = band(run, lines[run.first + k]);
            const double len = std::hypot(b.line.x1 - b.line.x0, b.line.y1 - b.line.y0);
            bandArea += std::min((len + deviceWidth) * deviceWidth, pixels);
            if (deviceWidth + 1.0 >= minSide && Kernel::Covers(b, w, h)) {
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
    const bool backToFront =
        Kernel::CanDrawBackToFront &&
        (order == RasterOrder::BackToFront ||
         (order == RasterOrder::Automatic && bandArea > 8.0 * pixels &&
          pixels <= MaxBackToFrontPixels));

    const QRect bg = pic.backgroundRect();
    const bool hasBackground = pic.hasBackground();
    const uint32_t backArgb = Argb(pic.backColor());
    const double bgRight = (bg.right() + 1) * sx;
    const double bgBottom = (bg.bottom() + 1) * sy;

    auto drawRows = [&](Rows rows) {
        Kernel kernel(image, rows, backToFront);
        // A band reaches at most half its width and a pixel beyond its centre line; one that
        // lies wholly above or below the kernel's rows is passed over before it is mapped.
        auto drawRun = [&](const TreePicture::PenRun &run, uint32_t from, bool backwards) {
            const double deviceWidth = run.width * widthScale;
            Band b{{}, deviceWidth, run.width <= 0 || deviceWidth <= 1.0, run.width <= 0,
                   Argb(run.color)};
            const double reach = (b.thin ? 0.0 : deviceWidth / 2.0) + 1.0;
            const double above = rows.top - 0.5 - reach;   // device y of the last row above
            const double below = rows.bottom - 0.5 + reach; // and of the first row below
            if (run.bottom * sy < above || run.top * sy >= below) {
                return;
            }
            const QLine *runLines = lines.data() + run.first;
            for (uint32_t n = from; n < run.count && !kernel.Done(); ++n) {
                const QLine &l = runLines[backwards ? run.count - 1 - (n - from) : n];
                const double ya = l.y1() * sy;
                const double yb = l.y2() * sy;
                if (std::max(ya, yb) < above || std::min(ya, yb) >= below) {
                    continue;
                }
                b.line = DeviceLine{l.x1() * sx + 0.5, ya + 0.5, l.x2() * sx + 0.5, yb + 0.5};
                kernel.Draw(b);
            }
        };
        if (!backToFront) {
            if (hasBackground) {
                kernel.Fill(backArgb, bgRight, bgBottom);
            }
            for (size_t ri = firstRun; ri < runs.size(); ++ri) {
                drawRun(runs[ri], ri == firstRun ? firstLine : 0, false);
            }
            return;
        }
        for (size_t ri = runs.size(); ri-- > firstRun && !kernel.Done();) {
            drawRun(runs[ri], ri == firstRun ? firstLine : 0, true);
        }
        if (hasBackground) {
            kernel.Fill(backArgb, bgRight, bgBottom);
        }
    };

    const int rowCount = all.bottom - all.top;
    if (pic.segmentCount() < SplitLinesAt || rowCount < SplitRowsAt || !HelperThreadEnabled()) {
        drawRows(all);
        return;
    }
    // The rows split into bands of about the same number of lines each (by a sample of their
    // midpoints), which the two threads take as they are free.
    std::vector<int> sample;
    const size_t stride = std::max<size_t>(1, lines.size() / 4096);
    for (size_t i = 0; i < lines.size(); i += stride) {
        const double mid = (static_cast<double>(lines[i].y1()) + lines[i].y2()) * 0.5 * sy;
        if (mid >= all.top && mid < all.bottom) {
            sample.push_back(static_cast<int>(mid));
        }
    }
    if (sample.empty()) {
        sample.push_back(all.top + rowCount / 2);
    }
    int edges[RowBands + 1];
    edges[0] = all.top;
    edges[RowBands] = all.bottom;
    for (int b = 1; b < RowBands; ++b) {
        const auto at = sample.begin() +
                        static_cast<std::ptrdiff_t>(sample.size() * static_cast<size_t>(b) / RowBands);
        std::nth_element(sample.begin(), at, sample.end());
        const int quantile = *at;
        // Every band at least a few rows, in order.
        edges[b] = std::clamp(quantile, edges[b - 1] + 4, all.bottom - 4 * (RowBands - b));
    }
    RunJobs(RowBands, [&](int b) { drawRows({edges[b], edges[b + 1]}); });
}

} // namespace ramulet::raster

namespace ramulet {

// The smooth kernel's traversal over the rows `rows` alone (view/coverage.cpp); the image is
// premultiplied ARGB32 or RGB32.
void RasterizeTreePictureSmoothRows(QImage &image, const TreePicture &pic, raster::Rows rows);

} // namespace ramulet
