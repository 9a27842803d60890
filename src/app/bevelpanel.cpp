#include "app/bevelpanel.h"

#include <QPainter>

namespace ramulet {

namespace {

// Draws one bevel ring `width` pixels wide just inside `r`: raised is light at the top and
// left and dark at the bottom and right, lowered the other way round.
void DrawBevel(QPainter &p, QRect r, BevelPanel::Bevel bevel, int width)
{
    if (bevel == BevelPanel::Bevel::None) {
        return;
    }
    const QColor light(255, 255, 255);
    const QColor dark(128, 128, 128);
    const QColor topLeft = bevel == BevelPanel::Bevel::Raised ? light : dark;
    const QColor bottomRight = bevel == BevelPanel::Bevel::Raised ? dark : light;
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.left(), r.top(), r.right(), r.top());
        p.drawLine(r.left(), r.top(), r.left(), r.bottom());
        p.setPen(bottomRight);
        p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace

BevelPanel::BevelPanel(QWidget *parent) : QWidget(parent)
{
    m_color = palette().color(QPalette::Window);
    setBevels(Bevel::Raised, Bevel::None, 1);
}

void BevelPanel::setColor(const QColor &c)
{
    m_color = c;
    update();
}

int BevelPanel::bevelTotal() const
{
    return (m_outer != Bevel::None ? m_width : 0) + (m_inner != Bevel::None ? m_width : 0);
}

void BevelPanel::setBevels(Bevel outer, Bevel inner, int bevelWidth)
{
    m_outer = outer;
    m_inner = inner;
    m_width = bevelWidth < 0 ? 0 : bevelWidth;
    const int m = bevelTotal();
    setContentsMargins(m, m, m, m);
    update();
}

void BevelPanel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(this);
    p.fillRect(rect(), m_color);
    QRect r = rect();
    DrawBevel(p, r, m_outer, m_width);
    if (m_outer != Bevel::None) {
        r.adjust(m_width, m_width, -m_width, -m_width);
    }
    DrawBevel(p, r, m_inner, m_width);
}

void BevelPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

} // namespace ramulet
