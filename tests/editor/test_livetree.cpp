// The live tree without a window: the depth it shows, the growth from a normalised copy that
// leaves the template alone, the pixels it draws (those the tree view draws), and regrowing
// only when something it is made from has changed.

#include "core/branches.h"
#include "core/segments.h"
#include "editor/editordraw.h"
#include "editor/livetree.h"
#include "view/record.h"
#include "view/renderpipeline.h"

#include "common/testsupport.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace ramulet;

namespace {

ViewState View636() { return test::DefaultView(636, 634); }

// The default template with `branches` branches and branch 1's end point dragged by (dx, dy).
BranchTable Template(int32_t branches, int dx = 0, int dy = 0)
{
    BranchTable t;
    const ViewState v = View636();
    SetDefaultTemplate(t, v);
    while (t.BranchCount < branches) {
        AddBranch(t, v);
    }
    if (dx != 0 || dy != 0) {
        t.Branches[1].screenEnd.x += dx;
        t.Branches[1].screenEnd.y += dy;
        t.Branches[1].moved = true;
    }
    return t;
}

bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

bool SameRows(const BranchTable &a, const BranchTable &b)
{
    if (a.BranchCount != b.BranchCount) {
        return false;
    }
    for (int32_t i = 0; i <= a.BranchCount; ++i) {
        const TBranch &r = a.Branches[static_cast<size_t>(i)];
        const TBranch &s = b.Branches[static_cast<size_t>(i)];
        if (!(r.screenStart == s.screenStart && r.screenEnd == s.screenEnd && r.P == s.P &&
              r.V == s.V && SameBits(r.ratio, s.ratio) && r.moved == s.moved && r.kind == s.kind)) {
            return false;
        }
    }
    return true;
}

QImage Ground(const ViewState &v, const LiveTree *live)
{
    QImage img(636, 634, QImage::Format_RGB32);
    QPainter p(&img);
    // Background and grid only: a table whose trunk lies off the view draws nothing more.
    BranchTable offView = test::TrunkOnly();
    offView.Branches[0].screenStart = {-100, -100};
    offView.Branches[0].screenEnd = {-100, -90};
    PaintEditor(p, img.size(), offView, v, Qt::black,
                live ? EditorUnderlay([live](QPainter &q) { live->Draw(q); }) : EditorUnderlay());
    return img;
}

} // namespace

