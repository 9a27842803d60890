#include "app/swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace ramulet {

ColorSwatch::ColorSwatch(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorSwatch::setFill(const QColor &c)
{
    if (m_fill != c) {
        m_fill = c;
        update();
    }
}

void ColorSwatch::setOutline(const QColor &c)
{
    if (m_outline != c) {
        m_outline = c;
        update();
    }
}

void ColorSwatch::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(this);
    p.fillRect(rect(), m_fill);
    p.setPen(QPen(m_outline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event)
{
    emit released(event->button());
    event->accept();
}

} // namespace ramulet
