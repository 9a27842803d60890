#include "view/coverage.h"

#include "core/viewstate.h"
#include "view/picture.h"
#include "view/rastertraversal.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Area coverage by signed-area accumulation: every edge of a polygon adds, to the cells of
// each pixel row it crosses, the difference between neighbouring pixels of the area that lies
// right of it in that row; a running sum along the row then gives each pixel the area of the
// polygon inside it. The arithmetic is exact for polygons, so the only approximation is the
// polygon that stands for each round end.

namespace ramulet {

namespace {

// How far, in pixels, a round end's polygon may stray from its circle.
constexpr double OutlineTolerance = 0.03;

// Scratch cells per accumulation pass; a band of more is drawn in passes of whole rows.
constexpr size_t MaxCells = 8192;

// Cells per row beyond its pixels: AddPiece writes up to two past the last pixel.
constexpr int RowSlack = 2;

// Row length of the cells for the thinnest bands, whose box spans a few pixels.
constexpr size_t TileStride = 8;

// Rows of pixels of more than this many bytes are fetched ahead of their bands: a few times
// the caches nearest to a core, which hold the pixels of the tree view's image.
constexpr double PrefetchBytes = 8.0 * 1024 * 1024;

// Band coordinates and radii beyond this many pixels are not drawn: the frame of a band is
// counted in int.
constexpr double MaxCoordinate = 1 << 29;

// Floor and ceiling of |x| < 2^31 as int, without the library's care for larger values.
inline int Floor(double x)
{
    const auto i = static_cast<int>(x);
    return i - (x < i);
}

inline int Ceil(double x)
{
    const auto i = static_cast<int>(x);
    return i + (x > i);
}

struct Offset {
    double x;
    double y;
};

// A regular polygon standing for a circle (of radius 1 in the table, of a band's radius once
// scaled): vertex k at angle (2k + 1) pi / n, so that
// with n a multiple of four its top and bottom edges are horizontal (and add nothing) and its
// left and right ones vertical, its radius enlarged so that its area is the circle's. Edge k
// runs from vertex k to k + 1.
struct CapPolygon {
    struct Edge {
        double x0, y0, x1, y1; // the ends, upper end (smaller y) first
        double dxdy;           // x per unit of y
        double slope;          // |dy / dx| (0 when vertical) with the sign of dir
        double dir;            // +1 where vertex k is the upper end, -1 where it is the lower
        int index;             // k
    };
    int n = 0;
    double extent = 0.0;    // farthest reach in x and in y
    double maxRadius = 0.0; // the largest radius for which it stays within the tolerance
    std::vector<Offset> vertices;
    std::vector<Offset> normals;  // of each edge
    std::vector<Edge> slanted;    // the edges that are not horizontal
};

const std::vector<CapPolygon> &CapPolygons()
{
    static const std::vector<CapPolygon> polygons = [] {
        std::vector<CapPolygon> list;
        for (int n : {8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 256, 384, 512, 768, 1024}) {
            CapPolygon p;
            p.n = n;
            const double step = 2.0 * std::numbers::pi / n;
            // Vertex distance: n/2 sin(2 pi/n) reach^2 = pi.
            const double reach = std::sqrt(2.0 * std::numbers::pi / (n * std::sin(step)));
            // Out at the vertices by reach - 1, in at the edges' middles by 1 - reach cos(pi/n).
            const double deviation = std::max(reach - 1.0, 1.0 - reach * std::cos(step / 2.0));
            p.maxRadius = OutlineTolerance / deviation;
            p.extent = reach * std::cos(step / 2.0);
            for (int k = 0; k < n; ++k) {
                const double a = (k + 0.5) * step;
                p.vertices.push_back({reach * std::cos(a), reach * std::sin(a)});
                p.normals.push_back({std::cos((k + 1) * step), std::sin((k + 1) * step)});
            }
            for (int k = 0; k < n; ++k) {
                // Normals on the axes: quarter turns 1 and 3 point down and up (horizontal
                // edges), 2 and 4 left and right (vertical ones).
                const bool onAxis = 4 * (k + 1) % n == 0;
                const int quarter = 4 * (k + 1) / n;
                if (onAxis && quarter % 2 == 1) {
                    continue;
                }
                const Offset v = p.vertices[static_cast<size_t>(k)];
                const Offset w = p.vertices[static_cast<size_t>((k + 1) % n)];
                CapPolygon::Edge e{};
                e.index = k;
                e.dir = v.y <= w.y ? 1.0 : -1.0;
                const Offset up = e.dir > 0.0 ? v : w;
                const Offset down = e.dir > 0.0 ? w : v;
                e.x0 = up.x;
                e.y0 = up.y;
                // A vertical edge's ends have one x, whatever the rounding of the cosines.
                e.x1 = onAxis ? up.x : down.x;
                e.y1 = down.y;
                e.dxdy = onAxis ? 0.0 : (e.x1 - e.x0) / (e.y1 - e.y0);
                e.slope = onAxis ? 0.0 : e.dir * std::fabs((e.y1 - e.y0) / (e.x1 - e.x0));
                p.slanted.push_back(e);
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

// Coverage (an area share, 0..1) as alpha 0..255.
inline uint32_t AlphaOf(double coverage)
{
    return static_cast<uint32_t>(std::min(coverage, 1.0) * 255.0 + 0.5);
}

// Source-over of an opaque premultiplied colour with alpha a / 255 onto pixels, every
// channel rounded to nearest: (c a + p (255 - a) + 128 + that >> 8) >> 8, exact for values
// up to 255 x 255. Alpha 0 leaves the pixel, 255 gives the colour.
class Over {
public:
    explicit Over(uint32_t src) : m_src(src)
    {
#if defined(__SSE2__)
        m_src16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(src)), _mm_setzero_si128());
#endif
    }

    void operator()(uint32_t &pixel, uint32_t a) const
    {
        if (a == 255u) {
            pixel = m_src;
        } else if (a != 0u) {
            Blend(pixel, a);
        }
    }

    void Blend(uint32_t &pixel, uint32_t a) const { pixel = Blended(pixel, a); }

#if defined(__SSE2__)
    // Blend() of two neighbouring pixels at once, alpha a0 and a1 as coverages in the two
    // lanes of `coverage` (0..1, or more, which counts as 1).
    void Blend2(uint32_t *pixels, __m128d coverage) const
    {
        const __m128d scaled = _mm_add_pd(
            _mm_mul_pd(_mm_min_pd(coverage, _mm_set1_pd(1.0)), _mm_set1_pd(255.0)),
            _mm_set1_pd(0.5));
        // [a0, a1] as 32-bit, then each spread over its pixel's four 16-bit channels.
        const __m128i a32 = _mm_cvttpd_epi32(scaled);
        const __m128i a16 = _mm_unpacklo_epi16(a32, a32);       // a0 a0 0 0 a1 a1 0 0
        const __m128i alpha = _mm_unpacklo_epi32(a16, _mm_srli_si128(a16, 8));
        const __m128i lanes = _mm_shuffle_epi32(alpha, _MM_SHUFFLE(1, 1, 0, 0));
        const __m128i d = _mm_unpacklo_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i *>(pixels)), _mm_setzero_si128());
        const __m128i src = _mm_unpacklo_epi64(m_src16, m_src16);
        __m128i t = _mm_add_epi16(_mm_mullo_epi16(src, lanes),
                                  _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(255), lanes)));
        t = _mm_add_epi16(t, _mm_set1_epi16(128));
        t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(pixels), _mm_packus_epi16(t, t));
    }
