#include "editor/editordraw.h"

#include "core/clip.h"
#include "core/numeric.h"
#include "core/segments.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QPolygonF>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace ramulet {

namespace {

// Drawing is clipped by hand to the view grown by this margin (editor pixels), so that a
// point dragged anywhere in the 32-bit range reaches the painter only as coordinates near
// the view, where the raster engine's fixed-point arithmetic is safe. The margin hides the
// pen's caps and the clipped ends well outside the view.
constexpr long double ClipMargin = 32.0L;
// A label is at most this far from its top-left corner in any direction.
constexpr int64_t LabelReach = 1000;

struct ClipBox {
    long double left, top, right, bottom;

    explicit ClipBox(QSize viewSize)
        : left(-ClipMargin), top(-ClipMargin), right(viewSize.width() + ClipMargin),
          bottom(viewSize.height() + ClipMargin)
    {
    }
    bool contains(long double x, long double y) const
    {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

const TBranch &Row(const BranchTable &t, int32_t i) { return t.Branches[static_cast<size_t>(i)]; }

QPen ArrowPen(uint32_t bgr, int width)
{
    QPen pen(ColorFromBGR(bgr), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return pen;
}

// Draws the segment (x1, y1)-(x2, y2) as far as it lies in the clip box.
void DrawClippedLine(QPainter &p, const ClipBox &box, int64_t x1, int64_t y1, int64_t x2,
                     int64_t y2)
{
    auto fx1 = static_cast<long double>(x1);
    auto fy1 = static_cast<long double>(y1);
    auto fx2 = static_cast<long double>(x2);
    auto fy2 = static_cast<long double>(y2);
    if (box.contains(fx1, fy1) && box.contains(fx2, fy2)) {
        p.drawLine(QPoint(static_cast<int>(x1), static_cast<int>(y1)),
                   QPoint(static_cast<int>(x2), static_cast<int>(y2)));
        return;
    }
    if (ClipSegment(fx1, fy1, fx2, fy2, {box.left, box.top, box.right, box.bottom})) {
        p.drawLine(QLineF(static_cast<double>(fx1), static_cast<double>(fy1),
                          static_cast<double>(fx2), static_cast<double>(fy2)));
    }
}

// Draws the filled polygon as far as it lies in the clip box (Sutherland-Hodgman).
void DrawClippedPolygon(QPainter &p, const ClipBox &box, const int64_t (&xs)[3],
                        const int64_t (&ys)[3])
{
    bool inside = true;
    for (int k = 0; k < 3; ++k) {
        inside = inside && box.contains(static_cast<long double>(xs[k]), static_cast<long double>(ys[k]));
    }
    if (inside) {
        QPolygon poly;
        for (int k = 0; k < 3; ++k) {
            poly << QPoint(static_cast<int>(xs[k]), static_cast<int>(ys[k]));
        }
        p.drawPolygon(poly);
        return;
    }
    struct Pt {
        long double x, y;
    };
    std::vector<Pt> pts;
    for (int k = 0; k < 3; ++k) {
        pts.push_back({static_cast<long double>(xs[k]), static_cast<long double>(ys[k])});
    }
    // Each edge as: inside when sign * (coordinate) <= limit.
    const auto clipEdge = [&pts](auto isInside, auto cross) {
        std::vector<Pt> out;
        for (size_t k = 0; k < pts.size(); ++k) {
            const Pt a = pts[k];
            const Pt b = pts[(k + 1) % pts.size()];
            const bool ia = isInside(a);
            const bool ib = isInside(b);
            if (ia) {
                out.push_back(a);
            }
            if (ia != ib) {
                out.push_back(cross(a, b));
            }
        }
        pts = std::move(out);
    };
    const auto atX = [](long double xv) {
        return [xv](Pt a, Pt b) {
            const long double s = (xv - a.x) / (b.x - a.x);
            return Pt{xv, a.y + s * (b.y - a.y)};
        };
    };
    const auto atY = [](long double yv) {
        return [yv](Pt a, Pt b) {
            const long double s = (yv - a.y) / (b.y - a.y);
            return Pt{a.x + s * (b.x - a.x), yv};
        };
    };
    clipEdge([&box](Pt a) { return a.x >= box.left; }, atX(box.left));
    clipEdge([&box](Pt a) { return a.x <= box.right; }, atX(box.right));
    clipEdge([&box](Pt a) { return a.y >= box.top; }, atY(box.top));
    clipEdge([&box](Pt a) { return a.y <= box.bottom; }, atY(box.bottom));
    if (pts.size() < 3) {
        return;
    }
    QPolygonF poly;
    for (const Pt &pt : pts) {
        poly << QPointF(static_cast<double>(pt.x), static_cast<double>(pt.y));
    }
    p.drawPolygon(poly);
}

// The circle of radius 6 around (x, y), skipped when its box misses the clip box.
void DrawEndCircle(QPainter &p, const ClipBox &box, TPixel c)
{
    const int64_t l = int64_t{c.x} - EndCircleRadius;
    const int64_t t = int64_t{c.y} - EndCircleRadius;
    const int64_t r = int64_t{c.x} + EndCircleRadius;
    const int64_t b = int64_t{c.y} + EndCircleRadius;
    if (static_cast<long double>(r) < box.left || static_cast<long double>(l) > box.right ||
        static_cast<long double>(b) < box.top || static_cast<long double>(t) > box.bottom) {
        return;
    }
    p.drawEllipse(QRect(static_cast<int>(l), static_cast<int>(t), 2 * EndCircleRadius,
                        2 * EndCircleRadius));
}

ClipBox BoxOf(const QPainter &p)
{
    const QPaintDevice *dev = p.device();
    return ClipBox(dev ? QSize(dev->width(), dev->height()) : QSize(0, 0));
}

void DrawArrowIn(QPainter &p, const ClipBox &box, const BranchTable &t, int32_t row,
                 long double trunkPixelLength, const QColor &textColor)
{
    const ArrowGeometry g = ComputeArrow(t, row, trunkPixelLength);
    const QPen arrowPen = p.pen();
    p.setBrush(QBrush(arrowPen.color(), Qt::SolidPattern));
    DrawClippedLine(p, box, g.sx, g.sy, g.ex, g.ey);
    if (g.hasHead) {
        const int64_t xs[3] = {g.ex, g.p2x, g.p3x};
        const int64_t ys[3] = {g.ey, g.p2y, g.p3y};
        DrawClippedPolygon(p, box, xs, ys);
    }
    p.setBrush(Qt::NoBrush);
    if (!g.hasLabel) {
        return;
    }
    if (g.labelX > static_cast<int64_t>(box.right) || g.labelY > static_cast<int64_t>(box.bottom) ||
        g.labelX < static_cast<int64_t>(box.left) - LabelReach ||
        g.labelY < static_cast<int64_t>(box.top) - LabelReach) {
        return;
    }
    // The label's top-left corner sits at the shaft's midpoint; Qt places text by its
    // baseline, so move down by the ascent.
    p.setPen(QPen(textColor));
    p.setBackgroundMode(Qt::TransparentMode);
    const int ascent = p.fontMetrics().ascent();
    p.drawText(QPoint(static_cast<int>(g.labelX), static_cast<int>(g.labelY) + ascent), g.label);
    p.setPen(arrowPen);
}

} // namespace

QColor ColorFromBGR(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                  static_cast<int>((bgr >> 16) & 0xFFu));
}

uint32_t KindColor(int32_t kind)
{
    switch (kind) {
    case kindOrder:
        return EditorOrderColor;
    case kindReverse:
        return EditorReverseColor;
    default:
        return EditorSegmentColor;
    }
}

QFont EditorLabelFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")});
    f.setStyleHint(QFont::SansSerif);
    // 12 points at the layout's 120 pixels per inch.
    f.setPixelSize(20);
    return f;
}

QString FormatRatio(long double r)
{
    if (!std::isfinite(r)) {
        return {};
    }
    // First to three significant digits (the C library rounds the exact binary value): the
    // digits d.dd and the exponent e. That decimal value is then given exactly two decimals,
    // in whole hundredths: rounding it again as a binary number could turn 0.895 into "0.89".
    char sig[64];
    std::snprintf(sig, sizeof sig, "%.2Le", r);
    const bool negative = sig[0] == '-';
    const char *d = negative ? sig + 1 : sig;
    const int64_t digits = (d[0] - '0') * 100 + (d[2] - '0') * 10 + (d[3] - '0');
    const long exponent = std::strtol(d + 5, nullptr, 10);
    // The value is digits x 10^(e - 2), so in hundredths digits x 10^e.
    int64_t hundredths = digits;
    if (exponent >= 0) {
        // Ratios of a drawn template stay far below this; the cap only keeps the text sane.
        for (long i = 0; i < std::min(exponent, 15L); ++i) {
            hundredths *= 10;
        }
    } else if (exponent >= -3) {
        int64_t unit = 1;
        for (long i = 0; i < -exponent; ++i) {
            unit *= 10;
        }
        // A remaining half rounds away from zero, as printing a decimal value does.
        hundredths = (digits + unit / 2) / unit;
    } else {
        hundredths = 0;
    }
    const QString text = QStringLiteral("%1.%2")
                             .arg(hundredths / 100)
                             .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return negative && hundredths != 0 ? QLatin1Char('-') + text : text;
}

std::array<bool, 16> UpdateDepthButtons(const BranchTable &t)
{
    std::array<bool, 16> usable{};
    for (int32_t n = 1; n <= MaxDepth; ++n) {
        usable[static_cast<size_t>(n - 1)] = DepthUsable(EstimateSegmentCount(t, n));
    }
    return usable;
}

long double TrunkPixelLength(const BranchTable &t)
{
    const TBranch &trunk = Row(t, 0);
    const int64_t dx = int64_t{trunk.screenEnd.x} - trunk.screenStart.x;
    const int64_t dy = int64_t{trunk.screenEnd.y} - trunk.screenStart.y;
    // The differences are exact in 64 bits; their squares may pass 2^63, so they are taken
    // in extended precision.
    const auto fx = static_cast<long double>(dx);
    const auto fy = static_cast<long double>(dy);
    return std::sqrt(fx * fx + fy * fy);
}

ArrowGeometry ComputeArrow(const BranchTable &t, int32_t row, long double trunkPixelLength)
{
    const TBranch &r = Row(t, row);
    ArrowGeometry g;
    g.sx = r.screenStart.x;
    g.sy = r.screenStart.y;
    g.ex = r.screenEnd.x;
    g.ey = r.screenEnd.y;

    long double a = 0.0L;
    if (row == 0 || r.kind == kindOrder) {
        a = std::numbers::pi_v<long double> / 5.0L;
    } else if (r.kind == kindReverse) {
        a = -std::numbers::pi_v<long double> / 5.0L;
    }
    g.hasHead = a != 0.0L;

    // One fifth of the vector from the tip back to the tail.
    const long double dx = static_cast<long double>(g.sx - g.ex) / 5.0L;
    const long double dy = static_cast<long double>(g.sy - g.ey) / 5.0L;
    const auto ex = static_cast<long double>(g.ex);
    const auto ey = static_cast<long double>(g.ey);
    const long double ca = std::cos(a);
    const long double sa = std::sin(a);
    // The back vector turned by a (clockwise on screen for a > 0, since y grows downward).
    g.p2x = RoundEven64(ex + dx * ca - dy * sa);
    g.p2y = RoundEven64(ey + dx * sa + dy * ca);
    g.p3x = RoundEven64(ex + dx * 2.0L / 3.0L);
    g.p3y = RoundEven64(ey + dy * 2.0L / 3.0L);

    // A trunk with no length on screen gives no scale for the labels.
    if (trunkPixelLength > 0.0L) {
        g.ratio = 5.0L * std::sqrt(dx * dx + dy * dy) / trunkPixelLength;
        g.label = FormatRatio(g.ratio);
        g.hasLabel = !g.label.isEmpty();
    }
    // Integer halving truncates toward zero.
    g.labelX = (g.sx + g.ex) / 2;
    g.labelY = (g.sy + g.ey) / 2;
    return g;
}

void DrawGrid(QPainter &p, const ViewState &view)
{
    const ClipBox box = BoxOf(p);
    p.setPen(QPen(ColorFromBGR(EditorGridColor), 1));
    for (int i = 0; i <= 12; ++i) {
        const long double y = i / 6.0L;
        const TPixel a = view.ModelToScreen({-1.0L, y});
        const TPixel b = view.ModelToScreen({1.0L, y});
        DrawClippedLine(p, box, a.x, a.y, b.x, b.y);
    }
    for (int i = -6; i <= 6; ++i) {
        const long double x = i / 6.0L;
        const TPixel a = view.ModelToScreen({x, 0.0L});
        const TPixel b = view.ModelToScreen({x, 2.0L});
        DrawClippedLine(p, box, a.x, a.y, b.x, b.y);
    }
}

void SetEditorPens(QPainter &p)
{
    QPen pen = p.pen();
    pen.setWidth(EditorPenWidth);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setFont(EditorLabelFont());
}

void DrawArrow(QPainter &p, const BranchTable &t, int32_t row, long double trunkPixelLength,
               const QColor &textColor)
{
    DrawArrowIn(p, BoxOf(p), t, row, trunkPixelLength, textColor);
}

void PaintEditor(QPainter &p, QSize viewSize, const BranchTable &t, const ViewState &view,
                 const QColor &textColor, const EditorUnderlay &underlay)
{
    const ClipBox box(viewSize);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRect(QPoint(0, 0), viewSize), ColorFromBGR(EditorBackColor));
    DrawGrid(p, view);
    if (underlay) {
        p.save();
        underlay(p);
        p.restore();
    }
    SetEditorPens(p);

