#include "view/picture.h"

#include "core/clip.h"
#include "core/outputfile.h"
#include "core/pathbytes.h"
#include "core/parallel.h"

#include "view/coverage.h"
#include "view/pngwriter.h"
#include "view/rasterize.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPolygonF>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace ramulet {

namespace {

// Extra clip margin in picture units beyond half the pen width: covers the one-pixel cosmetic
// line and antialiasing whenever a device pixel is smaller than this many picture units.
constexpr long double ClipSlack = 64.0L;

// Lines per SVG path element, so that no single attribute grows without bound.
constexpr uint32_t SvgLinesPerPath = 4096;

// Round to nearest, halves to even, for |v| < 2^63: the x87 conversion in its rounding mode,
// which the program never changes from round-to-nearest-even (what RoundEven does, without a
// library call). NaN and values out of range give INT64_MIN, the x87 "integer indefinite".
static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended reals expected");
inline int64_t RoundX87(long double v)
{
    int64_t r;
    __asm__("fistpll %0" : "=m"(r) : "t"(v) : "st");
    return r;
}

// A clipped coordinate: within the frame plus the margin, inside 32 bits for any frame of
// up to 2^30 - 64 units; saturated beyond that.
inline int32_t RoundCoordinate(long double v)
{
    const int64_t r = RoundX87(v);
    if (r == std::numeric_limits<int64_t>::min()) {
        return v > 0.0L ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(std::clamp<int64_t>(r, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

// Round(PenWidthSetting x widthFactor); `saturated` is set when that is above MaxPenWidth.
inline int32_t PenWidthOf(int32_t penWidthSetting, long double widthFactor, bool &saturated)
{
    const long double w = static_cast<long double>(penWidthSetting) * widthFactor;
    saturated = false;
    // A negative width cannot be drawn; the thinnest line stands in for it (and for NaN).
    if (!(w > 0.0L)) {
        return 0;
    }
    // MaxPenWidth is even, so MaxPenWidth + 0.5 still rounds to it.
    if (!(w <= MaxPenWidth + 0.5L)) {
        saturated = true;
        return MaxPenWidth;
    }
    return static_cast<int32_t>(RoundX87(w));
}

// A band wider than MaxPenWidth, from (x0, y0) to (x1, y1) in picture units with the true
// half-width `half`, recorded at MaxPenWidth instead. Returns false when it cannot reach the
// frame. A band that covers the whole frame becomes a dot at the frame's centre (which the
// narrower band covers too); any other is moved toward the frame's centre by the difference
// of the half-widths. The narrower band then lies inside the true one and touches its edge
// where that edge is nearest the centre, so inside the frame the two differ by less than
// (frame diagonal)^2 / (2 x MaxPenWidth / 2) units.
bool NarrowWideBand(long double &x0, long double &y0, long double &x1, long double &y1,
                    long double half, long double frameH)
{
    const long double cx = PictureWidth / 2.0L;
    const long double cy = frameH / 2.0L;
    const long double halfDiagonal = std::hypot(static_cast<long double>(PictureWidth), frameH) / 2.0L;
    const long double dx = x1 - x0;
    const long double dy = y1 - y0;
    const long double len2 = dx * dx + dy * dy;
    long double t = len2 > 0.0L ? ((cx - x0) * dx + (cy - y0) * dy) / len2 : 0.0L;
    t = std::clamp(t, 0.0L, 1.0L);
    const long double ux = cx - (x0 + t * dx);
    const long double uy = cy - (y0 + t * dy);
    const long double toCentre = std::hypot(ux, uy);
    if (!(toCentre - halfDiagonal <= half)) {
        return false; // also a band of coordinates that are not finite
    }
    if (toCentre + halfDiagonal <= half) {
        x0 = x1 = cx;
        y0 = y1 = cy;
        return true;
    }
    const long double shift = (half - MaxPenWidth / 2.0L) / toCentre;
    x0 += shift * ux;
    y0 += shift * uy;
    x1 += shift * ux;
    y1 += shift * uy;
    return true;
}

QPen MakePen(TColor color, int32_t width)
{
    QPen pen(ToQColor(color));
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (width <= 0) {
        // The thinnest line the surface has: one device pixel whatever the stretch.
        pen.setWidth(0);
        pen.setCosmetic(true);
    } else if (width > MaxQPenWidth) {
        // Beyond what a pen takes: drawn as a filled outline in the pen's colour.
        pen.setCosmetic(false);
    } else {
        pen.setWidth(width);
        pen.setCosmetic(false);
    }
    return pen;
}

void AppendInt(QByteArray &out, int64_t v)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<qsizetype>(res.ptr - buf));
}

void AppendHexColor(QByteArray &out, TColor c)
{
    static const char digits[] = "0123456789abcdef";
    const unsigned channels[3] = {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu};
    out.append('#');
    for (unsigned ch : channels) {
        out.append(digits[ch >> 4]);
        out.append(digits[ch & 0xFu]);
    }
}

// A reason the window shows: in English here and on the command line, in the window's
// language there.
QString Reason(const char *text)
{
    return QCoreApplication::translate("ramulet::TreePicture", text);
}

QSize PictureImageSize(const TreePicture &pic, QSize size)
{
    if (size.width() > 0 && size.height() > 0) {
        return size;
    }
    // No view size given: one pixel per ten picture units.
    return {PictureWidth / 10, std::max(1, pic.pictureHeight() / 10)};
}

} // namespace

QColor ToQColor(TColor c)
{
    return QColor(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu),
                  static_cast<int>((c >> 16) & 0xFFu));
}

TColor FromQColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return static_cast<TColor>(rgb.red()) | (static_cast<TColor>(rgb.green()) << 8) |
           (static_cast<TColor>(rgb.blue()) << 16);
}