#endif

private:
    uint32_t Blended(uint32_t dst, uint32_t a) const
    {
#if defined(__SSE2__)
        // The four channels in 16-bit lanes.
        const __m128i d =
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(dst)), _mm_setzero_si128());
        const __m128i alpha = _mm_set1_epi16(static_cast<short>(a));
        __m128i t = _mm_add_epi16(_mm_mullo_epi16(m_src16, alpha),
                                  _mm_mullo_epi16(d, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
        t = _mm_add_epi16(t, _mm_set1_epi16(128));
        t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(t, t)));
#else
        // Two channels at a time in 16-bit lanes.
        const uint32_t ia = 255u - a;
        uint32_t rb = (m_src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * ia + 0x00800080u;
        uint32_t ag =
            ((m_src >> 8) & 0x00FF00FFu) * a + ((dst >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
        rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
        return rb | ag;
#endif
    }

    uint32_t m_src;
#if defined(__SSE2__)
    __m128i m_src16;
#endif
};

// Adds to `cells` (of one pixel row, x relative to its first cell, x >= 0) a straight piece of
// outline crossing the row strip from x = xa to x = xb (either order), d its signed height
// (its share of the strip, negative where the outline runs upward) and s = d / |xb - xa| its
// slope (0 for a vertical piece). Pixel c is to get d times the mean over the pixel of the
// share of the piece's height left of x: F(c + 1) - F(c), with F(x) the integral up to x of
// d clamp((t - lo) / (hi - lo), 0, 1). Each cell gets the difference of that from its left
// neighbour's, so that the running sum along the row gives it back.
inline void AddPiece(double *cells, double xa, double xb, double d, double s)
{
    const double lo = std::min(xa, xb);
    const double hi = std::max(xa, xb);
    const auto c0 = static_cast<int>(lo);
    if (hi <= c0 + 1.0) {
        // Within one pixel: it gets the part right of the piece's middle, the next the rest.
        const double cover = d * (c0 + 1.0 - (lo + hi) * 0.5);
        cells[c0] += cover;
        cells[c0 + 1] += d - cover;
        return;
    }
    // F(x) = s t^2 / 2 + d max(x - hi, 0) with t = clamp(x - lo, 0, hi - lo); 0 at c0.
    const double w = hi - lo;
    auto f = [&](double x) {
        const double t = std::min(x - lo, w);
        return 0.5 * s * t * t + d * std::max(x - hi, 0.0);
    };
    if (hi < c0 + 2.0) {
        // Across one pixel side, as most pieces of a thin band: what the loop below gives
        // for its two steps, F(c0 + 1) without its ramp's end and F(c0 + 2) past it.
        const double t = c0 + 1.0 - lo;
        const double f1 = 0.5 * s * t * t;
        const double f2 = 0.5 * s * w * w + d * (c0 + 2.0 - hi);
        const double cover = f2 - f1;
        cells[c0] += f1;
        cells[c0 + 1] += cover - f1;
        cells[c0 + 2] += d - cover;
        return;
    }
    const auto c1 = static_cast<int>(hi);
    double fPrev = 0.0;
    double coverPrev = 0.0;
    for (int c = c0; c <= c1; ++c) {
        const double fNext = f(c + 1.0);
        const double cover = fNext - fPrev;
        cells[c] += cover - coverPrev;
        coverPrev = cover;
        fPrev = fNext;
    }
    // Pixels right of hi lie wholly right of the piece.
    cells[c1 + 1] += d - coverPrev;
}

// The running sum of a row's cells composited onto its pixels; the cells are left zero.
// `Short` rows (of a small band) blend every pixel, alpha 0 and 255 too, which costs less
// than telling them apart; long ones leave and fill pixels as they can.
template <bool Short>
inline void CompositeRow(uint32_t *pixels, double *cells, int count, const Over &over)
{
    double sum = 0.0;
    for (int c = 0; c < count; ++c) {
        sum += cells[c];
        cells[c] = 0.0;
        // Outlines run either way round; the area's size is what counts.
        const uint32_t a = AlphaOf(std::fabs(sum));
        if (Short) {
            over.Blend(pixels[c], a);
        } else {
            over(pixels[c], a);
        }
    }
    for (int c = count; c < count + RowSlack; ++c) {
        cells[c] = 0.0;
    }
}

// A row of a thin band's tile (TileStride cells, `count` of them over pixels) composited
// like CompositeRow<true>, two pixels at a time; all its cells are left zero.
inline void CompositeTileRow(uint32_t *pixels, double *cells, int count, const Over &over)
{
#if defined(__SSE2__)
    // The running sums in the order CompositeRow adds them, paired in registers: the cells
    // were just written one by one, and a load of two of them at once would wait for both.
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    double sum = 0.0;
    int c = 0;
    for (; c + 2 <= count; c += 2) {
        const double s0 = sum + cells[c];
        sum = s0 + cells[c + 1];
        over.Blend2(pixels + c, _mm_and_pd(_mm_set_pd(sum, s0), magnitude));
    }
    if (c < count) {
        over.Blend(pixels[c], AlphaOf(std::fabs(sum + cells[c])));
    }
    const __m128d zero = _mm_setzero_pd();
    for (size_t k = 0; k < TileStride; k += 2) {
        _mm_storeu_pd(cells + k, zero);
    }
#else
    CompositeRow<true>(pixels, cells, count, over);
    std::fill(cells + count + RowSlack, cells + TileStride, 0.0);
#endif
}

// Calls addEdge(x0, y0, x1, y1, dxdy, slope, dir) for each edge of the capsule's polygon, in the
// band's frame: the Minkowski sum of the segment (ax, ay)-(bx, by) and `cap`, a cap polygon
// scaled to the band's radius. Each edge of the cap polygon sits at the end it faces; where the facing changes,
// a side of the band joins the two copies of the vertex between.
// `Fixed`, when not 0, is the cap polygon's vertex count known beforehand.
template <int Fixed, class Emit>
inline void CapsuleEdges(const CapPolygon &cap, double ax, double ay, double bx, double by,
                         Emit &&addEdge)
{
    const double dx = bx - ax;
    const double dy = by - ay;
    const auto n = Fixed != 0 ? static_cast<size_t>(Fixed) : static_cast<size_t>(cap.n);
    auto faces = [&](size_t k) { return cap.normals[k].x * dx + cap.normals[k].y * dy > 0.0; };
    // Bit k: edge k faces the far end (for the polygons of up to 64 edges).
    uint64_t facing = 0;
    if constexpr (Fixed == 8) {
        // The octagon's normals point at 45, 90, ..., 360 degrees (y down), so the signs of
        // dx, dy and their sum and difference tell which face the far end.
        const double sum = dx + dy;
        const double diff = dy - dx;
        facing = static_cast<uint64_t>(sum > 0.0) | static_cast<uint64_t>(dy > 0.0) << 1 |
                 static_cast<uint64_t>(diff > 0.0) << 2 | static_cast<uint64_t>(dx < 0.0) << 3 |
                 static_cast<uint64_t>(sum < 0.0) << 4 | static_cast<uint64_t>(dy < 0.0) << 5 |
                 static_cast<uint64_t>(diff < 0.0) << 6 | static_cast<uint64_t>(dx > 0.0) << 7;
    } else if (n <= 64) {
#pragma GCC unroll 8
        for (size_t k = 0; k < n; ++k) {
            facing |= static_cast<uint64_t>(faces(k)) << k;
        }
    }
    auto front = [&](size_t k) { return n <= 64 ? ((facing >> k) & 1u) != 0 : faces(k); };
    // All but the top and bottom edge are slanted. With their count known the loop is
    // written out edge by edge, so that each edge's branches (which go about the same way
    // for every band) are told apart rather than mixed in one.
    const size_t slanted = Fixed != 0 ? static_cast<size_t>(Fixed - 2) : cap.slanted.size();
#pragma GCC unroll 8
    for (size_t i = 0; i < slanted; ++i) {
        const CapPolygon::Edge &e = cap.slanted[i];
        const bool f = front(static_cast<size_t>(e.index));
        const double ex = f ? bx : ax;
        const double ey = f ? by : ay;
        addEdge(ex + e.x0, ey + e.y0, ex + e.x1, ey + e.y1, e.dxdy, e.slope, e.dir);
    }
    if (dy == 0.0) {
        return; // horizontal sides add nothing
    }
    // The sides: upper end at the segment's upper end, running toward the end faced after
    // the vertex.
    const double sideDxdy = dx / dy;
    const double sideSlope = dx != 0.0 ? std::fabs(dy / dx) : 0.0;
    const double ux = dy > 0.0 ? ax : bx;
    const double uy = dy > 0.0 ? ay : by;
    const double lx = dy > 0.0 ? bx : ax;
    const double ly = dy > 0.0 ? by : ay;
    auto side = [&](size_t k, bool f) {
        const double vx = cap.vertices[k].x;
        const double vy = cap.vertices[k].y;
        const double dir = f == (dy > 0.0) ? 1.0 : -1.0;
        addEdge(ux + vx, uy + vy, lx + vx, ly + vy, sideDxdy, dir * sideSlope, dir);
    };
    if (n <= 64) {
        // A vertex changes facing where its two edges differ.
        const uint64_t before = (facing << 1 | facing >> (n - 1)) & (~uint64_t{0} >> (64 - n));
        for (uint64_t change = facing ^ before; change != 0; change &= change - 1) {
            const auto k = static_cast<size_t>(std::countr_zero(change));
            side(k, ((facing >> k) & 1u) != 0);
        }
        return;
    }
    bool prevFront = faces(n - 1);
    for (size_t k = 0; k < n; ++k) {
        const bool f = faces(k);
        if (f != prevFront) {
            side(k, f);
        }
        prevFront = f;
    }
}

// Adds an edge (in the band's frame, within `rows` rows of `rowCells` cells) to the cells.
// `Stride`, when not 0, is the row length known beforehand.
template <size_t Stride = 0>
inline void AddEdge(double *cells, size_t rowLength, int rows, double x0, double y0, double x1,
                    double y1, double dxdy, double slope, double dir)
{
    const size_t rowCells = Stride != 0 ? Stride : rowLength;
    // The frame starts at the band's top row; rounding may put an end a hair outside it.
    auto j = std::min(static_cast<int>(std::max(y0, 0.0)), rows - 1);
    if (y1 <= j + 1.0) {
        AddPiece(cells + static_cast<size_t>(j) * rowCells, x0, x1, dir * (y1 - y0), slope);
        return;
    }
    // Across rows: x where the edge crosses each row line, from its upper end, so that a
    // row's pieces do not depend on which rows are drawn.
    double ya = y0;
    double xa = x0;
    for (; ya < y1 && j < rows; ++j) {
        const double yb = std::min(y1, j + 1.0);
        const double xb = yb == y1 ? x1 : x0 + (yb - y0) * dxdy;
        AddPiece(cells + static_cast<size_t>(j) * rowCells, xa, xb, dir * (yb - ya), slope);
        ya = yb;
        xa = xb;
    }
}

} // namespace

