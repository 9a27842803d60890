// The window's small parts: shift-state mapping, the picture view, the swatch, the bevel
// panel, the drawn cursors and glyphs, and the warning boxes.

#include "app/Main.h"
#include "app/bevelpanel.h"
#include "app/glyphs.h"
#include "app/pictureview.h"
#include "app/swatch.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace ramulet;

Q_DECLARE_METATYPE(ramulet::MouseButton)

namespace {

// Number of pixels that are not fully transparent.
int InkPixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += qAlpha(img.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return n;
}

} // namespace

class TestAppWidgets : public QObject {
    Q_OBJECT
private slots:
    void shiftState_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<unsigned>("expected");
        QTest::addRow("nothing") << int(Qt::NoModifier) << int(Qt::NoButton) << 0u;
        QTest::addRow("shift") << int(Qt::ShiftModifier) << int(Qt::NoButton) << unsigned(ssShift);
        QTest::addRow("ctrl") << int(Qt::ControlModifier) << int(Qt::NoButton) << unsigned(ssCtrl);
        QTest::addRow("alt") << int(Qt::AltModifier) << int(Qt::NoButton) << unsigned(ssAlt);
        QTest::addRow("keypad is no modifier") << int(Qt::KeypadModifier) << int(Qt::NoButton) << 0u;
        QTest::addRow("shift+ctrl") << int(Qt::ShiftModifier | Qt::ControlModifier) << int(Qt::NoButton)
                                    << unsigned(ssShift | ssCtrl);
        QTest::addRow("shift, right held") << int(Qt::ShiftModifier) << int(Qt::RightButton)
                                           << unsigned(ssShift | ssRight);
        QTest::addRow("all buttons") << int(Qt::NoModifier)
                                     << int(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)
                                     << unsigned(ssLeft | ssRight | ssMiddle);
    }
    void shiftState()
    {
        QFETCH(int, modifiers);
        QFETCH(int, buttons);
        QFETCH(unsigned, expected);
        QCOMPARE(ShiftStateFromQt(Qt::KeyboardModifiers(modifiers), Qt::MouseButtons(buttons)),
                 expected);
    }

    void pictureViewImage()
    {
        PictureView v;
        v.resize(40, 30);
        v.ResetImage({40, 30});
        QCOMPARE(v.image().size(), QSize(40, 30));
        QCOMPARE(v.image().pixelColor(5, 5), QColor(Qt::white));
        v.image().fill(Qt::red);
        v.ResetImage({20, 10});
        QCOMPARE(v.image().size(), QSize(20, 10));
        QCOMPARE(v.image().pixelColor(5, 5), QColor(Qt::white)); // fresh, not the old one
        v.ResetImage({0, 10});
        QVERIFY(v.image().isNull());
        // Painting a view without image is safe.
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.repaint();
    }

    void pictureViewSignals()
    {
        PictureView v;
        v.resize(100, 100);
        QSignalSpy down(&v, &PictureView::mouseDown);
        QSignalSpy up(&v, &PictureView::mouseUp);
        QSignalSpy move(&v, &PictureView::mouseMove);
        // A position between pixels belongs to the pixel it is in.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(10.7, 20.2), QPointF(10.7, 20.2),
                          Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
        QApplication::sendEvent(&v, &press);
        QCOMPARE(down.size(), 1);
        QCOMPARE(down[0][0].value<MouseButton>(), MouseButton::Right);
        QCOMPARE(down[0][1].toUInt(), unsigned(ssShift | ssRight));
        QCOMPARE(down[0][2].toInt(), 10);
        QCOMPARE(down[0][3].toInt(), 20);
        // Outside the view (a drag that left it) the coordinates go on, negative included.
        QMouseEvent drag(QEvent::MouseMove, QPointF(-5.5, 130.0), QPointF(-5.5, 130.0),
                         Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&v, &drag);
        QCOMPARE(move.size(), 1);
        QCOMPARE(move[0][1].toInt(), -6);
        QCOMPARE(move[0][2].toInt(), 130);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 4), QPointF(3, 4),
                            Qt::RightButton, Qt::NoButton, Qt::ControlModifier);
        QApplication::sendEvent(&v, &release);
        QCOMPARE(up.size(), 1);
        QCOMPARE(up[0][1].toUInt(), unsigned(ssCtrl));
        // Buttons the views do not serve are not passed on.
        QMouseEvent back(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::BackButton,
                         Qt::BackButton, Qt::NoModifier);
        QApplication::sendEvent(&v, &back);
        QCOMPARE(down.size(), 1);
    }

    void swatchPaintsAndSignals()
    {
        ColorSwatch s;
        s.resize(20, 10);
        s.setFill(QColor(1, 2, 3));
        s.setOutline(QColor(200, 100, 50));
        QImage img(s.size(), QImage::Format_RGB32);
        s.render(&img);
        QCOMPARE(img.pixelColor(10, 5), QColor(1, 2, 3));
        QCOMPARE(img.pixelColor(0, 0), QColor(200, 100, 50));
        QCOMPARE(img.pixelColor(19, 9), QColor(200, 100, 50));
        QSignalSpy released(&s, &ColorSwatch::released);
        QTest::mouseClick(&s, Qt::RightButton);
        QCOMPARE(released.size(), 1);
        QCOMPARE(released[0][0].value<Qt::MouseButton>(), Qt::RightButton);
    }

    void bevelPanelInterior_data()
    {
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("inner");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("margin");
        QTest::addRow("image panel") << 2 << 1 << 4 << 8;
        QTest::addRow("side panel") << 1 << 0 << 1 << 1;
        QTest::addRow("no bevel") << 0 << 0 << 4 << 0;
    }
    void bevelPanelInterior()
    {
        QFETCH(int, outer);
        QFETCH(int, inner);
        QFETCH(int, width);
        QFETCH(int, margin);
        BevelPanel p;
        p.resize(100, 80);
        p.setBevels(static_cast<BevelPanel::Bevel>(outer), static_cast<BevelPanel::Bevel>(inner), width);
        QCOMPARE(p.contentsRect(), QRect(margin, margin, 100 - 2 * margin, 80 - 2 * margin));
    }

    void cursors_data()
    {
        QTest::addColumn<QCursor>("cursor");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::addRow("open hand") << MakeHandCursor() << QPoint(3, 4);
        QTest::addRow("magnifier") << MakeZoomCursor() << QPoint(9, 9);
        QTest::addRow("up and down") << MakeMoveCursor() << QPoint(15, 13);
    }
    void cursors()
    {
        QFETCH(QCursor, cursor);
        QFETCH(QPoint, hotSpot);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), hotSpot);
        const QImage img = cursor.pixmap().toImage();
        QCOMPARE(img.size(), QSize(32, 32));
        QVERIFY(InkPixels(img) > 40);
        // The hot spot lies on the drawing, not on transparent space.
        QVERIFY(qAlpha(img.pixel(hotSpot)) > 0);
    }

    void glyphs_data()
    {
        QTest::addColumn<QPixmap>("glyph");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("clearLeft"); // columns on the left that stay transparent
        QTest::addRow("edit") << EditGlyph() << QSize(24, 24) << 0;
        QTest::addRow("open") << OpenGlyph() << QSize(20, 20) << 0;
        QTest::addRow("save") << SaveGlyph() << QSize(20, 20) << 0;
        QTest::addRow("copy") << CopyGlyph() << QSize(20, 20) << 0;
        // The credits panel's controls lie over the picture's left part.
        QTest::addRow("tree") << DecorTree({125, 150}) << QSize(125, 150) << 86;
        QTest::addRow("sprout") << DecorSprout({28, 31}) << QSize(28, 31) << 0;
    }
    void glyphs()
    {
        QFETCH(QPixmap, glyph);
        QFETCH(QSize, size);
        QFETCH(int, clearLeft);
        QCOMPARE(glyph.size(), size);
        const QImage img = glyph.toImage();
        const int ink = InkPixels(img);
        if (clearLeft > 0) {
            QCOMPARE(InkPixels(img.copy(0, 0, clearLeft, size.height())), 0);
        }
        QVERIFY(ink > (size.width() - clearLeft) * size.height() / 20);
        QVERIFY(ink < size.width() * size.height()); // transparent around the drawing
    }

    void warningBoxes_data()
    {
        QTest::addColumn<bool>("question");
        QTest::addRow("question") << true;
        QTest::addRow("refusal") << false;
    }
    void warningBoxes()
    {
        QFETCH(bool, question);
        std::unique_ptr<QMessageBox> box(MakeWarningBox(nullptr, QStringLiteral("本文"), question));
        QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), QStringLiteral("本文"));
        if (question) {
            QCOMPARE(box->buttons().size(), 2);
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("はい(&Y)"));
            QCOMPARE(box->escapeButton()->text(), QStringLiteral("いいえ(&N)"));
        } else {
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("OK"));
        }
    }
};

QTEST_MAIN(TestAppWidgets)
#include "test_appwidgets.moc"