void BuildColorRamp(ColorRampTable &ramp, const DrawSettings &s, int32_t depth)
{
    const int32_t d = std::clamp(depth, 1, MaxDepth);
    const long double steps = static_cast<long double>(d + 1);
    auto channel = [](TColor c, int shift) {
        return static_cast<long double>((c >> shift) & 0xFFu);
    };
    for (int32_t i = 0; i <= d + 1; ++i) {
        const long double t = static_cast<long double>(i) / steps;
        uint32_t value = 0x02000000u;
        for (int shift : {0, 8, 16}) {
            const int32_t blended =
                RoundEven(channel(s.TrunkColor, shift) * t + channel(s.TipColor, shift) * (1.0L - t));
            value += (static_cast<uint32_t>(blended) & 0xFFu) << shift;
        }
        ramp[static_cast<size_t>(i)] = value;
    }
}

int32_t SegmentPenWidth(int32_t penWidthSetting, long double widthFactor)
{
    bool saturated = false;
    return PenWidthOf(penWidthSetting, widthFactor, saturated);
}

QRect TreePicture::backgroundRect() const
{
    // (0, 0)-(8500, PictureHeight + 500): 500 units past the frame's right and bottom edges.
    return QRect(QPoint(0, 0), QPoint(PictureWidth + 500, m_pictureHeight + 500))
        .adjusted(0, 0, -1, -1);
}