// The cap polygon for the radius of the bands being drawn, scaled to it.
struct CoverageRaster::Cap : CapPolygon {};

CoverageRaster::CoverageRaster(const CoverageRows &rows)
    : m_rows(rows), m_cap(std::make_unique<Cap>()),
      m_prefetch(static_cast<double>(rows.rowEnd - rows.rowBegin) * rows.width * 4.0 >
                 PrefetchBytes)
{
}

CoverageRaster::~CoverageRaster() = default;

void CoverageRaster::Band(double x0, double y0, double x1, double y1, double r, uint32_t argb)
{
    // Nothing of the band in the rows drawn, by a reach no cap polygon exceeds (NaN fails
    // every comparison, and is dropped below).
    if (!(std::max(y0, y1) + 1.1 * r > m_rows.rowBegin &&
          std::min(y0, y1) - 1.1 * r < m_rows.rowEnd)) {
        return;
    }
    // Only finite bands are drawn.
    if (!(r > 0.0 && r < MaxCoordinate && std::fabs(x0) < MaxCoordinate &&
          std::fabs(y0) < MaxCoordinate && std::fabs(x1) < MaxCoordinate &&
          std::fabs(y1) < MaxCoordinate)) {
        return;
    }
    if (r != m_capRadius) {
        // Consecutive bands mostly share their radius; the copy keeps its vectors' room.
        Cap &cap = *m_cap;
        static_cast<CapPolygon &>(cap) = CapFor(r);
        cap.extent *= r;
        for (Offset &v : cap.vertices) {
            v = {v.x * r, v.y * r};
        }
        for (CapPolygon::Edge &e : cap.slanted) {
            e.x0 *= r;
            e.y0 *= r;
            e.x1 *= r;
            e.y1 *= r;
        }
        m_capRadius = r;
    }
    const CapPolygon &cap = *m_cap;
    // The polygon's reach beyond the segment's box, the same in x and y.
    const double extent = cap.extent;
    const double left = std::min(x0, x1) - extent;
    const double right = std::max(x0, x1) + extent;
    const double top = std::min(y0, y1) - extent;
    const double bottom = std::max(y0, y1) + extent;
    // Nothing of the band in the rows or columns drawn.
    const auto width = static_cast<double>(m_rows.width);
    if (!(bottom > m_rows.rowBegin && top < m_rows.rowEnd && right > 0.0 && left < width)) {
        return;
    }
    // The band's own frame: from the pixel at its top left (or the image's left side), so
    // that its coordinates are small and not negative.
    const int col0 = std::max(Floor(left), 0);
    const int row0 = Floor(top);
    const int cols = Ceil(std::min(right, width)) - col0;
    const int rows = Ceil(bottom) - row0;
    const double ax = x0 - col0;
    const double ay = y0 - row0;
    const double bx = x1 - col0;
    const double by = y1 - row0;
    const uint32_t src = argb | 0xFF000000u;
    const auto rowCells = static_cast<size_t>(cols + RowSlack);
    const bool clipped = left < 0.0 || right > width;
    if (!clipped && static_cast<size_t>(rows) * rowCells <= MaxCells) {
        // The common small band: its edges go straight into the cells.
        if (m_cells.size() < MaxCells) {
            m_cells.resize(MaxCells, 0.0);
        }
        double *const cells = m_cells.data();
#if defined(__SSE2__)
        if (m_prefetch) {
            // The band's pixels, which an image far larger than the caches mostly has to
            // fetch from memory, asked for while its outline is being accumulated.
            const int j1 = std::min(row0 + rows, m_rows.rowEnd);
            for (int j = std::max(row0, m_rows.rowBegin); j < j1; ++j) {
                const uint32_t *p = m_rows.bits + j * m_rows.stride + col0;
                _mm_prefetch(reinterpret_cast<const char *>(p), _MM_HINT_T0);
                _mm_prefetch(reinterpret_cast<const char *>(p + cols - 1), _MM_HINT_T0);
            }
        }
#endif
        if (cap.n == 8 && static_cast<size_t>(cols + RowSlack) <= TileStride &&
            static_cast<size_t>(rows) * TileStride <= MaxCells) {
            // The thinnest bands, most of those of a deep tree: eight vertices, and rows of a
            // length fixed beforehand.
            CapsuleEdges<8>(cap, ax, ay, bx, by,
                            [&](double ex0, double ey0, double ex1, double ey1, double dxdy,
                                double slope, double dir) {
                                AddEdge<TileStride>(cells, TileStride, rows, ex0, ey0, ex1, ey1,
                                                    dxdy, slope, dir);
                            });
            CompositeCells<true>(col0, row0, cols, rows, TileStride, src);
            return;
        }
        CapsuleEdges<0>(cap, ax, ay, bx, by,
                        [&](double ex0, double ey0, double ex1, double ey1, double dxdy,
                            double slope, double dir) {
                            AddEdge(cells, rowCells, rows, ex0, ey0, ex1, ey1, dxdy, slope, dir);
                        });
        CompositeCells<false>(col0, row0, cols, rows, rowCells, src);
        return;
    }
    const size_t n = cap.slanted.size() + 2;
    if (m_edges.size() < n) {
        m_edges.resize(n);
    }
    m_edgeCount = 0;
    CapsuleEdges<0>(cap, ax, ay, bx, by,
                 [&](double ex0, double ey0, double ex1, double ey1, double dxdy, double slope,
                     double dir) {
                     m_edges[m_edgeCount++] = {ex0, ey0, ex1, ey1, dxdy, slope, dir};
                 });
    if (clipped) {
        ClipEdgesX(width - col0);
    }
    FillEdges(col0, row0, cols, rows, src);
}

