#pragma once

#include "core/viewstate.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace ramulet {

// The shift state of a mouse event: the modifier keys and the mouse buttons held at that
// moment (for a release, the released button is no longer held).
ShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// The button of a press or release, or nothing for buttons the views do not serve.
bool MouseButtonFromQt(Qt::MouseButton button, MouseButton *out);

// A view that shows a retained raster image of its own size. Everything it shows is drawn
// into image() by its owner; paintEvent only copies the image to the screen. Mouse events
// are passed on as signals in view pixels.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr);

    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

    // A fresh, blank image of `size` (a null image for an empty size), as a newly created
    // view would have.
    void ResetImage(QSize size);

signals:
    void mouseDown(ramulet::MouseButton button, ramulet::ShiftState shift, int x, int y);
    void mouseMove(ramulet::ShiftState shift, int x, int y);
    void mouseUp(ramulet::MouseButton button, ramulet::ShiftState shift, int x, int y);
    void contextMenuRequested(QPoint globalPos);
    // The wheel at pixel (x, y): `eighths` of a degree turned away from the user (a notch is
    // usually 120).
    void wheelTurned(ramulet::ShiftState shift, int x, int y, int eighths);
    // The second press of a double-click, after its mouseDown.
    void doubleClicked(ramulet::MouseButton button, ramulet::ShiftState shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QImage m_image;
};

} // namespace ramulet