namespace {

// The points of the line y = yc within r of the segment (ax, ay)-(bx, by) form one interval
// [lo, hi] (empty when lo > hi): the hull of what the two end discs and the straight band
// contribute.
void CapsuleSpan(long double ax, long double ay, long double bx, long double by, long double r,
                 long double yc, long double &lo, long double &hi)
{
    lo = INFINITY;
    hi = -INFINITY;
    auto disc = [&](long double cx, long double cy) {
        const long double q = r * r - (yc - cy) * (yc - cy);
        if (q >= 0.0L) {
            const long double half = std::sqrt(q);
            lo = std::min(lo, cx - half);
            hi = std::max(hi, cx + half);
        }
    };
    disc(ax, ay);
    disc(bx, by);
    const long double dx = bx - ax;
    const long double dy = by - ay;
    const long double len2 = dx * dx + dy * dy;
    if (!(len2 > 0.0L)) {
        return;
    }
    // Band: |dx (yc - ay) - dy (x - ax)| <= r len and 0 <= (x - ax) dx + (yc - ay) dy <= len2.
    const long double len = std::sqrt(len2);
    long double bl = -INFINITY;
    long double bh = INFINITY;
    const long double c = dx * (yc - ay);
    if (dy != 0.0L) {
        const long double p = ax + (c - r * len) / dy;
        const long double q = ax + (c + r * len) / dy;
        bl = std::min(p, q);
        bh = std::max(p, q);
    } else if (std::fabs(c) > r * len) {
        return;
    }
    const long double e = (yc - ay) * dy;
    if (dx != 0.0L) {
        const long double p = ax - e / dx;
        const long double q = ax + (len2 - e) / dx;
        bl = std::max(bl, std::min(p, q));
        bh = std::min(bh, std::max(p, q));
    } else if (e < 0.0L || e > len2) {
        return;
    }
    if (bl <= bh) {
        lo = std::min(lo, bl);
        hi = std::max(hi, bh);
    }
}

long double DistanceToSegment(long double px, long double py, const QLine &l)
{
    const long double dx = static_cast<long double>(l.x2()) - l.x1();
    const long double dy = static_cast<long double>(l.y2()) - l.y1();
    const long double len2 = dx * dx + dy * dy;
    long double t = len2 > 0.0L ? ((px - l.x1()) * dx + (py - l.y1()) * dy) / len2 : 0.0L;
    t = std::clamp(t, 0.0L, 1.0L);
    return std::hypot(px - (l.x1() + t * dx), py - (l.y1() + t * dy));
}

// The band of half-width r around `l` (round ends), as far as it lies in `box`: a convex
// polygon through its exact boundary points on the box's edges and on lines across the box
// no more than sqrt(0.4 r) apart, and through the box corners it covers. Between those
// points the true edge, whose curvature is at most 1 / r, strays from the polygon's sides by
// less than 0.1 units; its only corners lie on the box's edges.
QPolygonF BandOutline(const QLine &l, long double r, const ClipRect &box)
{
    struct Pt {
        long double x, y;
    };
    std::vector<Pt> pts;
    const long double ax = l.x1(), ay = l.y1(), bx = l.x2(), by = l.y2();
    const long double step = std::max(1.0L, std::sqrt(0.4L * r));
    auto lines = [&](long double from, long double to, auto &&visit) {
        const long double n = std::ceil((to - from) / step);
        for (long double i = 0.0L; i <= n; i += 1.0L) {
            visit(i < n ? from + (to - from) * i / n : to);
        }
    };
    lines(box.top, box.bottom, [&](long double y) {
        long double lo, hi;
        CapsuleSpan(ax, ay, bx, by, r, y, lo, hi);
        lo = std::max(lo, box.left);
        hi = std::min(hi, box.right);
        if (lo <= hi) {
            pts.push_back({lo, y});
            pts.push_back({hi, y});
        }
    });
    lines(box.left, box.right, [&](long double x) {
        long double lo, hi;
        CapsuleSpan(ay, ax, by, bx, r, x, lo, hi); // the same with the axes swapped
        lo = std::max(lo, box.top);
        hi = std::min(hi, box.bottom);
        if (lo <= hi) {
            pts.push_back({x, lo});
            pts.push_back({x, hi});
        }
    });
    for (const long double x : {box.left, box.right}) {
        for (const long double y : {box.top, box.bottom}) {
            if (DistanceToSegment(x, y, l) <= r) {
                pts.push_back({x, y});
            }
        }
    }
    // The convex hull (monotone chain), counter-clockwise.
    std::sort(pts.begin(), pts.end(),
              [](const Pt &p, const Pt &q) { return p.x < q.x || (p.x == q.x && p.y < q.y); });
    auto cross = [](const Pt &o, const Pt &p, const Pt &q) {
        return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
    };
    std::vector<Pt> hull;
    for (int pass = 0; pass < 2; ++pass) {
        const size_t base = hull.size();
        for (size_t k = 0; k < pts.size(); ++k) {
            const Pt &p = pass == 0 ? pts[k] : pts[pts.size() - 1 - k];
            while (hull.size() >= base + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0.0L) {
                hull.pop_back();
            }
            hull.push_back(p);
        }
        hull.pop_back();
    }
    QPolygonF poly;
    if (hull.size() >= 3) {
        for (const Pt &p : hull) {
            poly << QPointF(static_cast<double>(p.x), static_cast<double>(p.y));
        }
    }
    return poly;
}

} // namespace

bool TreePicture::CoversFrame(const QLine &line, int32_t width) const
{
    // The band is convex: it covers the frame when it holds the frame's four corners.
    const long double r = width / 2.0L;
    for (const long double x : {0.0L, static_cast<long double>(PictureWidth)}) {
        for (const long double y : {0.0L, static_cast<long double>(m_pictureHeight)}) {
            if (!(DistanceToSegment(x, y, line) <= r)) {
                return false;
            }
        }
    }
    return true;
}

void TreePicture::FirstShown(size_t &firstRun, uint32_t &firstLine) const
{
    firstRun = 0;
    firstLine = 0;
    const long double diagonal =
        std::hypot(static_cast<long double>(PictureWidth), static_cast<long double>(m_pictureHeight));
    for (size_t ri = m_runs.size(); ri-- > 0;) {
        const PenRun &run = m_runs[ri];
        if (run.width < diagonal) {
            continue; // too narrow to cover the frame
        }
        for (uint32_t k = run.count; k-- > 0;) {
            if (CoversFrame(m_lines[run.first + k], run.width)) {
                firstRun = ri;
                firstLine = k;
                return;
            }
        }
    }
}