template <bool Tile>
void CoverageRaster::CompositeCells(int col0, int row0, int cols, int rows, size_t rowCells,
                                    uint32_t src)
{
    const Over over(src);
    // Rows of the band's frame the raster owns are composited, the others only cleared.
    const int first = std::max(row0, m_rows.rowBegin) - row0;
    const int last = std::min(row0 + rows, m_rows.rowEnd) - row0;
    for (int j = 0; j < rows; ++j) {
        double *row = m_cells.data() + static_cast<size_t>(j) * rowCells;
        if (j >= first && j < last) {
            uint32_t *pixels = m_rows.bits + (row0 + j) * m_rows.stride + col0;
            if (Tile) {
                CompositeTileRow(pixels, row, cols, over);
            } else {
                CompositeRow<true>(pixels, row, cols, over);
            }
        } else {
            std::fill(row, row + rowCells, 0.0);
        }
    }
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
    const Over over(src);
    const auto i0 = static_cast<int>(left);
    const int i1 = Ceil(right);
    for (auto j = static_cast<int>(top); j < bottom; ++j) {
        const double cy = std::min(bottom, j + 1.0) - std::max(top, static_cast<double>(j));
        uint32_t *row = m_rows.bits + j * m_rows.stride;
        if (i1 - i0 == 1) {
            over(row[i0], AlphaOf((right - left) * cy));
            continue;
        }
        // The end pixels by their share; those between wholly across.
        over(row[i0], AlphaOf((i0 + 1 - left) * cy));
        over(row[i1 - 1], AlphaOf((right - (i1 - 1)) * cy));
        const uint32_t a = AlphaOf(cy);
        if (a == 255u) {
            std::fill(row + i0 + 1, row + i1 - 1, src);
        } else {
            for (int i = i0 + 1; i < i1 - 1; ++i) {
                over(row[i], a);
            }
        }
    }
}

