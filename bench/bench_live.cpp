// One drag step with the live tree shown, as the window makes it on a 636 x 634 view: the
// end point of branch 1 moves one pixel, the copy of the table is normalised and grown, the
// live tree recorded and drawn, the editor painted over and under it with the depth buttons'
// estimates and the point's mark. The argument is the live tree's segment count: the default
// template at depth 16 (131,071) and three mirrored branches at depth 11 (the store full,
// 200,001). BM_Play, QPainter replaying the default depth-16 picture, is measured in the same
// run for comparison.

#include "benchscene.h"

#include "editor/editorcontroller.h"
#include "editor/editordraw.h"
#include "editor/livetree.h"

#include "guimain.h"

#include <algorithm>
#include <vector>

using namespace ramulet;
using namespace ramulet::bench;

namespace {

void BM_LiveDragStep(benchmark::State &state)
{
    const bool full = state.range(0) > 131071;
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    BranchTable table;
    SetDefaultTemplate(table, view);
    while (table.BranchCount < (full ? 3 : 2)) {
        AddBranch(table, view);
    }
    const int32_t depth = full ? 11 : 16;
    bool mouseDown = false;
    EditorController editor(table, mouseDown);
    const TPixel end = table.Branches[1].screenEnd;
    editor.mouseMove(end.x, end.y);
    editor.mouseDown(MouseButton::Left, end.x, end.y);
    LiveTree live;
    const DrawSettings settings;
    QImage image(636, 634, QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        ++step;
        const EditorRepaint r = editor.mouseMove(end.x + (step & 1), end.y);
        live.Update(table, depth, view, settings);
        benchmark::DoNotOptimize(UpdateDepthButtons(table));
        QPainter p(&image);
        PaintEditor(p, image.size(), table, view, Qt::black, [&live](QPainter &q) { live.Draw(q); });
        PaintHighlightPoint(p, table, r.row);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["segments"] = live.store()->Count();
}

// The least of the repetitions too: on a machine shared with other work it shows what the
// step costs when nothing else holds up either thread.
double Least(const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); }

} // namespace

BENCHMARK(BM_LiveDragStep)
    ->Arg(131071)->Arg(200001)
    ->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly()
    ->ComputeStatistics("min", Least);
BENCHMARK(BM_Play)
    ->Args({2, 16, 0})->Args({2, 16, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly()
    ->ComputeStatistics("min", Least);

RAMULET_BENCHMARK_GUI_MAIN()
