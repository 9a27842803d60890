#include "app/glyphs.h"

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/renderpipeline.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <memory>

namespace ramulet {

namespace {

constexpr int CursorSize = 32;

QPixmap Transparent(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A transparent picture of w x h pixels with `draw` painted on it, antialiased: how every
// cursor and button glyph here is made.
template <typename Draw>
QPixmap Painted(int w, int h, Draw draw)
{
    QPixmap pm = Transparent(w, h);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return pm;
}

// A cursor of CursorSize x CursorSize pixels painted by `draw`, its hot spot at `hotSpot`.
template <typename Draw>
QCursor PaintedCursor(QPoint hotSpot, Draw draw)
{
    return QCursor(Painted(CursorSize, CursorSize, draw), hotSpot.x(), hotSpot.y());
}

// A white shape with a black outline, the usual look of a cursor.
void DrawCursorShape(QPainter &p, const QPainterPath &path)
{
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

// A white sheet with a small green tree standing on its lower edge, as on the copy and
// export buttons.
void DrawTreeSheet(QPainter &p, const QRectF &sheet)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    const qreal cx = sheet.center().x();
    const qreal fork = sheet.bottom() - 6.0;
    p.setPen(QPen(QColor(0, 128, 0), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx, sheet.bottom() - 1.5), QPointF(cx, fork));
    p.drawLine(QPointF(cx, fork), QPointF(cx - 2.5, fork - 3.25));
    p.drawLine(QPointF(cx, fork), QPointF(cx + 2.5, fork - 3.25));
}

} // namespace

QCursor MakeHandCursor()
{
    return PaintedCursor(HandHotSpot, [](QPainter &p) {
        // The hand leans to the upper left so that the index fingertip sits on the hot spot.
        p.translate(HandHotSpot.x(), HandHotSpot.y());
        p.rotate(-30.0);
        QPainterPath hand;
        // Palm.
        hand.addRoundedRect(QRectF(-1.0, 9.0, 15.0, 14.0), 4.0, 4.0);
        // Fingers: index (from the hot spot), middle, ring, little; then the thumb.
        hand.addRoundedRect(QRectF(-1.0, 0.0, 4.0, 13.0), 2.0, 2.0);
        hand.addRoundedRect(QRectF(3.5, -1.0, 4.0, 14.0), 2.0, 2.0);
        hand.addRoundedRect(QRectF(8.0, 0.5, 4.0, 13.0), 2.0, 2.0);
        hand.addRoundedRect(QRectF(12.0, 3.5, 3.5, 11.0), 1.75, 1.75);
        hand.addRoundedRect(QRectF(-6.0, 12.0, 8.0, 4.0), 2.0, 2.0);
        DrawCursorShape(p, hand.simplified());
    });
}

QCursor MakeZoomCursor()
{
    return PaintedCursor(ZoomHotSpot, [](QPainter &p) {
        const QPointF c(ZoomHotSpot.x() + 0.5, ZoomHotSpot.y() + 0.5);
        // Handle, drawn first so that the lens ring covers its inner end.
        p.setPen(QPen(Qt::black, 5.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(5.5, 5.5), c + QPointF(14.0, 14.0));
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(6.5, 6.5), c + QPointF(13.0, 13.0));
        // Lens.
        p.setPen(QPen(Qt::black, 2.0));
        p.setBrush(Qt::white);
        p.drawEllipse(c, 7.5, 7.5);
        // Plus sign.
        p.setPen(QPen(Qt::black, 2.0));
        p.drawLine(c + QPointF(-4.0, 0.0), c + QPointF(4.0, 0.0));
        p.drawLine(c + QPointF(0.0, -4.0), c + QPointF(0.0, 4.0));
    });
}

QCursor MakeMoveCursor()
{
    return PaintedCursor(MoveHotSpot, [](QPainter &p) {
        const qreal x = MoveHotSpot.x() + 0.5;
        const qreal y = MoveHotSpot.y() + 0.5;
        QPainterPath arrows;
        // One outline: the upper head, the shaft, the lower head.
        QPolygonF poly;
        poly << QPointF(x, y - 12.0) << QPointF(x + 6.0, y - 6.0) << QPointF(x + 2.0, y - 6.0)
             << QPointF(x + 2.0, y + 6.0) << QPointF(x + 6.0, y + 6.0) << QPointF(x, y + 12.0)
             << QPointF(x - 6.0, y + 6.0) << QPointF(x - 2.0, y + 6.0) << QPointF(x - 2.0, y - 6.0)
             << QPointF(x - 6.0, y - 6.0) << QPointF(x, y - 12.0);
        arrows.addPolygon(poly);
        DrawCursorShape(p, arrows);
        // A short bar where the arrows meet marks the hot spot.
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(x - 4.0, y), QPointF(x + 4.0, y));
    });
}

QPixmap EditGlyph()
{
    return Painted(24, 24, [](QPainter &p) {
        // A small green branch, the thing being edited.
        p.setPen(QPen(QColor(0, 128, 0), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 22), QPointF(4, 12));
        p.drawLine(QPointF(4, 12), QPointF(1, 8));
        p.drawLine(QPointF(4, 14), QPointF(8, 10));
        // The pencil, lying from the lower left to the upper right.
        p.translate(13, 12);
        p.rotate(-45.0);
        const QRectF body(-8.0, -2.5, 13.0, 5.0);
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(QColor(255, 200, 0));
        p.drawRect(body);
        p.setBrush(QColor(230, 120, 150));
        p.drawRect(QRectF(5.0, -2.5, 3.0, 5.0)); // eraser
        QPolygonF tip;
        tip << QPointF(-8.0, -2.5) << QPointF(-12.0, 0.0) << QPointF(-8.0, 2.5);
        p.setBrush(QColor(240, 220, 180));
        p.drawPolygon(tip);
        p.setBrush(Qt::black);
        QPolygonF lead;
        lead << QPointF(-10.5, -0.9) << QPointF(-12.0, 0.0) << QPointF(-10.5, 0.9);
        p.drawPolygon(lead);
    });
}

QPixmap OpenGlyph()
{
    return Painted(20, 20, [](QPainter &p) {
        p.setPen(QPen(QColor(120, 80, 0), 1.0));
        // The back of the folder with its tab.
        QPolygonF back;
        back << QPointF(1.5, 4.5) << QPointF(7.5, 4.5) << QPointF(9.0, 6.5) << QPointF(16.5, 6.5)
             << QPointF(16.5, 16.5) << QPointF(1.5, 16.5);
        p.setBrush(QColor(230, 180, 60));
        p.drawPolygon(back);
        // The open front flap.
        QPolygonF front;
        front << QPointF(4.0, 9.5) << QPointF(19.0, 9.5) << QPointF(16.5, 16.5)
              << QPointF(1.5, 16.5);
        p.setBrush(QColor(255, 220, 110));
        p.drawPolygon(front);
        // An arrow coming out: "read".
        p.setPen(QPen(QColor(0, 0, 160), 1.5));
        p.drawLine(QPointF(13.0, 8.0), QPointF(13.0, 1.5));
        p.drawLine(QPointF(13.0, 1.5), QPointF(10.5, 4.0));
        p.drawLine(QPointF(13.0, 1.5), QPointF(15.5, 4.0));
    });
}

QPixmap SaveGlyph()
{
    return Painted(20, 20, [](QPainter &p) {
        // The diskette's body with one cut corner.
        QPolygonF body;
        body << QPointF(2.5, 2.5) << QPointF(15.5, 2.5) << QPointF(17.5, 4.5) << QPointF(17.5, 17.5)
             << QPointF(2.5, 17.5);
        p.setPen(QPen(QColor(0, 0, 80), 1.0));
        p.setBrush(QColor(40, 70, 160));
        p.drawPolygon(body);
        // Shutter and label.
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(6.5, 2.5, 7.0, 5.0));
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(QRectF(10.5, 3.5, 2.0, 3.0));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.0, 10.5, 10.0, 7.0));
        p.setPen(QPen(QColor(150, 150, 150), 1.0));
        p.drawLine(QPointF(6.5, 13.0), QPointF(13.5, 13.0));
        p.drawLine(QPointF(6.5, 15.0), QPointF(13.5, 15.0));
    });
}