void CoverageRaster::ClipEdgesX(double right)
{
    // An edge's part left of the image is moved onto its left side (its area still counts
    // for the pixels right of it), its part right of the image onto the right side (where it
    // reaches no pixel): each edge splits where it crosses a side.
    m_clipped.clear();
    for (size_t k = 0; k < m_edgeCount; ++k) {
        const Edge e = m_edges[k];
        double cuts[2];
        int cutCount = 0;
        for (const double side : {0.0, right}) {
            if ((e.x0 - side) * (e.x1 - side) < 0.0) {
                cuts[cutCount++] = std::clamp(e.y0 + (side - e.x0) / e.dxdy, e.y0, e.y1);
            }
        }
        if (cutCount == 2 && cuts[0] > cuts[1]) {
            std::swap(cuts[0], cuts[1]);
        }
        double ya = e.y0;
        double xa = e.x0;
        for (int c = 0; c <= cutCount; ++c) {
            const double yb = c < cutCount ? cuts[c] : e.y1;
            const double xb = c < cutCount ? e.x0 + (yb - e.y0) * e.dxdy : e.x1;
            // The piece lies on one side of each bound; its middle tells which.
            const double mid = 0.5 * (xa + xb);
            Edge piece = e;
            piece.y0 = ya;
            piece.y1 = yb;
            if (mid < 0.0 || mid > right) {
                piece.x0 = piece.x1 = mid < 0.0 ? 0.0 : right;
                piece.dxdy = 0.0;
                piece.slope = 0.0;
            } else {
                piece.x0 = std::clamp(xa, 0.0, right);
                piece.x1 = std::clamp(xb, 0.0, right);
            }
            if (piece.y1 > piece.y0) {
                m_clipped.push_back(piece);
            }
            ya = yb;
            xa = xb;
        }
    }
    if (m_edges.size() < m_clipped.size()) {
        m_edges.resize(m_clipped.size());
    }
    std::copy(m_clipped.begin(), m_clipped.end(), m_edges.begin());
    m_edgeCount = m_clipped.size();
}