void TreePicture::Play(QPainter &painter) const
{
    if (m_hasBackground) {
        painter.fillRect(QRectF(0, 0, PictureWidth + 500, m_pictureHeight + 500),
                         ToQColor(m_backColor));
    }
    painter.setBrush(Qt::NoBrush);
    // Everything under a band that covers the frame is hidden by it.
    size_t firstRun = 0;
    uint32_t firstLine = 0;
    FirstShown(firstRun, firstLine);
    const ClipRect box{-ClipSlack, -ClipSlack, PictureWidth + ClipSlack, m_pictureHeight + ClipSlack};
    for (size_t ri = firstRun; ri < m_runs.size(); ++ri) {
        const PenRun &run = m_runs[ri];
        const uint32_t from = ri == firstRun ? firstLine : 0;
        const QLine *lines = m_lines.data() + run.first;
        if (run.width > MaxQPenWidth) {
            // Wider than any pen: the band's outline, filled.
            painter.setPen(Qt::NoPen);
            painter.setBrush(ToQColor(run.color));
            for (uint32_t k = from; k < run.count; ++k) {
                const QPolygonF outline = BandOutline(lines[k], run.width / 2.0L, box);
                if (!outline.isEmpty()) {
                    painter.drawPolygon(outline);
                }
            }
            painter.setBrush(Qt::NoBrush);
            continue;
        }
        painter.setPen(m_pens[run.pen]);
        painter.drawLines(lines + from, static_cast<int>(run.count - from));
    }
}

void TreePicture::PlayStretched(QPainter &painter, const QRectF &target) const
{
    if (m_pictureHeight <= 0 || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / PictureWidth, target.height() / m_pictureHeight);
    Play(painter);
    painter.restore();
}

Placement ComputePlacement(const Tseglines &store, const ViewState &view, bool autoFit)
{
    Placement pl;
    if (!autoFit) {
        return pl;
    }
    const TPointE a = view.ModelToPicture({store.minX, store.minY});
    const TPointE b = view.ModelToPicture({store.maxX, store.maxY});
    // A box of zero extent in one direction takes the factor 1 there. A difference that
    // vanishes only through underflow is treated the same way rather than divided by.
    const long double spanX = std::fabs(b.x - a.x);
    const long double spanY = std::fabs(b.y - a.y);
    const long double fx =
        (store.maxX != store.minX && spanX > 0.0L) ? PictureWidth / spanX : 1.0L;
    const long double fy =
        (store.maxY != store.minY && spanY > 0.0L) ? view.PictureHeight / spanY : 1.0L;
    pl.k = fy < fx ? 0.95L * fy : 0.95L * fx;
    pl.offX = (PictureWidth - pl.k * (a.x + b.x)) / 2.0L;
    pl.offY = (view.PictureHeight - pl.k * (a.y + b.y)) / 2.0L;
    return pl;
}

namespace {

// Stores at least this large are recorded in parts side by side.
constexpr int32_t SplitRecordAt = 16384;

// What every segment of one recording shares: the placement, ModelToPicture's constants
// hoisted (the same operations in the same order: ((x - cx) * s + ox) * f and
// (-s * (y - cy) + oy) * f, then k * p + off), the frame and the colour of each level.
struct RecordInput {
    const TSegLine *lines;
    long double cx, cy, sc, negSc, ox, oy, f;
    Placement pl;
    long double frameH;
    int64_t frameBottom;
    int32_t penWidthSetting;
    TColor colors[18];

    template <bool Identity>
    long double X(long double mx) const
    {
        const long double p = ((mx - cx) * sc + ox) * f;
        return Identity ? p : pl.k * p + pl.offX;
    }
    template <bool Identity>
    long double Y(long double my) const
    {
        // -s * (y - cy): the negation is exact, so it is taken once.
        const long double p = (negSc * (my - cy) + oy) * f;
        return Identity ? p : pl.k * p + pl.offY;
    }
};

// The lines and runs one half records; run.pen indexes `keys`, its own pens in the order
// they first appear.
struct RecordPart {
    std::vector<QLine> *lines = nullptr;
    std::vector<TreePicture::PenRun> *runs = nullptr;
    std::vector<uint64_t> keys;
    // The pen last used for each level: a level's colour is fixed, so only its width varies.
    int64_t cachedWidth[18];
    uint32_t cachedPen[18];

    void Reset(std::vector<QLine> &l, std::vector<TreePicture::PenRun> &r)
    {
        lines = &l;
        runs = &r;
        lines->clear();
        runs->clear();
        keys.clear();
        std::fill(std::begin(cachedWidth), std::end(cachedWidth), -1);
    }

