#pragma once

#include <QColor>
#include <QWidget>

namespace ramulet {

// A coloured panel with an outer and an inner bevel, each `bevelWidth` pixels wide. Its
// contents rectangle is the interior inside both bevels.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    enum class Bevel { None, Raised, Lowered };

    explicit BevelPanel(QWidget *parent = nullptr);

    void setColor(const QColor &c);
    QColor color() const { return m_color; }
    // Sets both bevels and their width; the contents margins follow.
    void setBevels(Bevel outer, Bevel inner, int bevelWidth);
    int bevelTotal() const;

signals:
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor m_color;
    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
    int m_width = 1;
};

} // namespace ramulet