void CoverageRaster::FillEdges(int col0, int row0, int cols, int rows, uint32_t src)
{
    // Rows of the band's frame to composite: those the raster owns.
    const int first = std::max(row0, m_rows.rowBegin) - row0;
    const int last = std::min(row0 + rows, m_rows.rowEnd) - row0;
    if (cols <= 0 || first >= last) {
        return;
    }
    const auto rowCells = static_cast<size_t>(cols + RowSlack);
    const double maxX = cols; // the last column's right side
    // Local x stays in the cells whatever the rounding of the band's box.
    auto local = [&](double x) { return std::clamp(x, 0.0, maxX); };
    auto pixelsOf = [&](int j) { return m_rows.bits + (row0 + j) * m_rows.stride + col0; };

    if (static_cast<size_t>(rows) * rowCells <= MaxCells) {
        // Small: every row at once. Clipped edges lie within the columns.
        if (m_cells.size() < MaxCells) {
            m_cells.resize(MaxCells, 0.0);
        }
        for (size_t k = 0; k < m_edgeCount; ++k) {
            const Edge &e = m_edges[k];
            AddEdge(m_cells.data(), rowCells, rows, e.x0, e.y0, e.x1, e.y1, e.dxdy, e.slope,
                    e.dir);
        }
        CompositeCells<false>(col0, row0, cols, rows, rowCells, src);
        return;
    }

    // Large: passes of as many owned rows as fit, each edge cut to the pass's rows.
    const Over over(src);
    const int passRows = std::max(1, static_cast<int>(MaxCells / rowCells));
    const size_t need = static_cast<size_t>(passRows) * rowCells;
    if (m_cells.size() < need) {
        m_cells.resize(need, 0.0);
    }
    for (int pass = first; pass < last; pass += passRows) {
        const int passEnd = std::min(last, pass + passRows);
        auto cellsOf = [&](int j) {
            return m_cells.data() + static_cast<size_t>(j - pass) * rowCells;
        };
        for (size_t k = 0; k < m_edgeCount; ++k) {
            const Edge &e = m_edges[k];
            const int j0 = std::max(Floor(e.y0), pass);
            const int j1 = std::min(Ceil(e.y1), passEnd);
            auto xAt = [&](double y) {
                if (y <= e.y0) {
                    return local(e.x0);
                }
                if (y >= e.y1) {
                    return local(e.x1);
                }
                return local(e.x0 + (y - e.y0) * e.dxdy);
            };
            for (int j = j0; j < j1; ++j) {
                const double ya = std::max(e.y0, static_cast<double>(j));
                const double yb = std::min(e.y1, j + 1.0);
                AddPiece(cellsOf(j), xAt(ya), xAt(yb), e.dir * (yb - ya), e.slope);
            }
        }
        for (int j = pass; j < passEnd; ++j) {
            CompositeRow<false>(pixelsOf(j), cellsOf(j), cols, over);
        }
    }
}

