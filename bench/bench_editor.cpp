// Editor repaints: a full PaintEditor with 20 branches into a 636 x 634 image (done on every
// hover over an item and every drag step), with and without a highlight, and a hover move.

#include "core/branches.h"
#include "core/viewstate.h"
#include "editor/editorcontroller.h"
#include "editor/editordraw.h"
#include "guimain.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace ramulet;

namespace {

ViewState EditorView()
{
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    return view;
}

// The default template grown to 20 branches, fanned out over the trunk so that arrows and
// labels spread over the view, with all three kinds.
BranchTable TwentyBranches(const ViewState &view)
{
    BranchTable t;
    SetDefaultTemplate(t, view);
    while (t.BranchCount < MaxBranches) {
        AddBranch(t, view);
    }
    const TBranch &trunk = t.Branches[0];
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        TBranch &r = t.Branches[static_cast<size_t>(i)];
        r.screenStart = {trunk.screenStart.x, trunk.screenEnd.y + (i * 9) % 190};
        r.screenEnd = {r.screenStart.x + (i % 2 == 0 ? -1 : 1) * (40 + 8 * i), r.screenStart.y - 60 - 5 * i};
        r.kind = i % 3 == 0 ? kindSegment : (i % 3 == 1 ? kindOrder : kindReverse);
    }
    return t;
}

void BM_PaintEditor(benchmark::State &state)
{
    const ViewState view = EditorView();
    const BranchTable t = TwentyBranches(view);
    QImage img(636, 634, QImage::Format_RGB32);
    const bool highlight = state.range(0) != 0;
    for (auto _ : state) {
        QPainter p(&img);
        PaintEditor(p, img.size(), t, view, Qt::black);
        if (highlight) {
            PaintHighlightBranch(p, t, 7);
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_PaintEditor)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DepthButtons(benchmark::State &state)
{
    const ViewState view = EditorView();
    const BranchTable t = TwentyBranches(view);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UpdateDepthButtons(t));
    }
}
BENCHMARK(BM_DepthButtons);

void BM_HoverMove(benchmark::State &state)
{
    const ViewState view = EditorView();
    BranchTable t = TwentyBranches(view);
    bool down = false;
    EditorController c(t, down);
    int32_t x = 0;
    for (auto _ : state) {
        x = (x + 7) % 636;
        benchmark::DoNotOptimize(c.mouseMove(x, 300));
    }
}
BENCHMARK(BM_HoverMove);

} // namespace

RAMULET_BENCHMARK_GUI_MAIN()