    uint32_t PenFor(size_t level, TColor color, int32_t width)
    {
        if (cachedWidth[level] == width) {
            return cachedPen[level];
        }
        const uint64_t key = (uint64_t{color} << 32) | static_cast<uint32_t>(width);
        const auto found = std::find(keys.begin(), keys.end(), key);
        const auto pen = static_cast<uint32_t>(found - keys.begin());
        if (found == keys.end()) {
            keys.push_back(key);
        }
        cachedWidth[level] = width;
        cachedPen[level] = pen;
        return pen;
    }
};

// A segment that is not wholly and clearly inside the frame plus its margin: the placement
// again, clipped in 80-bit reals, bands wider than MaxPenWidth narrowed first.
template <bool Identity>
bool PlaceClipped(const RecordInput &in, const TSegLine &seg, int32_t width, bool saturated,
                  QLine &out)
{
    long double x0 = in.X<Identity>(seg.startPt.x);
    long double y0 = in.Y<Identity>(seg.startPt.y);
    long double x1 = in.X<Identity>(seg.endPt.x);
    long double y1 = in.Y<Identity>(seg.endPt.y);
    if (saturated) {
        const long double w = static_cast<long double>(in.penWidthSetting) * seg.widthFactor;
        if (!NarrowWideBand(x0, y0, x1, y1, std::nearbyint(w) / 2.0L, in.frameH)) {
            return false;
        }
    }
    // Whatever lies farther than half the pen from the frame cannot show in it.
    const long double margin = width / 2.0L + ClipSlack;
    if (!ClipSegment(x0, y0, x1, y1, {-margin, -margin, PictureWidth + margin, in.frameH + margin})) {
        return false;
    }
    out = QLine(RoundCoordinate(x0), RoundCoordinate(y0), RoundCoordinate(x1), RoundCoordinate(y1));
    return true;
}

// Whether two stored reals have the same bits (the 10 bytes of the 80-bit value), read as
// bytes: loading them as reals would send them through the x87 unit and back.
inline bool SameBits(const long double &a, const long double &b)
{
    uint64_t ma, mb;
    uint16_t ea, eb;
    std::memcpy(&ma, &a, 8);
    std::memcpy(&mb, &b, 8);
    std::memcpy(&ea, reinterpret_cast<const char *>(&a) + 8, 2);
    std::memcpy(&eb, reinterpret_cast<const char *>(&b) + 8, 2);
    return ma == mb && ea == eb;
}

inline bool SamePoint(const TPointE &a, const TPointE &b)
{
    return SameBits(a.x, b.x) && SameBits(a.y, b.y);
}

// Records segments [lo, hi) into `part`.
template <bool Identity>
void RecordRange(const RecordInput &in, int32_t lo, int32_t hi, RecordPart &part)
{
    std::vector<QLine> &lines = *part.lines;
    std::vector<TreePicture::PenRun> &runs = *part.runs;
    // The rounded points of the segment before: in a grown tree most segments start where
    // the one before starts (siblings) or ends (a first child), and the same bits round alike.
    int64_t startX = 0, startY = 0, endX = 0, endY = 0;
    for (int32_t i = lo; i < hi; ++i) {
        const TSegLine &seg = in.lines[i];
        bool saturated = false;
        const int32_t width = PenWidthOf(in.penWidthSetting, seg.widthFactor, saturated);
        const auto level = static_cast<size_t>(std::clamp(seg.level, 0, 17));
        const TColor color = in.colors[level];

        // The common case in integers: when the rounded coordinates lie inside the frame
        // grown by e = (width + 127) div 2, the exact ones lie within half a unit of them and
        // so inside the clip box (half the width plus 64): the segment is not clipped.
        int64_t X0, Y0;
        if (i > lo && SamePoint(seg.startPt, in.lines[i - 1].startPt)) {
            X0 = startX;
            Y0 = startY;
        } else if (i > lo && SamePoint(seg.startPt, in.lines[i - 1].endPt)) {
            X0 = endX;
            Y0 = endY;
        } else {
            X0 = RoundX87(in.X<Identity>(seg.startPt.x));
            Y0 = RoundX87(in.Y<Identity>(seg.startPt.y));
        }
        const int64_t X1 = RoundX87(in.X<Identity>(seg.endPt.x));
        const int64_t Y1 = RoundX87(in.Y<Identity>(seg.endPt.y));
        startX = X0;
        startY = Y0;
        endX = X1;
        endY = Y1;
        const int64_t e = (int64_t{width} + 127) / 2;
        const int64_t right = PictureWidth + e;
        const int64_t bottom = in.frameBottom + e;
        QLine line;
        if (!saturated && X0 >= -e && X0 <= right && X1 >= -e && X1 <= right && Y0 >= -e &&
            Y0 <= bottom && Y1 >= -e && Y1 <= bottom) {
            line = QLine(static_cast<int>(X0), static_cast<int>(Y0), static_cast<int>(X1),
                         static_cast<int>(Y1));
        } else if (!PlaceClipped<Identity>(in, seg, width, saturated, line)) {
            continue;
        }
        const int32_t lineTop = std::min(line.y1(), line.y2());
        const int32_t lineBottom = std::max(line.y1(), line.y2());
        if (runs.empty() || runs.back().color != color || runs.back().width != width) {
            runs.push_back({color, width, static_cast<uint32_t>(lines.size()), 0,
                            part.PenFor(level, color, width), lineTop, lineBottom});
        } else {
            TreePicture::PenRun &run = runs.back();
            run.top = std::min(run.top, lineTop);
            run.bottom = std::max(run.bottom, lineBottom);
        }
        ++runs.back().count;
        lines.push_back(line);
    }
}

void RecordPartOf(const RecordInput &in, int32_t lo, int32_t hi, RecordPart &part)
{
    const bool identity = in.pl.k == 1.0L && in.pl.offX == 0.0L && in.pl.offY == 0.0L;
    if (identity) {
        RecordRange<true>(in, lo, hi, part);
    } else {
        RecordRange<false>(in, lo, hi, part);
    }
}

} // namespace

