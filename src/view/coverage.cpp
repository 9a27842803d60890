#include "view/coverage.h"

#include "core/viewstate.h"
#include "view/picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// Area coverage by signed-area accumulation: every edge of a polygon adds, to the cells of
// each pixel row it crosses, the second difference of the area that lies right of it in that
// row; a running sum along the row then gives each pixel the area of the polygon inside it.
// The arithmetic is exact for polygons, so the only approximation is the polygon that stands
// for each round end.

namespace ramulet {

namespace {

// How far, in pixels, a round end's polygon may stray from its circle.
constexpr double OutlineTolerance = 0.02;

// Scratch cells per accumulation pass; a band wider than this many pixels is drawn a row at a
// time, a smaller one in chunks of rows that fit.
constexpr size_t MaxCells = 8192;

// A regular polygon standing for a unit circle: vertex k at angle (2k + 1) pi / n, so that
// with n a multiple of four its top and bottom edges are horizontal (and add nothing), its
// radius enlarged so that its area is the circle's.
struct Offset {
    double x;
    double y;
};

struct CapPolygon {
    int n = 0;
    double reach = 0.0;     // vertex distance from the centre, for a radius of 1
    double maxRadius = 0.0; // the largest radius for which it stays within the tolerance
    std::vector<Offset> vertices; // for a radius of 1
    std::vector<Offset> normals;  // outward, of the edge from vertex k to k + 1
};

const std::vector<CapPolygon> &CapPolygons()
{
    static const std::vector<CapPolygon> polygons = [] {
        std::vector<CapPolygon> list;
        for (int n : {8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 256, 384, 512, 768, 1024}) {
            CapPolygon p;
            p.n = n;
            const double step = 2.0 * std::numbers::pi / n;
            // n/2 sin(2 pi/n) k^2 = pi.
            p.reach = std::sqrt(2.0 * std::numbers::pi / (n * std::sin(step)));
            // Out at the vertices by reach - 1, in at the edges' middles by 1 - reach cos(pi/n).
            const double deviation =
                std::max(p.reach - 1.0, 1.0 - p.reach * std::cos(step / 2.0));
            p.maxRadius = OutlineTolerance / deviation;
            for (int k = 0; k < n; ++k) {
                const double a = (k + 0.5) * step;
                p.vertices.push_back({p.reach * std::cos(a), p.reach * std::sin(a)});
                p.normals.push_back({std::cos((k + 1) * step), std::sin((k + 1) * step)});
            }
            list.push_back(std::move(p));
        }
        return list;
    }();
    return polygons;
}

const CapPolygon &CapFor(double r)
{
    const std::vector<CapPolygon> &list = CapPolygons();
    for (const CapPolygon &p : list) {
        if (r <= p.maxRadius) {
            return p;
        }
    }
    return list.back();
}

// Source-over of the opaque premultiplied `src` with alpha a / 255 onto `dst`, every channel
// rounded to nearest: two channels at a time in 16-bit lanes (255 x 255 + 255 + 128 fits).
inline uint32_t Blend(uint32_t dst, uint32_t src, uint32_t a)
{
    const uint32_t ia = 255u - a;
    uint32_t rb = (src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * ia + 0x00800080u;
    uint32_t ag = ((src >> 8) & 0x00FF00FFu) * a + ((dst >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
    // x / 255 rounded is (x + 128 + ((x + 128) >> 8)) >> 8 for x up to 255 x 255.
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// Coverage (an area share, 0..1) as alpha 0..255.
inline uint32_t AlphaOf(double coverage)
{
    return coverage >= 1.0 ? 255u : static_cast<uint32_t>(coverage * 255.0 + 0.5);
}

// Adds to `cells` (of one pixel row, x relative to its first cell) a straight piece of
// outline crossing the row strip from x = xa to x = xb (either order), with d its signed
// height (the piece's share of the strip, negative where the outline runs upward). Cell c
// gets the second difference of d G, where G(x) is the area between the piece and the
// vertical x, so that the running sum of cells gives each pixel d times the share of the
// piece's height to its left, integrated over the pixel.
inline void AddPiece(double *cells, double xa, double xb, double d)
{
    const double lo = std::min(xa, xb);
    const double hi = std::max(xa, xb);
    const int c0 = static_cast<int>(lo); // lo >= 0
    if (hi <= c0 + 1.0) {
        // Within one cell: that cell gets the part right of the piece's middle.
        const double f = (lo + hi) * 0.5 - c0;
        cells[c0] += d * (1.0 - f);
        cells[c0 + 1] += d * f;
        return;
    }
    const int c1 = static_cast<int>(hi);
    const double half = 0.5 / (hi - lo);
    // G(x) / d: 0 left of lo, (x - lo)^2 / (2 (hi - lo)) between, (hi - lo) / 2 + x - hi right.
    auto g = [&](double x) { return x >= hi ? (hi - lo) * 0.5 + (x - hi) : (x - lo) * (x - lo) * half; };
    double gPrev = 0.0;    // G(c) at the cell's left side (c0 <= lo, so 0 at first)
    double coverPrev = 0.0; // d (G(c) - G(c - 1)): the previous cell's share
    for (int c = c0; c <= c1; ++c) {
        const double gNext = g(c + 1.0);
        const double cover = d * (gNext - gPrev);
        cells[c] += cover - coverPrev;
        coverPrev = cover;
        gPrev = gNext;
    }
    // Every cell right of hi is wholly right of the piece: d each.
    cells[c1 + 1] += d - coverPrev;
}

} // namespace

void CoverageRaster::Band(double x0, double y0, double x1, double y1, double r, uint32_t argb)
{
    if (!(r > 0.0)) {
        return;
    }
    const CapPolygon &cap = CapFor(r);
    const double reach = r * cap.reach;
    // Nothing of the band in the rows or columns drawn (NaN fails every comparison).
    if (!(std::max(y0, y1) + reach > m_rows.rowBegin && std::min(y0, y1) - reach < m_rows.rowEnd &&
          std::max(x0, x1) + reach > 0.0 && std::min(x0, x1) - reach < m_rows.width)) {
        return;
    }
    // The capsule's polygon: the Minkowski sum of the segment and the cap polygon. Each cap
    // vertex sits at the end toward which its incoming edge faces; where the facing changes,
    // the vertex appears at both ends, joined by a side of the band.
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const int n = cap.n;
    m_poly.clear();
    bool prevFront = cap.normals[static_cast<size_t>(n - 1)].x * dx +
                         cap.normals[static_cast<size_t>(n - 1)].y * dy >
                     0.0;
    for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
        const bool front = cap.normals[k].x * dx + cap.normals[k].y * dy > 0.0;
        const double vx = cap.vertices[k].x * r;
        const double vy = cap.vertices[k].y * r;
        if (prevFront) {
            m_poly.push_back({x1 + vx, y1 + vy});
        } else {
            m_poly.push_back({x0 + vx, y0 + vy});
        }
        if (front != prevFront) {
            if (front) {
                m_poly.push_back({x1 + vx, y1 + vy});
            } else {
                m_poly.push_back({x0 + vx, y0 + vy});
            }
        }
        prevFront = front;
    }
    FillPolygon(argb);
}

void CoverageRaster::Rect(double left, double top, double right, double bottom, uint32_t argb)
{
    left = std::max(left, 0.0);
    right = std::min(right, static_cast<double>(m_rows.width));
    top = std::max(top, static_cast<double>(m_rows.rowBegin));
    bottom = std::min(bottom, static_cast<double>(m_rows.rowEnd));
    if (!(left < right && top < bottom)) {
        return;
    }
    const uint32_t src = argb | 0xFF000000u;
    const int i0 = static_cast<int>(left);
    const int i1 = static_cast<int>(std::ceil(right));
    for (int j = static_cast<int>(top); j < bottom; ++j) {
        const double cy = std::min(bottom, j + 1.0) - std::max(top, static_cast<double>(j));
        uint32_t *row = m_rows.bits + j * m_rows.stride;
        for (int i = i0; i < i1; ++i) {
            const double cx = std::min(right, i + 1.0) - std::max(left, static_cast<double>(i));
            const uint32_t a = AlphaOf(cx * cy);
            if (a == 255u) {
                row[i] = src;
            } else if (a != 0u) {
                row[i] = Blend(row[i], src, a);
            }
        }
    }
}

void CoverageRaster::ClipPolygonX(double bound, bool keepBelow)
{
    m_clipped.clear();
    const size_t count = m_poly.size();
    for (size_t k = 0; k < count; ++k) {
        const Point p = m_poly[k];
        const Point q = m_poly[(k + 1) % count];
        const bool pIn = keepBelow ? p.x <= bound : p.x >= bound;
        const bool qIn = keepBelow ? q.x <= bound : q.x >= bound;
        if (pIn) {
            m_clipped.push_back(p);
        }
        if (pIn != qIn) {
            const double t = (bound - p.x) / (q.x - p.x);
            m_clipped.push_back({bound, p.y + t * (q.y - p.y)});
        }
    }
    m_poly.swap(m_clipped);
}

void CoverageRaster::CompositeRow(uint32_t *pixels, double *cells, int count, uint32_t argb)
{
    double sum = 0.0;
    for (int c = 0; c < count; ++c) {
        sum += cells[c];
        cells[c] = 0.0;
        // Outlines run either way round; the area's size is what counts.
        const uint32_t a = AlphaOf(std::fabs(sum));
        if (a == 255u) {
            pixels[c] = argb;
        } else if (a != 0u) {
            pixels[c] = Blend(pixels[c], argb, a);
        }
    }
}

void CoverageRaster::FillPolygon(uint32_t argb)
{
    const uint32_t src = argb | 0xFF000000u;
    auto xRange = [&](double &lo, double &hi) {
        lo = hi = m_poly.front().x;
        for (const Point &p : m_poly) {
            lo = std::min(lo, p.x);
            hi = std::max(hi, p.x);
        }
    };
    double xmin = 0.0;
    double xmax = 0.0;
    xRange(xmin, xmax);
    const auto width = static_cast<double>(m_rows.width);
    // Outline left of the image is moved onto its left side (its area still counts for the
    // pixels right of it); outline right of it cannot reach any pixel.
    if (xmin < 0.0 || xmax > width) {
        if (xmin < 0.0) {
            ClipPolygonX(0.0, false);
        }
        if (xmax > width && m_poly.size() >= 3) {
            ClipPolygonX(width, true);
        }
        if (m_poly.size() < 3) {
            return;
        }
        xRange(xmin, xmax);
    }
    double ymin = m_poly.front().y;
    double ymax = ymin;
    for (const Point &p : m_poly) {
        ymin = std::min(ymin, p.y);
        ymax = std::max(ymax, p.y);
    }
    const int col0 = static_cast<int>(xmin);
    const int cols = static_cast<int>(std::ceil(xmax)) - col0;
    const int rowBegin = std::max(static_cast<int>(std::floor(ymin)), m_rows.rowBegin);
    const int rowEnd = std::min(static_cast<int>(std::ceil(ymax)), m_rows.rowEnd);
    if (cols <= 0 || rowBegin >= rowEnd) {
        return;
    }
    const auto rowCells = static_cast<size_t>(cols) + 2; // one past the last pixel, and spill
    const int chunkRows = static_cast<int>(std::max<size_t>(1, MaxCells / rowCells));
    const size_t need = rowCells * static_cast<size_t>(std::min(chunkRows, rowEnd - rowBegin));
    if (m_cells.size() < need) {
        m_cells.resize(need, 0.0);
    }
    const double maxX = cols; // local x of the last column's right side
    const size_t count = m_poly.size();
    for (int chunk = rowBegin; chunk < rowEnd; chunk += chunkRows) {
        const int chunkEnd = std::min(rowEnd, chunk + chunkRows);
        for (size_t k = 0; k < count; ++k) {
            Point p = m_poly[k];
            Point q = m_poly[(k + 1) % count];
            if (p.y == q.y) {
                continue;
            }
            double dir = 1.0;
            if (p.y > q.y) {
                std::swap(p, q);
                dir = -1.0;
            }
            const int j0 = std::max(static_cast<int>(std::floor(p.y)), chunk);
            const int j1 = std::min(static_cast<int>(std::ceil(q.y)), chunkEnd);
            if (j0 >= j1) {
                continue;
            }
            const double dxdy = (q.x - p.x) / (q.y - p.y);
            // x where the edge crosses height y, from the edge alone, so that a row's pieces
            // do not depend on which rows are drawn.
            auto xAt = [&](double y) {
                if (y <= p.y) {
                    return p.x - col0;
                }
                if (y >= q.y) {
                    return q.x - col0;
                }
                return std::clamp(p.x + (y - p.y) * dxdy - col0, 0.0, maxX);
            };
            for (int j = j0; j < j1; ++j) {
                const double ya = std::max(p.y, static_cast<double>(j));
                const double yb = std::min(q.y, j + 1.0);
                AddPiece(m_cells.data() + static_cast<size_t>(j - chunk) * rowCells, xAt(ya),
                         xAt(yb), dir * (yb - ya));
            }
        }
        for (int j = chunk; j < chunkEnd; ++j) {
            double *cells = m_cells.data() + static_cast<size_t>(j - chunk) * rowCells;
            CompositeRow(m_rows.bits + j * m_rows.stride + col0, cells, cols, src);
            cells[cols] = 0.0;
            cells[cols + 1] = 0.0;
        }
    }
}

bool RasterizeTreePictureSmooth(QImage &image, const TreePicture &pic)
{
    const QImage::Format f = image.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied) {
        return false;
    }
    if (image.isNull() || pic.pictureHeight() <= 0) {
        return true;
    }
    // Compositing works on premultiplied pixels; RGB32 is that already (opaque).
    const bool straightAlpha = f == QImage::Format_ARGB32;
    if (straightAlpha) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    CoverageRows rows;
    rows.bits = reinterpret_cast<uint32_t *>(image.bits());
    rows.stride = image.bytesPerLine() / 4;
    rows.width = image.width();
    rows.rowBegin = 0;
    rows.rowEnd = image.height();
    CoverageRaster raster(rows);

    const double sx = static_cast<double>(image.width()) / PictureWidth;
    const double sy = static_cast<double>(image.height()) / pic.pictureHeight();
    const double widthScale = (sx + sy) / 2.0;
    auto argb = [](TColor c) {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    };
    if (pic.hasBackground()) {
        const QRect bg = pic.backgroundRect();
        raster.Rect(0.0, 0.0, (bg.right() + 1) * sx, (bg.bottom() + 1) * sy, argb(pic.backColor()));
    }
    const auto &lines = pic.lines();
    for (const TreePicture::PenRun &run : pic.runs()) {
        const uint32_t colour = argb(run.color);
        // A pen of width 0 is the thinnest line: one pixel wide whatever the stretch.
        const double r = run.width > 0 ? run.width * widthScale / 2.0 : 0.5;
        for (uint32_t k = 0; k < run.count; ++k) {
            const QLine &l = lines[run.first + k];
            // Whole device coordinates are pixel centres, as in the classic picture.
            raster.Band(l.x1() * sx + 0.5, l.y1() * sy + 0.5, l.x2() * sx + 0.5, l.y2() * sy + 0.5,
                        r, colour);
        }
    }
    if (straightAlpha) {
        image.convertTo(QImage::Format_ARGB32);
    }
    return true;
}

} // namespace ramulet
