#pragma once

#include <QColor>
#include <QWidget>

namespace ramulet {

// A colour swatch: a rectangle filled with one colour and outlined (1 pixel) with another.
// Releasing a mouse button over it emits released().
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    QColor fill() const { return m_fill; }
    QColor outline() const { return m_outline; }
    void setFill(const QColor &c);
    void setOutline(const QColor &c);

signals:
    void released(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_fill = Qt::white;
    QColor m_outline = Qt::black;
};

} // namespace ramulet