namespace {

// The smooth drawing as a kernel of the shared traversal (raster::Traverse): the same walk
// over the picture, device mapping, skip of what a band that covers the image hides, and
// bands of rows for two threads as the classic drawing, each band composited by its covered
// share. It draws front to back only: compositing does not take colours in the other order.
class CoverageKernel {
public:
    static constexpr bool CanDrawBackToFront = false;

    CoverageKernel(QImage &image, raster::Rows rows, bool backToFront)
        : m_raster(RowsOf(image, rows))
    {
        Q_UNUSED(backToFront);
    }

    // A band covers the whole image when every pixel square lies inside it, with room for
    // the cap polygon's outline, which keeps within 0.03 pixels of the circle: then each pixel
    // gets its colour fully and nothing under it shows.
    static bool Covers(const raster::Band &band, int w, int h)
    {
        return raster::BandHolds(band.line, Radius(band) - 0.05, 0.0, 0.0, w, h);
    }

    void Fill(uint32_t argb, double right, double bottom)
    {
        m_raster.Rect(0.0, 0.0, right, bottom, argb);
    }

    void Draw(const raster::Band &band)
    {
        const raster::DeviceLine &l = band.line;
        m_raster.Band(l.x0, l.y0, l.x1, l.y1, Radius(band), band.argb);
    }