// How many parts of a large store are recorded side by side.
constexpr int RecordParts = 8;

struct PictureRecorder::Part {
    struct Buffers {
        std::vector<QLine> lines;
        std::vector<TreePicture::PenRun> runs;
    };
    std::vector<Buffers> buffers;
    std::vector<RecordPart> parts;
};

PictureRecorder::PictureRecorder() : m_parts(std::make_unique<Part>()) {}

PictureRecorder::~PictureRecorder() = default;

TreePicture &PictureRecorder::FreePicture()
{
    // A picture nobody else holds is refilled in place, keeping its buffers.
    for (auto &p : m_pool) {
        if (p && p.use_count() == 1) {
            m_last = p;
            return *p;
        }
    }
    auto &slot = m_pool[0] && !m_pool[1] ? m_pool[1] : m_pool[0];
    slot = std::make_shared<TreePicture>();
    m_last = slot;
    return *slot;
}

std::shared_ptr<const TreePicture> PictureRecorder::Record(const Tseglines &store,
                                                           const ViewState &view,
                                                           const DrawSettings &s,
                                                           const ColorRampTable &ramp,
                                                           bool autoFit)
{
    TreePicture &pic = FreePicture();
    const int32_t count = std::max(0, store.Count());
    std::vector<int32_t> bounds{0};
    const int parts = count < SplitRecordAt ? 1 : RecordParts;
    for (int part = 1; part <= parts; ++part) {
        bounds.push_back(static_cast<int32_t>(int64_t{count} * part / parts));
    }
    RecordInto(pic, store, view, s, ramp, autoFit, bounds, nullptr);
    return std::move(m_last);
}

std::shared_ptr<const TreePicture> PictureRecorder::RecordAsGrown(
    const Tseglines &store, const ViewState &view, const DrawSettings &s,
    const ColorRampTable &ramp, const std::vector<int32_t> &bounds,
    const std::function<void(int)> &grow)
{
    TreePicture &pic = FreePicture();
    RecordInto(pic, store, view, s, ramp, false, bounds, &grow);
    return std::move(m_last);
}

void PictureRecorder::RecordInto(TreePicture &pic, const Tseglines &store, const ViewState &view,
                                 const DrawSettings &s, const ColorRampTable &ramp, bool autoFit,
                                 const std::vector<int32_t> &bounds,
                                 const std::function<void(int)> *grow)
{
    pic.m_pictureHeight = view.PictureHeight;
    pic.m_viewWidth = view.viewWidth;
    pic.m_backColor = s.BackColor & 0xFFFFFFu;
    pic.m_hasBackground = pic.m_backColor != White;
    pic.m_pens.clear();

    RecordInput in;
    in.lines = store.data();
    in.cx = view.ViewCenter.x;
    in.cy = view.ViewCenter.y;
    in.sc = view.ViewScale;
    in.negSc = -view.ViewScale;
    in.ox = view.ViewOrigin.x;
    in.oy = view.ViewOrigin.y;
    in.f = view.PictureFactor;
    in.pl = ComputePlacement(store, view, autoFit);
    in.frameH = view.PictureHeight;
    in.frameBottom = view.PictureHeight;
    in.penWidthSetting = s.PenWidthSetting;
    for (size_t level = 0; level < 18; ++level) {
        in.colors[level] = ramp[level] & 0xFFFFFFu;
    }

    // Parts side by side, part 0 into the picture and the others into buffers of their own;
    // each is then appended to the picture, its pens and line indices renumbered and a run
    // that goes on across the boundary joined, which gives exactly the picture one pass makes.
    const int parts = static_cast<int>(bounds.size()) - 1;
    Part &scratch = *m_parts;
    scratch.buffers.resize(static_cast<size_t>(std::max(parts, 1)));
    scratch.parts.resize(static_cast<size_t>(std::max(parts, 1)));
    RecordPart &first = scratch.parts[0];
    first.Reset(pic.m_lines, pic.m_runs);
    for (size_t part = 1; part < scratch.parts.size(); ++part) {
        scratch.parts[part].Reset(scratch.buffers[part].lines, scratch.buffers[part].runs);
    }
    pic.m_lines.reserve(static_cast<size_t>(std::max(0, bounds.back())));
    RunJobs(parts, [&](int part) {
        if (grow != nullptr) {
            (*grow)(part);
        }
        RecordPart &p = scratch.parts[static_cast<size_t>(part)];
        const int32_t lo = bounds[static_cast<size_t>(part)];
        const int32_t hi = bounds[static_cast<size_t>(part) + 1];
        p.lines->reserve(static_cast<size_t>(std::max(0, hi - lo)));
        RecordPartOf(in, lo, hi, p);
    });
    std::vector<uint32_t> penOf;
    for (int part = 1; part < parts; ++part) {
        const RecordPart &later = scratch.parts[static_cast<size_t>(part)];
        penOf.resize(later.keys.size());
        for (size_t k = 0; k < later.keys.size(); ++k) {
            const auto found = std::find(first.keys.begin(), first.keys.end(), later.keys[k]);
            penOf[k] = static_cast<uint32_t>(found - first.keys.begin());
            if (found == first.keys.end()) {
                first.keys.push_back(later.keys[k]);
            }
        }
        const auto offset = static_cast<uint32_t>(pic.m_lines.size());
        const std::vector<TreePicture::PenRun> &runs = *later.runs;
        size_t from = 0;
        if (!pic.m_runs.empty() && !runs.empty() && pic.m_runs.back().color == runs.front().color &&
            pic.m_runs.back().width == runs.front().width) {
            TreePicture::PenRun &joined = pic.m_runs.back();
            joined.count += runs.front().count;
            joined.top = std::min(joined.top, runs.front().top);
            joined.bottom = std::max(joined.bottom, runs.front().bottom);
            from = 1;
        }
        for (size_t r = from; r < runs.size(); ++r) {
            TreePicture::PenRun run = runs[r];
            run.first += offset;
            run.pen = penOf[run.pen];
            pic.m_runs.push_back(run);
        }
        pic.m_lines.insert(pic.m_lines.end(), later.lines->begin(), later.lines->end());
    }
    pic.m_pens.reserve(first.keys.size());
    for (const uint64_t key : first.keys) {
        pic.m_pens.push_back(MakePen(static_cast<TColor>(key >> 32), static_cast<int32_t>(key & 0xFFFFFFFFu)));
    }
}

