// The main window on its own: start-up, depth buttons, resizing, the tree view's zoom, the
// picture controls, hints and the close question.

#include "apptesthelpers.h"

#include "app/swatch.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QTimer>

#include <cmath>

using namespace ramulet;
using namespace ramulet_test;

namespace {

bool Near(long double a, long double b, long double eps = 1e-4L) { return std::fabs(a - b) <= eps; }

} // namespace

class TestMainform : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;
    QSize startClientSize;

    QToolButton *button(const char *name) { return w->findChild<QToolButton *>(name); }
    QCheckBox *fitBox() { return w->findChild<QCheckBox *>("cboxWide"); }
    QComboBox *penList() { return w->findChild<QComboBox *>("cboxPenWidth"); }
    QToolButton *sbAdd() { return button("sbAdd"); }

    void clickDepth(int n) { QTest::mouseClick(w->depthButton(n), Qt::LeftButton); }

    // The views' size follows the window's client area: bevels 2 x 8, side bar 146, status 22.
    static QSize ViewSizeFor(QSize client) { return client - QSize(146 + 16, 22 + 16); }

private slots:
    void init()
    {
        log = DialogLog();
        w = MakeShownWindow(log);
        QVERIFY(w);
        startClientSize = w->size() - QSize(0, w->menuBar()->height());
        // Every test works at the design size, whatever the screen.
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_COMPARE(w->treeView()->size(), QSize(636, 634));
    }

    void cleanup() { w.reset(); }

    void initialClientSize_data()
    {
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<QSize>("client");
        QTest::addRow("600 high: 560 outside") << 600 << QSize(798, 528);
        QTest::addRow("599 high") << 599 << QSize(798, 672);
        QTest::addRow("601 high") << 601 << QSize(798, 672);
        QTest::addRow("768 high") << 768 << QSize(798, 672);
        QTest::addRow("1024 high") << 1024 << QSize(798, 672);
    }
    void initialClientSize()
    {
        QFETCH(int, screenHeight);
        QFETCH(QSize, client);
        QCOMPARE(InitialClientSize(screenHeight), client);
    }

    void startsAtTheSizeForItsScreen()
    {
        const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
        QCOMPARE(startClientSize, InitialClientSize(screenHeight));
        // At the design size the two views are 636 x 634, on top of each other.
        QCOMPARE(ViewSizeFor(w->size() - QSize(0, w->menuBar()->height())), QSize(636, 634));
        QCOMPARE(w->editorView()->geometry(), w->treeView()->geometry());
        QCOMPARE(w->editorView()->geometry(), QRect(8, 8, 636, 634));
        auto *side = w->findChild<QScrollArea *>("ScrollBox1");
        QCOMPARE(side->width(), 146);
        QCOMPARE(side->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(side->widget()->minimumHeight(), 620);
        QCOMPARE(w->statusBar()->height(), 22);
    }

    void sideBarShowsAllOfItAtTheDesignSize()
    {
        auto *side = w->findChild<QScrollArea *>("ScrollBox1");
        QCOMPARE(side->viewport()->size(), QSize(146, 650));
        // The whole range fits: no vertical scroll bar, nothing scrolled away.
        QCOMPARE(side->verticalScrollBar()->maximum(), 0);
        QVERIFY(!side->verticalScrollBar()->isVisible());
        QCOMPARE(side->widget()->geometry(), QRect(0, 0, 146, 650));
        const struct {
            const char *name;
            int top;
            int height;
        } panels[] = {{"Panel1", 0, 265}, {"Panel2", 265, 94}, {"Panel3", 359, 98},
                      {"Panel4", 457, 650 - 457}};
        for (const auto &p : panels) {
            auto *panel = w->findChild<QWidget *>(p.name);
            QCOMPARE(panel->geometry(), QRect(0, p.top, 146, p.height));
        }
        // The last credit line lies inside Panel4 and inside the visible side bar.
        auto *panel4 = w->findChild<QWidget *>("Panel4");
        for (const char *name : {"lblIam", "lblToday"}) {
            auto *label = w->findChild<QLabel *>(name);
            QVERIFY2(label->isVisible(), name);
            QVERIFY2(panel4->rect().contains(label->geometry()), name);
            const QRect seen(label->mapTo(side->viewport(), QPoint(0, 0)), label->size());
            QVERIFY2(side->viewport()->rect().contains(seen), name);
        }
        QCOMPARE(w->findChild<QLabel *>("lblToday")->pos(), QPoint(14, 166));
    }

    void fontsOfTheControls()
    {
        // The window's own 15-pixel face, also where the controls name no face of their own.
        QCOMPARE(w->font().pixelSize(), 15);
        for (const char *name : {"cboxPenWidth", "lblIam", "lblToday"}) {
            auto *c = w->findChild<QWidget *>(name);
            QVERIFY2(c, name);
            QCOMPARE(c->font().pixelSize(), 15);
            QCOMPARE(c->font().families(), w->font().families());
        }
        QCOMPARE(w->findChild<QWidget *>("Label1")->font().pixelSize(), 13);
        QCOMPARE(w->findChild<QWidget *>("Label2")->font().pixelSize(), 17);
        // The classic Latin faces come first; their stand-ins only where they are missing.
        const QFont depth = w->depthButton(1)->font();
        QCOMPARE(depth.families(),
                 (QStringList{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")}));
        QVERIFY(depth.bold());
        QCOMPARE(depth.pixelSize(), 15);
        const QFont name = w->findChild<QLabel *>("lblMyname")->font();
        QCOMPARE(name.families(),
                 (QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}));
        QVERIFY(name.bold());
    }

    void startUpState()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
        QVERIFY(w->fileName().isEmpty());
        QCOMPARE(w->depth(), 1);
        QVERIFY(w->editMode());
        QVERIFY(w->editorView()->isVisible());
        QVERIFY(!w->treeView()->isVisible());
        QVERIFY(sbAdd()->isVisible());
        QVERIFY(!w->mouseIsDown());
        QCOMPARE(w->table().BranchCount, 2);

        const ViewState &v = w->view();
        QCOMPARE(v.ViewOrigin, (TPixel{318, 317}));
        QVERIFY(v.ViewScale == 636 * 0.3L);
        QCOMPARE(v.ViewCenter, (TPointE{0.0L, 1.5L}));
        QCOMPARE(v.PictureHeight, 7975);
        QCOMPARE(w->table().Branches[0].screenStart, (TPixel{318, 603}));
        QCOMPARE(w->table().Branches[0].screenEnd, (TPixel{318, 412}));

        // The first resize grew the tree at depth 1 and rendered it.
        QCOMPARE(w->store().Count(), 3);
        QVERIFY(w->treePicture());
        QCOMPARE(w->treePicture()->pictureHeight(), 7975);
        QCOMPARE(w->treeView()->image().size(), QSize(636, 634));

        QCOMPARE(w->findChild<QLabel *>("lblMyname")->text(), QStringLiteral("Ramulet 2.3"));
        QCOMPARE(w->findChild<QLabel *>("lblToday")->text(), QStringLiteral("Aug.2004"));
        QCOMPARE(penList()->currentIndex(), 2);
        QCOMPARE(penList()->count(), 11);
        QVERIFY(!fitBox()->isChecked());
        QCOMPARE(w->settings().BackColor, TColor{0xF8FFE0});
        QCOMPARE(w->findChild<ColorSwatch *>("shapeB")->fill(), QColor(0xE0, 0xFF, 0xF8));
        QCOMPARE(w->findChild<ColorSwatch *>("ShapeP")->outline(), QColor(0x00, 0xA0, 0x00));
        QCOMPARE(w->findChild<ColorSwatch *>("Shape1")->fill(), QColor(0xA0, 0x00, 0x00));
        // sbAdd: 8 pixels from the editor's right edge, 4 from its bottom.
        const QRect ed = w->editorView()->geometry();
        QCOMPARE(sbAdd()->geometry(), QRect(ed.right() - 8 - 81 + 1, ed.bottom() - 4 - 33 + 1, 81, 33));
        // The editor shows the template: the trunk's red-brown shaft at x = 318.
        QCOMPARE(w->editorView()->image().pixelColor(318, 500), QColor(0xA0, 0x00, 0x00));
    }

    void depthButtons_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QPoint>("pos");
        for (int n = 1; n <= 16; ++n) {
            const QPoint pos = n <= 8 ? QPoint(18, 50 + (8 - n) * 20) : QPoint(60, 38 + (16 - n) * 20);
            QTest::addRow("button %d", n) << n << pos;
        }
    }
    void depthButtons()
    {
        QFETCH(int, n);
        QFETCH(QPoint, pos);
        QToolButton *b = w->depthButton(n);
        QVERIFY(b);
        QCOMPARE(b->objectName(), QStringLiteral("SpeedButton%1").arg(n));
        QCOMPARE(b->property("tag").toInt(), n);
        const QString hint = QString::number(n) + QStringLiteral("重に繰り返し");
        QCOMPARE(b->statusTip(), hint);
        QCOMPARE(b->toolTip(), hint);
        QCOMPARE(b->geometry(), QRect(pos, QSize(42, 20)));
        QCOMPARE(b->text(), QString::number(n));
        QVERIFY(b->isCheckable());
        // The default template offers every depth (131071 segments at 16).
        QVERIFY(b->isEnabled());
        QVERIFY(!b->isChecked());
    }

    void depthButtonGrowsTree_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("segments");
        QTest::addRow("1") << 1 << 3;
        QTest::addRow("2") << 2 << 7;
        QTest::addRow("8") << 8 << 511;
        QTest::addRow("16") << 16 << 131071;
    }
    void depthButtonGrowsTree()
    {
        QFETCH(int, n);
        QFETCH(int, segments);
        clickDepth(n);
        QCOMPARE(w->depth(), n);
        QVERIFY(w->depthButton(n)->isChecked());
        QVERIFY(!w->editMode());
        QVERIFY(w->treeView()->isVisible());
        QVERIFY(!w->editorView()->isVisible());
        QVERIFY(!sbAdd()->isVisible());
        QCOMPARE(w->store().Count(), segments);
        QCOMPARE(w->store().line(0).level, n + 1);
        // The ramp was built for this depth: its top entry is the trunk colour.
        QCOMPARE(w->colorRamp()[static_cast<size_t>(n + 1)] & 0xFFFFFFu, TColor{0x0000A0});
        // The trunk is drawn in the tree view at x = 318, from y = 603 up to 412.
        const QImage &img = w->treeView()->image();
        QCOMPARE(img.pixelColor(318, 500), QColor(0xA0, 0x00, 0x00));
        QCOMPARE(img.pixelColor(100, 620), QColor(0xE0, 0xFF, 0xF8));
    }

    void editButtonShowsEditorInTheDefaultView()
    {
        clickDepth(4);
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
        QVERIFY(w->view().ViewScale > 200);
        QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
        QVERIFY(w->editMode());
        QVERIFY(w->editorView()->isVisible());
        QVERIFY(sbAdd()->isVisible());
        QVERIFY(!w->treeView()->isVisible());
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
        QVERIFY(w->view().ViewScale == 636 * 0.3L);
        QCOMPARE(w->depth(), 4);
    }

    void resizeResetsZoomAndKeepsMode()
    {
        clickDepth(3);
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
        QCOMPARE(w->view().ViewOrigin, (TPixel{100, 200}));
        const auto before = w->treePicture();

        w->resize(w->WindowSizeFor({900, 700}));
        const QSize views = ViewSizeFor(QSize(900, 700));
        QTRY_COMPARE(w->treeView()->size(), views);
        const ViewState &v = w->view();
        QCOMPARE(v.ViewOrigin, (TPixel{views.width() / 2, views.height() / 2}));
        QVERIFY(v.ViewScale == views.width() * 0.3L);
        QCOMPARE(v.ViewCenter, (TPointE{0.0L, 1.5L}));
        QCOMPARE(w->editorView()->image().size(), views);
        QCOMPARE(w->treeView()->image().size(), views);
        // The mode and the depth stay; the tree was regrown and rendered again.
        QVERIFY(!w->editMode());
        QVERIFY(w->treeView()->isVisible());
        QVERIFY(!w->editorView()->isVisible());
        QVERIFY(w->depthButton(3)->isChecked());
        QCOMPARE(w->store().Count(), 15);
        QVERIFY(w->treePicture() != before);
        // The template's pixel points follow the new default view.
        QCOMPARE(w->table().Branches[0].screenEnd, v.ModelToScreen({0.0L, 1.0L}));
        const QRect ed = w->editorView()->geometry();
        QCOMPARE(sbAdd()->geometry().right(), ed.right() - 8);
        QCOMPARE(sbAdd()->geometry().bottom(), ed.bottom() - 4);
    }

    void zeroSizeViewIsSafe()
    {
        const auto before = w->treePicture();
        const TPixel trunkEnd = w->table().Branches[0].screenEnd;
        w->resize(10, 10); // the window's minimum leaves the image panel without interior
        QTRY_VERIFY(!w->view().HasArea());
        QVERIFY(w->editorView()->image().isNull());
        QCOMPARE(w->treePicture(), before);
        // The template's pixel points were not collapsed onto a view without area.
        QCOMPARE(w->table().Branches[0].screenEnd, trunkEnd);
        // Commands keep working without a picture to draw on.
        w->depthButton(5)->click();
        QCOMPARE(w->store().Count(), 63);
        w->findChild<QToolButton *>("SBEdit")->click();
        QVERIFY(w->editMode());

        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_VERIFY(w->view().HasArea());
        QCOMPARE(w->editorView()->image().size(), QSize(636, 634));
        QVERIFY(w->treePicture() != before);
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
        QCOMPARE(w->table().Branches[0].screenEnd, trunkEnd);
    }

    // A view that loses its area and gets its size back keeps a drag to the pixel (made
    // afresh from its values, a far point lands pixels away), and a reset meanwhile offers
    // the depths of the default template.
    void viewWithoutAreaKeepsTheDragAndFollowsAReset()
    {
        Drag(w->editorView(), {413, 317}, {{600, 100}, {1500, -900}});
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{1500, -900}));
        for (int i = 0; i < 18; ++i) {
            QTest::mouseClick(sbAdd(), Qt::LeftButton);
        }
        QVERIFY(!w->depthButton(16)->isEnabled());
        w->resize(10, 10);
        QTRY_VERIFY(!w->view().HasArea());
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_VERIFY(w->view().HasArea());
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{1500, -900}));

        w->resize(10, 10);
        QTRY_VERIFY(!w->view().HasArea());
        log.answerYes = true;
        QTest::mouseClick(button("SBInit"), Qt::LeftButton);
        QCOMPARE(w->table().BranchCount, 2);
        QVERIFY(w->depthButton(16)->isEnabled());
    }

    void treeViewClicks_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("stillHeld");
        QTest::addColumn<int>("effect"); // 0 recentre, 1 zoom in, 2 zoom out
        const int none = Qt::NoModifier;
        QTest::addRow("left zooms in") << int(Qt::LeftButton) << none << 0 << 1;
        QTest::addRow("right zooms out") << int(Qt::RightButton) << none << 0 << 2;
        QTest::addRow("shift+left recentres") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << 0 << 0;
        QTest::addRow("ctrl+left recentres") << int(Qt::LeftButton) << int(Qt::ControlModifier) << 0 << 0;
        QTest::addRow("shift+right recentres") << int(Qt::RightButton) << int(Qt::ShiftModifier) << 0 << 0;
        QTest::addRow("middle recentres") << int(Qt::MiddleButton) << none << 0 << 0;
        QTest::addRow("alt+middle recentres") << int(Qt::MiddleButton) << int(Qt::AltModifier) << 0 << 0;
        QTest::addRow("shift+ctrl+left zooms in")
            << int(Qt::LeftButton) << int(Qt::ShiftModifier | Qt::ControlModifier) << 0 << 1;
        QTest::addRow("alt+left zooms in") << int(Qt::LeftButton) << int(Qt::AltModifier) << 0 << 1;
        QTest::addRow("alt+right zooms out") << int(Qt::RightButton) << int(Qt::AltModifier) << 0 << 2;
        QTest::addRow("shift+alt+left zooms in")
            << int(Qt::LeftButton) << int(Qt::ShiftModifier | Qt::AltModifier) << 0 << 1;
        QTest::addRow("shift+left with right held zooms in")
            << int(Qt::LeftButton) << int(Qt::ShiftModifier) << int(Qt::RightButton) << 1;
    }
    void treeViewClicks()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, stillHeld);
        QFETCH(int, effect);
        clickDepth(2);
        const auto before = w->treePicture();
        const auto b = static_cast<Qt::MouseButton>(button);
        const auto mods = Qt::KeyboardModifiers(modifiers);
        const auto held = Qt::MouseButtons(stillHeld);
        Press(w->treeView(), {100, 200}, b, mods, held);
        QVERIFY(w->mouseIsDown());
        Release(w->treeView(), {100, 200}, b, mods, held);
        QVERIFY(!w->mouseIsDown());

        const ViewState &v = w->view();
        QVERIFY(Near(v.ViewCenter.x, -1.142558L));
        QVERIFY(Near(v.ViewCenter.y, 2.113208L));
        if (effect == 0) {
            QCOMPARE(v.ViewOrigin, (TPixel{318, 317}));
            QVERIFY(v.ViewScale == 636 * 0.3L);
        } else {
            QCOMPARE(v.ViewOrigin, (TPixel{100, 200}));
            QVERIFY(Near(v.ViewScale, effect == 1 ? 269.8319L : 134.9160L));
        }
        // A click renders again without regrowing.
        QVERIFY(w->treePicture() != before);
        QCOMPARE(w->store().Count(), 7);
    }

    void releaseWithoutPressDoesNothing()
    {
        clickDepth(2);
        const auto before = w->treePicture();
        Release(w->treeView(), {100, 200}, Qt::LeftButton);
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
        QCOMPARE(w->treePicture(), before);
    }

    void zoomPersistsAcrossDepthsAndUndoesItself()
    {
        clickDepth(2);
        const TPointE probe = w->view().ScreenToModel({250, 150});
        for (auto b : {Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::RightButton}) {
            QTest::mouseClick(w->treeView(), b, Qt::NoModifier, QPoint(100, 200));
        }
        const TPointE back = w->view().ScreenToModel({250, 150});
        QVERIFY(Near(back.x, probe.x, 1e-9L) && Near(back.y, probe.y, 1e-9L));
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
        const long double zoomed = w->view().ViewScale;
        clickDepth(6);
        QVERIFY(w->view().ViewScale == zoomed);
        QCOMPARE(w->view().ViewOrigin, (TPixel{100, 200}));
    }

    void zoomCursorOverTheTreeView()
    {
        clickDepth(1);
        Move(w->treeView(), {50, 50});
        QCOMPARE(w->treeView()->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(w->treeView()->cursor().hotSpot(), QPoint(9, 9));
    }

    void fitRefusesZoom()
    {
        clickDepth(3);
        QTest::mouseClick(fitBox(), Qt::LeftButton);
        QVERIFY(fitBox()->isChecked());
        const auto before = w->treePicture();
        const ViewState v0 = w->view();
        for (auto b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            QTest::mouseClick(w->treeView(), b, Qt::NoModifier, QPoint(100, 200));
        }
        QCOMPARE(log.beeps, 3);
        QCOMPARE(log.warnings.size(), 3);
        QCOMPARE(log.warnings.first(), QString::fromUtf8(ZoomRefusal));
        QVERIFY(!w->mouseIsDown());
        QCOMPARE(w->view().ViewOrigin, v0.ViewOrigin);
        QVERIFY(w->view().ViewScale == v0.ViewScale);
        QCOMPARE(w->treePicture(), before);
    }

    void fitBoxRegrowsFromTheEditedTemplate()
    {
        // An edit made in the editor reaches the store only through a growth.
        Drag(w->editorView(), {413, 317}, {{420, 300}, {413, 250}});
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 250}));
        QCOMPARE(w->store().Count(), 3);
        QVERIFY(Near(w->store().line(1).endPt.y, 1.5L, 0.01L));
        QTest::mouseClick(fitBox(), Qt::LeftButton);
        QVERIFY(Near(w->store().line(1).endPt.y, 1.0L + 162.0L / 191.0L, 1e-12L));
        // With the fit on, the tree's box is centred in the picture.
        const Placement fit = ComputePlacement(w->store(), w->view(), true);
        QVERIFY(fit.k != 1.0L);
        // And off again: the current view.
        QTest::mouseClick(fitBox(), Qt::LeftButton);
        QVERIFY(!fitBox()->isChecked());
    }

    void penWidthChangeRerenders()
    {
        clickDepth(2);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        penList()->setFocus();
        QTRY_VERIFY(penList()->hasFocus());
        const auto before = w->treePicture();
        QTest::keyClick(penList(), Qt::Key_Down);
        QCOMPARE(penList()->currentIndex(), 3);
        QCOMPARE(w->settings().PenWidthSetting, 60);
        QVERIFY(w->treePicture() != before);
        QCOMPARE(w->treePicture()->runs().front().width, 60); // the trunk's pen
        // The render takes the focus away from the list.
        QVERIFY(!penList()->hasFocus());
    }

    // With the views shrunk to nothing, a reset from a zoomed view mode and a growth keep the
    // template: its pixel points are made in the default view of the last real size, neither
    // in the zoomed view nor collapsed onto one spot.
    void resetAndGrowWithoutAViewKeepTheTemplate()
    {
        const BranchTable before = w->table();
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        for (int i = 0; i < 6; ++i) {
            QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 300));
        }
        w->resize(150, 300);
        QTRY_VERIFY(!w->view().HasArea());
        log.answerYes = true;
        QTest::mouseClick(w->findChild<QToolButton *>("SBInit"), Qt::LeftButton);
        QVERIFY(w->editMode());
        QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
        for (int32_t i = 0; i <= 2; ++i) {
            const TBranch &got = w->table().Branches[static_cast<size_t>(i)];
            const TBranch &want = before.Branches[static_cast<size_t>(i)];
            QCOMPARE(got.screenStart, want.screenStart);
            QCOMPARE(got.screenEnd, want.screenEnd);
            QVERIFY(std::fabs(static_cast<double>(got.V.x - want.V.x)) < 1e-12);
            QVERIFY(std::fabs(static_cast<double>(got.V.y - want.V.y)) < 1e-12);
            QVERIFY(std::fabs(static_cast<double>(got.P.y - want.P.y)) < 1e-12);
        }
    }

    void penWidthChoiceWithoutAViewReachesTheSettings()
    {
        w->resize(10, 10);
        QTRY_VERIFY(!w->view().HasArea());
        const auto before = w->treePicture();
        penList()->setCurrentIndex(7);
        emit penList()->activated(7); // as the user's choice
        // Nothing to draw in, but the setting a save writes follows the list.
        QCOMPARE(w->settings().PenWidthSetting, 140);
        QCOMPARE(w->treePicture(), before);
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_VERIFY(w->view().HasArea());
        QCOMPARE(w->settings().PenWidthSetting, 140);
        QCOMPARE(w->treePicture()->runs().front().width, 140);
    }

    void applySettingsSetsTheListSilently_data()
    {
        QTest::addColumn<int>("penWidth");
        QTest::addColumn<int>("index");
        QTest::addRow("100 -> 5") << 100 << 5;
        QTest::addRow("0 -> 0") << 0 << 0;
        QTest::addRow("219 -> 10") << 219 << 10;
        QTest::addRow("too wide clamps") << 400 << 10;
        QTest::addRow("negative clamps") << -40 << 0;
    }
    void applySettingsSetsTheListSilently()
    {
        QFETCH(int, penWidth);
        QFETCH(int, index);
        const auto before = w->treePicture();
        DrawSettings s;
        s.BackColor = 0x102030;
        s.TipColor = 0x405060;
        s.TrunkColor = 0x708090;
        s.PenWidthSetting = penWidth;
        w->ApplySettings(s);
        QCOMPARE(penList()->currentIndex(), index);
        QCOMPARE(w->treePicture(), before); // no render ran
        QCOMPARE(w->settings().PenWidthSetting, penWidth); // kept until the next render
        QCOMPARE(w->findChild<ColorSwatch *>("shapeB")->fill(), ToQColor(0x102030));
        QCOMPARE(w->findChild<ColorSwatch *>("ShapeP")->outline(), ToQColor(0x405060));
        QCOMPARE(w->findChild<ColorSwatch *>("Shape1")->fill(), ToQColor(0x708090));
        w->RenderPicture();
        QCOMPARE(w->settings().PenWidthSetting, index * 20);
    }

    void swatches_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancel");
        for (const char *n : {"shapeB", "ShapeP", "Shape1"}) {
            QTest::addRow("%s chosen", n) << QString::fromLatin1(n) << false;
            QTest::addRow("%s cancelled", n) << QString::fromLatin1(n) << true;
        }
    }
    void swatches()
    {
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        clickDepth(1);
        auto *swatch = w->findChild<ColorSwatch *>(name);
        QVERIFY(swatch);
        auto setting = [&]() -> TColor {
            if (name == QLatin1String("shapeB")) {
                return w->settings().BackColor;
            }
            return name == QLatin1String("ShapeP") ? w->settings().TipColor : w->settings().TrunkColor;
        };
        const TColor old = setting();
        if (!cancel) {
            log.colorAnswer = QColor(0x12, 0x34, 0x56);
        }
        const auto before = w->treePicture();
        QTest::mouseClick(swatch, Qt::LeftButton);
        QCOMPARE(log.colorRequests, 1);
        const TColor expected = cancel ? old : TColor{0x563412};
        QCOMPARE(setting(), expected);
        QCOMPARE(swatch->fill(), ToQColor(expected));
        QCOMPARE(swatch->outline(), name == QLatin1String("shapeB") ? QColor(Qt::black)
                                                                    : ToQColor(expected));
        // The render runs after a cancel too.
        QVERIFY(w->treePicture() != before);
        if (name == QLatin1String("shapeB") && !cancel) {
            QCOMPARE(w->treeView()->image().pixelColor(20, 20), QColor(0x12, 0x34, 0x56));
        }
    }

    void copyPutsThePictureOnTheClipboard()
    {
        clickDepth(3);
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(button("SpeedButton17"), Qt::LeftButton);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasFormat(QStringLiteral("image/svg+xml")));
        const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
        QVERIFY(svg.contains("8000"));
        QVERIFY(svg.contains("7975"));
    }

    void statusBarHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("toolTip");
        QTest::addRow("depth 3") << "SpeedButton3" << QStringLiteral("3重に繰り返し") << true;
        QTest::addRow("depth 16") << "SpeedButton16" << QStringLiteral("16重に繰り返し") << true;
        QTest::addRow("edit") << "SBEdit" << QStringLiteral("編集") << false;
        QTest::addRow("tip swatch") << "ShapeP" << QStringLiteral("先端の色") << false;
        QTest::addRow("trunk swatch") << "Shape1" << QStringLiteral("幹の色") << false;
        QTest::addRow("open") << "SBload" << QStringLiteral("データの読み出し") << false;
        QTest::addRow("save") << "SBSave" << QStringLiteral("データの記録") << false;
        QTest::addRow("tree view") << "CImg"
                                   << QStringLiteral("左クリック：拡大，右クリック：縮小，Shift+クリック：中央へ移動")
                                   << false;
        QTest::addRow("editor")
            << "Img1" << QStringLiteral("点のドラッグで移動，枝のドラッグで平行移動，枝の右クリックで属性変更と削除")
            << false;
    }
    void statusBarHints()
    {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        QFETCH(bool, toolTip);
        auto *target = w->findChild<QWidget *>(name);
        QVERIFY(target);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(target->mapToGlobal(QPoint(2, 2))));
        QApplication::sendEvent(target, &enter);
        QCOMPARE(StatusText(*w), QStringLiteral("  ") + hint);
        QCOMPARE(target->toolTip(), toolTip ? hint : QString());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(target, &leave);
        QCOMPARE(StatusText(*w), QStringLiteral("  "));
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::addRow("two branches, No") << 2 << false << true << false;
        QTest::addRow("two branches, Yes") << 2 << true << true << true;
        QTest::addRow("one branch") << 1 << false << false << true;
        // -1: one branch, dragged and not saved since.
        QTest::addRow("one branch dragged, No") << -1 << false << true << false;
        QTest::addRow("one branch dragged, Yes") << -1 << true << true << true;
        QTest::addRow("no branch, No") << 0 << false << true << false;
        QTest::addRow("no branch, Yes") << 0 << true << true << true;
    }
    void closeQuestion()
    {
        QFETCH(int, branches);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        w->table().BranchCount = std::abs(branches);
        if (branches < 0) {
            Drag(w->editorView(), {413, 317}, {{450, 300}});
        }
        log.answerYes = yes;
        QTest::mouseClick(button("BBclose"), Qt::LeftButton);
        QCOMPARE(log.questions.size(), asked ? 1 : 0);
        QCOMPARE(log.beeps, asked ? 1 : 0);
        if (asked) {
            QCOMPARE(log.questions.first(), QString::fromUtf8(CloseQuestion));
        }
        QCOMPARE(w->isVisible(), !closed);
    }

    void realQuestionBox()
    {
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        SetDialogHooks(*w, hooks);
        bool checked = false;
        OnModal<QMessageBox>([&checked](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
            QCOMPARE(box->text(), QStringLiteral("終了しますよ"));
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->buttons().size(), 2);
            QCOMPARE(box->button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
            QCOMPARE(box->button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            QCOMPARE(box->escapeButton(), static_cast<QAbstractButton *>(box->button(QMessageBox::No)));
            checked = true;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        w->close();
        QVERIFY(checked);
        QVERIFY(w->isVisible()); // Escape answers No
        QCOMPARE(log.beeps, 1);

        OnModal<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
        w->close();
        QVERIFY(!w->isVisible()); // Return takes the default, Yes
    }

    // The menu bar: four menus made from the window's actions, every item with its text and
    // a status-bar hint; the window is taller by the bar, so the views keep their size and
    // place.
    void menuBar()
    {
        const QList<QAction *> menus = w->menuBar()->actions();
        QStringList titles;
        for (QAction *m : menus) {
            titles << m->text();
        }
        QCOMPARE(titles, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "ヘルプ(&H)"}));
        int items = 0;
        std::function<void(QMenu *)> check = [&](QMenu *menu) {
            for (QAction *a : menu->actions()) {
                if (a->menu() != nullptr) {
                    check(a->menu());
                } else if (!a->isSeparator()) {
                    ++items;
                    QVERIFY2(!a->text().isEmpty() && !a->statusTip().isEmpty(),
                             qPrintable(a->objectName()));
                }
            }
        };
        for (QAction *m : menus) {
            check(m->menu());
        }
        // Edit: undo, redo, add branch, branch values, variations, animation, reset.
        QCOMPARE(items, 7 + 7 + 7 + 16 + 2);
        const auto *save = w->findChild<QAction *>("actSave");
        QCOMPARE(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QVERIFY(menus[0]->menu()->actions().contains(const_cast<QAction *>(save)));
        QCOMPARE(w->size(), QSize(798, 672 + w->menuBar()->height()));
        QCOMPARE(w->editorView()->geometry(), QRect(8, 8, 636, 634));
        QCOMPARE(w->editorView()->mapTo(w.get(), QPoint(0, 0)).y(), 8 + w->menuBar()->height());
    }

    void menuItemsAreEnabledExactlyWhenTheirCommandCanRun_data()
    {
        QTest::addColumn<int>("depth"); // 0: edit mode
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("enabled");
        QTest::addRow("edit: zoom in") << 0 << false << "actZoomIn" << false;
        QTest::addRow("edit: default view") << 0 << false << "actDefaultView" << false;
        QTest::addRow("edit: add branch") << 0 << false << "actAddBranch" << true;
        QTest::addRow("edit: undo") << 0 << false << "actUndo" << false;
        QTest::addRow("edit: depth 16") << 0 << false << "actDepth16" << true;
        QTest::addRow("view: zoom in") << 3 << false << "actZoomIn" << true;
        QTest::addRow("view: zoom out") << 3 << false << "actZoomOut" << true;
        QTest::addRow("view: default view") << 3 << false << "actDefaultView" << true;
        QTest::addRow("view: add branch") << 3 << false << "actAddBranch" << false;
        QTest::addRow("fit: zoom in") << 3 << true << "actZoomIn" << false;
        QTest::addRow("fit: default view") << 3 << true << "actDefaultView" << true;
    }
    void menuItemsAreEnabledExactlyWhenTheirCommandCanRun()
    {
        QFETCH(int, depth);
        QFETCH(bool, fit);
        QFETCH(QString, action);
        QFETCH(bool, enabled);
        if (depth > 0) {
            clickDepth(depth);
        }
        if (fit) {
            QTest::mouseClick(fitBox(), Qt::LeftButton);
        }
        for (QAction *m : w->menuBar()->actions()) {
            emit m->menu()->aboutToShow();
        }
        QCOMPARE(w->findChild<QAction *>(action)->isEnabled(), enabled);
    }

    // Zoom in from the menu runs the click's zoom about the middle of the view.
    void zoomFromTheMenu()
    {
        clickDepth(2);
        const long double scale = w->view().ViewScale;
        w->findChild<QAction *>("actZoomIn")->trigger();
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
        QVERIFY(w->view().ViewScale > scale * 1.41L);
        w->findChild<QAction *>("actDefaultView")->trigger();
        QVERIFY(w->view().ViewScale == scale);
    }

    // Help's list names every shortcut and both views' gestures.
    void shortcutsList()
    {
        const QString text = w->ShortcutsText();
        for (const char *key : {"Ctrl+S", "Ctrl+Shift+S", "Ctrl+Z", "Ctrl+Y", "Ctrl+L", "F1", "Esc",
                                "Home", "Del"}) {
            QVERIFY2(text.contains(QLatin1String(key)), key);
        }
        // Every row names what its keys do.
        QVERIFY(!text.contains(QStringLiteral("<td></td>")));
        QVERIFY(text.contains(w->treeView()->statusTip()));
        QVERIFY(text.contains(w->editorView()->statusTip()));
    }

    void realZoomRefusalBox()
    {
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        SetDialogHooks(*w, hooks);
        clickDepth(2);
        QTest::mouseClick(fitBox(), Qt::LeftButton);
        bool checked = false;
        OnModal<QMessageBox>([&checked](QMessageBox *box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
            QCOMPARE(box->text(), QString::fromUtf8(ZoomRefusal));
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->buttons().first()->text(), QStringLiteral("OK"));
            // Wide enough for the text on one line: it never breaks before its last word.
            const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label != nullptr);
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                     qPrintable(QString::number(label->width())));
            checked = true;
            box->buttons().first()->click();
        });
        Press(w->treeView(), {100, 200});
        Release(w->treeView(), {100, 200});
        QVERIFY(checked);
        QCOMPARE(log.beeps, 1);
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
    }
};

QTEST_MAIN(TestMainform)
#include "test_mainform.moc"
