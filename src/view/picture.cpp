#include "view/picture.h"

#include "core/clip.h"

#include "view/coverage.h"
#include "view/rasterize.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace ramulet {

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
    // A band beside a corner of the box (its segment within half its width of the box's
    // edges, yet farther than that from the corner) has no point in it: nothing to draw.
    if (pts.size() < 3) {
        return {};
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

} // namespace ramulet
