#include "app/pictureview.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace ramulet {

ShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    ShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) {
        s |= ssShift;
    }
    if (modifiers & Qt::AltModifier) {
        s |= ssAlt;
    }
    if (modifiers & Qt::ControlModifier) {
        s |= ssCtrl;
    }
    if (buttons & Qt::LeftButton) {
        s |= ssLeft;
    }
    if (buttons & Qt::RightButton) {
        s |= ssRight;
    }
    if (buttons & Qt::MiddleButton) {
        s |= ssMiddle;
    }
    return s;
}

bool MouseButtonFromQt(Qt::MouseButton button, MouseButton *out)
{
    switch (button) {
    case Qt::LeftButton:
        *out = MouseButton::Left;
        return true;
    case Qt::RightButton:
        *out = MouseButton::Right;
        return true;
    case Qt::MiddleButton:
        *out = MouseButton::Middle;
        return true;
    default:
        return false;
    }
}

namespace {

// View pixels of an event; a position that lies between pixels belongs to the pixel it is in.
QPoint PixelOf(const QMouseEvent *event)
{
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

} // namespace

PictureView::PictureView(QWidget *parent) : QWidget(parent)
{
    // The image covers the whole view, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void PictureView::ResetImage(QSize size)
{
    if (size.isEmpty()) {
        m_image = QImage();
    } else {
        m_image = QImage(size, QImage::Format_RGB32);
        m_image.fill(Qt::white);
    }
    update();
}

void PictureView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(this);
    if (m_image.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    p.drawImage(0, 0, m_image);
    // A view larger than its image (only between a resize and the image that follows it).
    if (m_image.width() < width()) {
        p.fillRect(m_image.width(), 0, width() - m_image.width(), height(), Qt::white);
    }
    if (m_image.height() < height()) {
        p.fillRect(0, m_image.height(), width(), height() - m_image.height(), Qt::white);
    }
}

void PictureView::mousePressEvent(QMouseEvent *event)
{
    MouseButton b;
    if (!MouseButtonFromQt(event->button(), &b)) {
        return;
    }
    const QPoint px = PixelOf(event);
    emit mouseDown(b, ShiftStateFromQt(event->modifiers(), event->buttons()), px.x(), px.y());
}

void PictureView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint px = PixelOf(event);
    emit mouseMove(ShiftStateFromQt(event->modifiers(), event->buttons()), px.x(), px.y());
}

void PictureView::mouseReleaseEvent(QMouseEvent *event)
{
    MouseButton b;
    if (!MouseButtonFromQt(event->button(), &b)) {
        return;
    }
    const QPoint px = PixelOf(event);
    emit mouseUp(b, ShiftStateFromQt(event->modifiers(), event->buttons()), px.x(), px.y());
}

void PictureView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press is a press as before; the double-click is said after it.
    mousePressEvent(event);
    MouseButton b;
    if (!MouseButtonFromQt(event->button(), &b)) {
        return;
    }
    const QPoint px = PixelOf(event);
    emit doubleClicked(b, ShiftStateFromQt(event->modifiers(), event->buttons()), px.x(), px.y());
}

void PictureView::wheelEvent(QWheelEvent *event)
{
    const QPointF p = event->position();
    emit wheelTurned(ShiftStateFromQt(event->modifiers(), event->buttons()),
                     static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())),
                     event->angleDelta().y());
    event->accept();
}

void PictureView::contextMenuEvent(QContextMenuEvent *event)
{
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

} // namespace ramulet