std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit)
{
    PictureRecorder recorder;
    return recorder.Record(store, view, s, ramp, autoFit);
}

bool RasterizePicture(QImage &image, const TreePicture &pic, bool smooth)
{
    return smooth ? RasterizeTreePictureSmooth(image, pic) : RasterizeTreePicture(image, pic);
}

void ShowTreePicture(QImage &viewImage, const TreePicture &pic, TColor backColor, bool smooth)
{
    if (viewImage.isNull()) {
        return;
    }
    if ((backColor & 0xFFFFFFu) == White) {
        viewImage.fill(Qt::white);
    }
    if (RasterizePicture(viewImage, pic, smooth)) {
        return;
    }
    // An image format the direct scan conversions do not handle: the same picture through
    // QPainter, antialiased when smooth.
    QPainter painter(&viewImage);
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    pic.PlayStretched(painter, QRectF(0, 0, viewImage.width(), viewImage.height()));
}

QByteArray TreePictureToSvg(const TreePicture &pic)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(512 + pic.lines().size() * 24));
    const int32_t h = pic.pictureHeight();
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"8000\" height=\"");
    AppendInt(out, h);
    out.append("\" viewBox=\"0 0 8000 ");
    AppendInt(out, h);
    out.append("\">\n<title>Ramulet</title>\n");
    if (pic.hasBackground()) {
        out.append("<rect x=\"0\" y=\"0\" width=\"8500\" height=\"");
        AppendInt(out, int64_t{h} + 500);
        out.append("\" fill=\"");
        AppendHexColor(out, pic.backColor());
        out.append("\"/>\n");
    }
    out.append("<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n");
    const QByteArray onePixel = QByteArray::number(
        static_cast<double>(PictureWidth) / (pic.viewWidth() > 0 ? pic.viewWidth() : 800), 'g', 6);
    const auto &lines = pic.lines();
    for (const TreePicture::PenRun &run : pic.runs()) {
        for (uint32_t start = 0; start < run.count; start += SvgLinesPerPath) {
            const uint32_t end = std::min(run.count, start + SvgLinesPerPath);
            out.append("<path stroke=\"");
            AppendHexColor(out, run.color);
            if (run.width <= 0) {
                // The thinnest line: one pixel of the view the picture was made for, in
                // picture units, so that it shows at that size in every renderer (SVG 1.1
                // has no non-scaling stroke, and librsvg ignores it).
                out.append("\" stroke-width=\"");
                out.append(onePixel);
            } else {
                out.append("\" stroke-width=\"");
                AppendInt(out, run.width);
            }
            out.append("\" d=\"");
            for (uint32_t i = start; i < end; ++i) {
                const QLine &l = lines[run.first + i];
                out.append('M');
                AppendInt(out, l.x1());
                out.append(' ');
                AppendInt(out, l.y1());
                out.append('L');
                AppendInt(out, l.x2());
                out.append(' ');
                AppendInt(out, l.y2());
            }
            out.append("\"/>\n");
        }
    }
    out.append("</g>\n</svg>\n");
    return out;
}