    bool Done() const { return false; }

private:
    // A pen of width 0 is the thinnest line: a band one pixel wide whatever the stretch.
    static double Radius(const raster::Band &band) { return band.cosmetic ? 0.5 : band.width / 2.0; }

    static CoverageRows RowsOf(QImage &image, raster::Rows rows)
    {
        CoverageRows r;
        r.bits = reinterpret_cast<uint32_t *>(image.bits());
        r.stride = image.bytesPerLine() / 4;
        r.width = image.width();
        r.rowBegin = rows.top;
        r.rowEnd = rows.bottom;
        return r;
    }

    CoverageRaster m_raster;
};

} // namespace

void RasterizeTreePictureSmoothRows(QImage &image, const TreePicture &pic, raster::Rows rows)
{
    raster::Traverse<CoverageKernel>(image, pic, RasterOrder::FrontToBack, rows);
}

bool RasterizeTreePictureSmooth(QImage &image, const TreePicture &pic)
{
    const QImage::Format f = image.format();
    if (!raster::DrawsOn(f)) {
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
    raster::Traverse<CoverageKernel>(image, pic, RasterOrder::FrontToBack);
    if (straightAlpha) {
        image.convertTo(QImage::Format_ARGB32);
    }
    return true;
}

} // namespace ramulet