    p.setPen(ArrowPen(EditorCircleColor, EditorPenWidth));
    p.setBrush(QBrush(ColorFromBGR(EditorBackColor), Qt::SolidPattern));
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        DrawEndCircle(p, box, Row(t, i).screenEnd);
    }

    const long double trunkLength = TrunkPixelLength(t);
    p.setPen(ArrowPen(EditorTrunkColor, EditorPenWidth));
    DrawArrowIn(p, box, t, 0, trunkLength, textColor);
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        p.setPen(ArrowPen(KindColor(Row(t, i).kind), EditorPenWidth));
        DrawArrowIn(p, box, t, i, trunkLength, textColor);
    }
}

void PaintHighlightPoint(QPainter &p, const BranchTable &t, int32_t row)
{
    if (row < 1 || row > t.BranchCount) {
        return;
    }
    const uint32_t ring =
        t.BranchCount > 0 ? KindColor(Row(t, t.BranchCount).kind) : EditorTrunkColor;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(ArrowPen(ring, EditorPenWidth));
    p.setBrush(QBrush(ColorFromBGR(EditorHighlightColor), Qt::SolidPattern));
    DrawEndCircle(p, BoxOf(p), Row(t, row).screenEnd);
}

void PaintHighlightBranch(QPainter &p, const BranchTable &t, int32_t row)
{
    if (row < 1 || row > t.BranchCount) {
        return;
    }
    const TBranch &r = Row(t, row);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(ArrowPen(EditorHighlightColor, HighlightPenWidth));
    DrawClippedLine(p, BoxOf(p), r.screenStart.x, r.screenStart.y, r.screenEnd.x, r.screenEnd.y);
}

QPixmap KindMenuImage(int imageIndex)
{
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    switch (imageIndex) {
    case 0:
        p.fillRect(QRect(1, 7, 14, 2), QColor(0, 0, 0));
        break;
    case 1:
    case 2: {
        // A right-pointing shaft on rows 7 and 8 and a one-sided head: the barb rises above
        // the shaft for the upright kind and drops below it for the mirrored one.
        const QColor c = imageIndex == 1 ? ColorFromBGR(0xFF0000) : ColorFromBGR(0x008400);
        p.fillRect(QRect(1, 7, 14, 2), c);
        p.setBrush(c);
        QPolygon head;
        if (imageIndex == 1) {
            head << QPoint(15, 8) << QPoint(8, 2) << QPoint(10, 8);
        } else {
            head << QPoint(15, 7) << QPoint(8, 13) << QPoint(10, 7);
        }
        p.drawPolygon(head);
        break;
    }
    default:
        break;
    }
    p.end();
    return QPixmap::fromImage(img);
}

} // namespace ramulet