QImage TreePictureToImage(const TreePicture &pic, QSize size, bool smooth)
{
    const QSize s = PictureImageSize(pic, size);
    QImage image(s, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.fill(Qt::transparent);
    RasterizePicture(image, pic, smooth);
    return image;
}

PictureFormat PictureFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        return PictureFormat::Svg;
    }
    if (suffix == QLatin1String("png")) {
        return PictureFormat::Png;
    }
    if (suffix == QLatin1String("pdf")) {
        return PictureFormat::Pdf;
    }
    return PictureFormat::None;
}

namespace {

// The picture as a PDF document of one page.
bool PdfBytes(const TreePicture &pic, QSize pageSize, QByteArray &bytes)
{
    const QSize s = PictureImageSize(pic, pageSize);
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        return false;
    }
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Ramulet 2.3"));
    writer.setTitle(QStringLiteral("Ramulet"));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    // One point per view pixel: the page has the view's proportions, as the window shows it.
    writer.setPageSize(QPageSize(QSizeF(s), QPageSize::Point, QString(), QPageSize::ExactMatch));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const QRectF target(0, 0, writer.width(), writer.height());
    pic.PlayStretched(painter, target);
    return painter.end();
}

// Why `file` could not be written, in the window's language where it is ours.
QString OutputFailure(const OutputFile &file)
{
    switch (file.LastFailure()) {
    case OutputFile::Failure::Folder:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "it is a folder"));
    case OutputFile::Failure::NotWritable:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture",
                                        "it is neither a file, a pipe nor a character device"));
    case OutputFile::Failure::NoReader:
        return Reason(
            QT_TRANSLATE_NOOP("ramulet::TreePicture", "it is a pipe that no program is reading"));
    case OutputFile::Failure::None:
    case OutputFile::Failure::System:
        break;
    }
    return QString::fromLocal8Bit(file.Error().c_str());
}

} // namespace

bool WriteTreePicture(const TreePicture &pic, const QString &path, QSize pngSize,
                      QString *error, bool smooth)
{
    return WriteTreePicture(pic, path, PictureFormat::None, pngSize, error, smooth);
}

bool WriteTreePicture(const TreePicture &pic, const QString &path, PictureFormat format,
                      QSize pngSize, QString *error, bool smooth)
{
    auto fail = [&](const QString &reason) {
        if (error) {
            *error = Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "cannot write %1: %2"))
                         .arg(path, reason);
        }
        return false;
    };
    // SVG and PDF are made in memory first (they are small), so that a failure to make them
    // leaves the file alone; a PNG, which may be of any size, is drawn and written in bands.
    const PictureFormat chosen = format != PictureFormat::None ? format : PictureFormatForPath(path);
    QByteArray bytes;
    switch (chosen) {
    case PictureFormat::Svg:
        bytes = TreePictureToSvg(pic);
        break;
    case PictureFormat::Png:
        break;
    case PictureFormat::Pdf:
        if (!PdfBytes(pic, pngSize, bytes)) {
            return fail(Reason(
                QT_TRANSLATE_NOOP("ramulet::TreePicture", "the PDF document could not be made")));
        }
        break;
    case PictureFormat::None:
        return fail(Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture",
                                             "the extension is not one of .svg, .png, .pdf")));
    }

    // Written through a temporary file that replaces the old one only when complete, or
    // straight into a pipe or a device, which is never replaced (core/outputfile.h).
    OutputFile file;
    if (!file.Open(EncodePathBytes(std::u16string_view(
            reinterpret_cast<const char16_t *>(path.utf16()), static_cast<size_t>(path.size()))))) {
        return fail(OutputFailure(file));
    }
    if (chosen == PictureFormat::Png) {
        QString reason;
        if (!WritePicturePng(pic, PictureImageSize(pic, pngSize), smooth, file, &reason)) {
            return fail(reason);
        }
    } else if (!file.Write(bytes.constData(), static_cast<size_t>(bytes.size()))) {
        return fail(OutputFailure(file));
    }
    if (!file.Commit()) {
        return fail(OutputFailure(file));
    }
    return true;
}

QMimeData *MakeClipboardData(const TreePicture &pic, QSize viewSize, bool smooth)
{
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), TreePictureToSvg(pic));
    const QImage image = TreePictureToImage(pic, viewSize, smooth);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    mime->setData(QStringLiteral("image/png"), png);
    mime->setImageData(image);
    return mime;
}

} // namespace ramulet
