// Variations: the ring of the default template as the window makes it, the eight neighbours
// mutated and drawn as smooth thumbnails at depth 10, side by side on a thread pool (and, for
// comparison in the same run, on one thread). The window wants the ring within 100 ms.

#include "app/variationdialog.h"
#include "core/branches.h"
#include "io/variationfile.h"

#include <QThreadPool>

#include <benchmark/benchmark.h>

#include "guimain.h"

using namespace ramulet;

namespace {

void BM_VariationRing(benchmark::State &state)
{
    const bool oneThread = state.range(0) != 0;
    state.SetLabel(oneThread ? "one thread" : "thread pool");
    BranchTable table;
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    SetDefaultTemplate(table, view);
    NormalizeTemplate(table);
    const VariationTemplate parent = VariationParent(table, TemplateSettings{});
    VariationLook look;
    look.depth = 10;
    QThreadPool pool;
    if (oneThread) {
        pool.setMaxThreadCount(1);
    }
    const QSize size(VariationThumbnailSide, VariationThumbnailSide);
    for (auto _ : state) {
        const auto ring = MakeVariationRing(parent, 1, 8, VariationOptions{});
        std::vector<VariationTemplate> templates;
        for (const VariationNeighbour &n : ring) {
            templates.push_back(n.variation);
        }
        StartVariationThumbnails(pool, templates, look, size, [](int, const QImage &image) {
            benchmark::DoNotOptimize(image.constBits());
        });
        pool.waitForDone();
    }
}
BENCHMARK(BM_VariationRing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

RAMULET_BENCHMARK_GUI_MAIN()
