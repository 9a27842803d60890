// The render pipeline against the steps it stands for, done by hand: normalise and grow,
// build the ramp, record. Its one-pass render (each part recorded as it is grown) must give
// the same store, box and picture as the steps, and pipelines on several threads at once
// the same as one alone.

#include "core/branches.h"
#include "core/parallel.h"
#include "core/segments.h"
#include "view/renderpipeline.h"

#include "common/testsupport.h"

#include <QtTest>

#include <memory>
#include <thread>
#include <vector>

using namespace ramulet;

namespace {

// The default template with `branches` branches, branch 1's end point dragged by 7 pixels.
BranchTable Template(int32_t branches, const ViewState &v)
{
    BranchTable t;
    SetDefaultTemplate(t, v);
    while (t.BranchCount < branches) {
        AddBranch(t, v);
    }
    t.Branches[1].screenEnd.x += 7;
    t.Branches[1].moved = true;
    return t;
}

RenderRequest Request(int32_t depth, const ViewState &v, bool fit)
{
    RenderRequest r;
    r.depth = depth;
    r.view = v;
    r.settings.BackColor = 0x203040;
    r.settings.PenWidthSetting = 60;
    r.fit = fit;
    return r;
}

// What the pipeline stands for, step by step.
struct ByHand {
    BranchTable table;
    std::unique_ptr<Tseglines> store = std::make_unique<Tseglines>();
    std::shared_ptr<const TreePicture> picture;
};

ByHand RenderByHand(const BranchTable &t, const RenderRequest &r)
{
    ByHand out;
    out.table = t;
    GrowTree(out.table, *out.store, r.depth);
    ColorRampTable ramp{};
    BuildColorRamp(ramp, r.settings, r.depth);
    out.picture = RecordTreePicture(*out.store, r.view, r.settings, ramp, r.fit);
    return out;
}

bool SameStore(const Tseglines &a, const Tseglines &b)
{
    using test::SameBits;
    if (a.lastIndex != b.lastIndex || !SameBits(a.minX, b.minX) || !SameBits(a.maxX, b.maxX) ||
        !SameBits(a.minY, b.minY) || !SameBits(a.maxY, b.maxY)) {
        return false;
    }
    for (int32_t i = 0; i <= a.lastIndex; ++i) {
        const TSegLine &s = a.line(i);
        const TSegLine &u = b.line(i);
        if (!SameBits(s.startPt, u.startPt) || !SameBits(s.endPt, u.endPt) || s.level != u.level ||
            !SameBits(s.widthFactor, u.widthFactor)) {
            return false;
        }
    }
    return true;
}

bool SamePicture(const TreePicture &a, const TreePicture &b)
{
    if (a.lines() != b.lines() || a.runs().size() != b.runs().size() ||
        a.pens().size() != b.pens().size() || a.hasBackground() != b.hasBackground() ||
        a.pictureHeight() != b.pictureHeight()) {
        return false;
    }
    for (size_t i = 0; i < a.runs().size(); ++i) {
        const TreePicture::PenRun &r = a.runs()[i];
        const TreePicture::PenRun &s = b.runs()[i];
        if (r.color != s.color || r.width != s.width || r.first != s.first || r.count != s.count ||
            a.pens()[r.pen] != b.pens()[s.pen]) {
            return false;
        }
    }
    return true;
}

} // namespace

class TestRenderPipeline : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { SetHelperThreadEnabled(true); }

    void renderIsTheStepsByHand_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("zoomed");
        QTest::addColumn<bool>("helper");
        QTest::addRow("small tree, one part") << 2 << 6 << false << false << true;
        QTest::addRow("default depth 16, in parts") << 2 << 16 << false << false << true;
        QTest::addRow("default depth 16, one thread") << 2 << 16 << false << false << false;
        QTest::addRow("full store, zoomed") << 3 << 11 << false << true << true;
        QTest::addRow("full store, fit") << 3 << 11 << true << false << true;
        QTest::addRow("twenty branches, fit, zoomed") << 20 << 4 << true << true << true;
    }
    void renderIsTheStepsByHand()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(bool, fit);
        QFETCH(bool, zoomed);
        QFETCH(bool, helper);
        SetHelperThreadEnabled(helper);
        ViewState v = test::DefaultView(636, 634);
        const BranchTable t = Template(branches, v);
        if (zoomed) {
            v.ApplyClick(400, 200, MouseButton::Left, 0);
        }
        const RenderRequest r = Request(depth, v, fit);
        const ByHand expected = RenderByHand(t, r);

        RenderPipeline pipeline;
        BranchTable table = t;
        const auto picture = pipeline.Render(table, r);
        QVERIFY(SamePicture(*picture, *expected.picture));
        QVERIFY(picture == pipeline.picture());
        // The box too, though a render without the fit leaves it out at first.
        QVERIFY(SameStore(pipeline.store(), *expected.store));
        for (int32_t i = 0; i <= t.BranchCount; ++i) {
            QVERIFY(test::SameBits(table.Branches[size_t(i)].V, expected.table.Branches[size_t(i)].V));
        }
        // A record of the same store in another view, with and without the fit, as a zoom
        // or the fit's check box make it.
        for (const bool refit : {false, true}) {
            RenderRequest again = r;
            again.view.ApplyClick(100, 500, MouseButton::Right, 0);
            again.fit = refit;
            ColorRampTable ramp{};
            BuildColorRamp(ramp, again.settings, again.depth);
            const auto byHand = RecordTreePicture(*expected.store, again.view, again.settings,
                                                  ramp, refit);
            QVERIFY(SamePicture(*pipeline.Record(again), *byHand));
        }
    }

    // Pipelines share nothing: eight on threads of their own at once, as the thumbnails of a
    // variation grid, each give what one gives alone.
    void pipelinesSideBySide()
    {
        const ViewState v = test::DefaultView(200, 180);
        std::vector<BranchTable> tables;
        std::vector<std::shared_ptr<const TreePicture>> alone;
        for (int k = 0; k < 8; ++k) {
            tables.push_back(Template(2 + k % 3, v));
            tables.back().Branches[2].screenEnd.y -= k;
            tables.back().Branches[2].moved = true;
            RenderPipeline p;
            BranchTable copy = tables.back();
            alone.push_back(p.Render(copy, Request(k % 3 == 0 ? 12 : 8, v, k % 2 == 0)));
        }
        std::vector<std::shared_ptr<const TreePicture>> together(8);
        std::vector<std::thread> threads;
        for (int k = 0; k < 8; ++k) {
            threads.emplace_back([&, k] {
                RenderPipeline p;
                BranchTable copy = tables[size_t(k)];
                together[size_t(k)] = p.Render(copy, Request(k % 3 == 0 ? 12 : 8, v, k % 2 == 0));
            });
        }
        for (std::thread &th : threads) {
            th.join();
        }
        for (int k = 0; k < 8; ++k) {
            QVERIFY2(SamePicture(*together[size_t(k)], *alone[size_t(k)]), qPrintable(QString::number(k)));
        }
    }
};

QTEST_APPLESS_MAIN(TestRenderPipeline)
#include "test_renderpipeline.moc"