QPixmap CopyGlyph()
{
    return Painted(20, 20, [](QPainter &p) {
        // The clipboard.
        p.setPen(QPen(QColor(90, 60, 20), 1.0));
        p.setBrush(QColor(190, 140, 70));
        p.drawRoundedRect(QRectF(1.5, 2.5, 12.0, 15.0), 1.5, 1.5);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(4.5, 1.5, 6.0, 3.0));
        // A sheet with a small tree laid over it.
        DrawTreeSheet(p, QRectF(7.5, 6.5, 11.0, 12.0));
    });
}

QPixmap ExportGlyph()
{
    return Painted(20, 20, [](QPainter &p) {
        // A sheet with a small tree, as on the copy button.
        DrawTreeSheet(p, QRectF(1.5, 5.5, 11.0, 13.0));
        // An arrow leaving it to the upper right: "write out".
        p.setPen(QPen(QColor(0, 0, 160), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(10.0, 10.0), QPointF(18.0, 2.0));
        QPolygonF head;
        head << QPointF(18.5, 1.5) << QPointF(12.5, 2.0) << QPointF(18.0, 7.5);
        p.setBrush(QColor(0, 0, 160));
        p.drawPolygon(head);
    });
}

namespace {

// A curved arrow: a half turn from the lower right over the top to the left, its head at the
// left end pointing down. `mirrored` flips it left to right.
QPixmap TurnArrowGlyph(bool mirrored)
{
    return Painted(20, 20, [&](QPainter &p) {
        if (mirrored) {
            p.translate(20.0, 0.0);
            p.scale(-1.0, 1.0);
        }
        const QColor c(0, 90, 170);
        QPainterPath arc;
        arc.moveTo(15.5, 16.0);
        arc.cubicTo(QPointF(18.5, 8.0), QPointF(12.0, 3.0), QPointF(8.0, 4.0));
        arc.cubicTo(QPointF(5.0, 4.8), QPointF(4.0, 7.0), QPointF(4.0, 9.0));
        p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(arc);
        QPolygonF head;
        head << QPointF(0.5, 8.5) << QPointF(7.5, 8.5) << QPointF(4.0, 13.5);
        p.setPen(QPen(c, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(c);
        p.drawPolygon(head);
    });
}

} // namespace

QPixmap UndoGlyph() { return TurnArrowGlyph(false); }

QPixmap RedoGlyph() { return TurnArrowGlyph(true); }

namespace {

// Grows `t` to `depth` and draws the stored segments into a picture of `size`, scaled to fit
// with a small margin; colours blend from brown at the trunk to green at the tips.
QPixmap DrawGrownTree(BranchTable &t, int depth, QSize size, qreal trunkWidth, qreal topMargin)
{
    QPixmap pm = Transparent(size.width(), size.height());
    if (size.isEmpty()) {
        return pm;
    }
    // The growth reads the template's pixel points, so give them a generous editor scale.
    PlaceTemplate(t, 600, 600);
    auto store = std::make_unique<Tseglines>();
    GrowTree(t, *store, depth);

    const long double w = store->maxX - store->minX;
    const long double h = store->maxY - store->minY;
    if (!(w > 0.0L) || !(h > 0.0L)) {
        return pm;
    }
    const qreal margin = 3.0;
    const qreal kx = (size.width() - 2 * margin) / static_cast<qreal>(w);
    const qreal ky = (size.height() - margin - topMargin) / static_cast<qreal>(h);
    const qreal k = std::min(kx, ky);
    const qreal offX = (size.width() - k * static_cast<qreal>(w)) / 2.0;
    auto map = [&](const TPointE &pt) {
        return QPointF(offX + k * static_cast<qreal>(pt.x - store->minX),
                       size.height() - margin - k * static_cast<qreal>(pt.y - store->minY));
    };
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor trunk(110, 70, 30);
    const QColor tip(40, 170, 40);
    for (int32_t i = 0; i <= store->lastIndex; ++i) {
        const TSegLine &s = store->line(i);
        const qreal t01 = static_cast<qreal>(s.level) / (depth + 1);
        const QColor c = QColor::fromRgbF(
            static_cast<float>(tip.redF() + (trunk.redF() - tip.redF()) * t01),
            static_cast<float>(tip.greenF() + (trunk.greenF() - tip.greenF()) * t01),
            static_cast<float>(tip.blueF() + (trunk.blueF() - tip.blueF()) * t01));
        const qreal width = std::max(0.6, trunkWidth * static_cast<qreal>(s.widthFactor));
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(map(s.startPt), map(s.endPt));
    }
    return pm;
}

} // namespace

QPixmap DecorTree(QSize size)
{
    BranchTable t;
    t.Branches[0].P = {0.0L, 0.0L};
    t.Branches[0].V = {0.0L, 1.0L};
    t.Branches[0].kind = kindSegment;
    t.Branches[0].ratio = 1.0L;
    const struct {
        long double py, vx, vy;
        int32_t kind;
    } rows[] = {
        {0.5L, 0.2L, 0.34L, kindOrder},
        {0.72L, -0.18L, 0.36L, kindReverse},
        {1.0L, 0.04L, 0.56L, kindOrder},
    };
    t.BranchCount = 0;
    for (const auto &r : rows) {
        ++t.BranchCount;
        TBranch &b = t.Branches[static_cast<size_t>(t.BranchCount)];
        b.P = {0.0L, r.py};
        b.V = {r.vx, r.vy};
        b.kind = r.kind;
    }
    // The picture's left part lies under the credits panel's check boxes and button, and its
    // top under the name label: the tree stands in the free column on the right.
    QPixmap pm = Transparent(size.width(), size.height());
    const QRect column(size.width() * 7 / 10, 22, size.width() * 3 / 10, size.height() * 6 / 10);
    if (!column.isEmpty()) {
        QPainter p(&pm);
        p.drawPixmap(column.topLeft(), DrawGrownTree(t, 7, column.size(), 3.0, 0.0));
    }
    return pm;
}

QPixmap DecorSprout(QSize size)
{
    BranchTable t;
    ViewState view;
    view.SetViewSize(600, 600);
    view.ResetView();
    SetDefaultTemplate(t, view);
    return DrawGrownTree(t, 5, size, 2.5, 3.0);
}

} // namespace ramulet