class TestLiveTree : public QObject {
    Q_OBJECT
private slots:
    void shownDepth_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("shown");
        QTest::addRow("default, depth 10") << 2 << 10 << 10;
        QTest::addRow("default, depth 16 is offered") << 2 << 16 << 16;
        QTest::addRow("three branches grown past depth 10") << 3 << 16 << 10;
        QTest::addRow("three branches at depth 10") << 3 << 10 << 10;
        QTest::addRow("twenty branches") << 20 << 16 << 4;
        QTest::addRow("depth 1") << 20 << 1 << 1;
    }
    void shownDepth()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(int, shown);
        QCOMPARE(LiveTree::ShownDepth(Template(branches), depth), shown);
    }

    // The store is what a depth button would grow from the template as the editor shows it
    // (the dragged row from its pixel points, the others from their exact values), and the
    // template itself keeps its rows.
    void growsTheCopyAsTheDepthButtonWould()
    {
        const BranchTable t = Template(3, 17, -9);
        const BranchTable before = t;
        const ViewState v = View636();
        LiveTree live;
        QVERIFY(live.Update(t, 10, v, DrawSettings{}));
        QVERIFY(SameRows(t, before));
        QCOMPARE(live.shownDepth(), 10);

        BranchTable copy = t;
        auto expected = std::make_unique<Tseglines>();
        GrowTree(copy, *expected, 10);
        const Tseglines &got = *live.store();
        QCOMPARE(got.lastIndex, expected->lastIndex);
        for (int32_t i = 0; i <= got.lastIndex; ++i) {
            const TSegLine &a = got.line(i);
            const TSegLine &b = expected->line(i);
            QVERIFY2(SameBits(a.endPt.x, b.endPt.x) && SameBits(a.endPt.y, b.endPt.y) &&
                         SameBits(a.startPt.x, b.startPt.x) && SameBits(a.widthFactor, b.widthFactor),
                     qPrintable(QString::number(i)));
        }
        // Branch 2 was not moved: its exact value reached the growth.
        QCOMPARE(got.line(1 + 29524).endPt.x, -0.5L);
        // Each part was recorded as it was grown: the picture a record of the whole store
        // makes.
        ColorRampTable ramp{};
        BuildColorRamp(ramp, DrawSettings{}, 10);
        DrawSettings white;
        white.BackColor = White;
        const auto whole = RecordTreePicture(*expected, v, white, ramp, false);
        QVERIFY(live.picture()->lines() == whole->lines());
        QCOMPARE(live.picture()->runs().size(), whole->runs().size());
    }

    // It draws exactly the pixels the tree view draws for the same tree in the default view,
    // over the editor's background and grid, in the picture's colours lightened.
    void drawsWhatTheTreeViewDraws_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("pen");
        QTest::addRow("default, depth 10") << 2 << 10 << 40;
        QTest::addRow("dragged, depth 16, wide pen") << 2 << 16 << 200;
        QTest::addRow("three branches, thinnest") << 3 << 9 << 0;
    }
    void drawsWhatTheTreeViewDraws()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(int, pen);
        const BranchTable t = Template(branches, depth == 16 ? 30 : 0, depth == 16 ? 12 : 0);
        const ViewState v = View636();
        DrawSettings s;
        s.PenWidthSetting = pen;
        LiveTree live;
        live.Update(t, depth, v, s);
        const QImage ground = Ground(v, nullptr);
        const QImage withTree = Ground(v, &live);

        // The tree view's picture of the same tree, in the default view.
        BranchTable copy = t;
        RenderRequest r;
        r.depth = depth;
        r.view = v;
        r.settings = s;
        RenderPipeline pipeline;
        QImage treeView(636, 634, QImage::Format_RGB32);
        ShowTreePicture(treeView, *pipeline.Render(copy, r), s.BackColor);
        const ColorRampTable &ramp = pipeline.ramp();

        QList<QRgb> lightened;
        for (int level = 1; level <= depth + 1; ++level) {
            lightened << ToQColor(LightenTowardEditor(ramp[static_cast<size_t>(level)])).rgb();
        }
        const QRgb back = ToQColor(s.BackColor).rgb();
        int drawn = 0;
        for (int y = 0; y < 634; ++y) {
            for (int x = 0; x < 636; ++x) {
                const bool inView = treeView.pixel(x, y) != back;
                const bool inEditor = withTree.pixel(x, y) != ground.pixel(x, y);
                QVERIFY2(inView == inEditor, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                if (inEditor) {
                    ++drawn;
                    QVERIFY(lightened.contains(withTree.pixel(x, y)));
                }
            }
        }
        QVERIFY(drawn > 1000);
    }

    void regrowsOnlyWhenSomethingChanged()
    {
        BranchTable t = Template(2);
        ViewState v = View636();
        DrawSettings s;
        LiveTree live;
        QVERIFY(live.Update(t, 8, v, s));
        QVERIFY(!live.Update(t, 8, v, s));
        QVERIFY(!live.Changed(t, 8, v, s));
        QCOMPARE(live.growths(), 1);
        // A step of the drag, the kind, the depth, the pen width and a colour each regrow.
        t.Branches[1].screenEnd.x += 1;
        t.Branches[1].moved = true;
        QVERIFY(live.Update(t, 8, v, s));
        t.Branches[2].kind = kindOrder;
        QVERIFY(live.Update(t, 8, v, s));
        QVERIFY(live.Update(t, 9, v, s));
        s.PenWidthSetting = 60;
        QVERIFY(live.Update(t, 9, v, s));
        s.TipColor = 0x123456;
        QVERIFY(live.Update(t, 9, v, s));
        // The background is not drawn by the live tree.
        s.BackColor = 0x654321;
        QVERIFY(!live.Update(t, 9, v, s));
        // A resized view.
        v = test::DefaultView(500, 500);
        QVERIFY(live.Update(t, 9, v, s));
        QCOMPARE(live.growths(), 7);
    }
};

QTEST_MAIN(TestLiveTree)
#include "test_livetree.moc"
