// Growth into a warm store: the default template at depth 16 and a three-branch template at
// depth 11, which fills the store and stops.

#include "onethread.h"

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace ramulet;

namespace {

void GrowthBench(benchmark::State &state, int branches, int depth)
{
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    BranchTable t;
    SetDefaultTemplate(t, view);
    while (t.BranchCount < branches) {
        AddBranch(t, view);
    }
    auto store = std::make_unique<Tseglines>();
    GrowTree(t, *store, depth); // warm the store's pages
    for (auto _ : state) {
        GrowTree(t, *store, depth);
        benchmark::DoNotOptimize(store->lastIndex);
    }
    state.counters["segments"] = store->Count();
}

void BM_GrowDefaultDepth16(benchmark::State &state) { GrowthBench(state, 2, 16); }
void BM_GrowThreeBranchesDepth11(benchmark::State &state) { GrowthBench(state, 3, 11); }

void BM_EstimateAllDepths(benchmark::State &state)
{
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    BranchTable t;
    SetDefaultTemplate(t, view);
    while (AddBranch(t, view)) {
    }
    for (auto _ : state) {
        int32_t sum = 0;
        for (int32_t n = 1; n <= MaxDepth; ++n) {
            sum ^= EstimateSegmentCount(t, n);
        }
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK(BM_GrowDefaultDepth16)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_GrowThreeBranchesDepth11)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_EstimateAllDepths);

BENCHMARK_MAIN();
