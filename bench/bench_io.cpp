// Writing and reading template files.

#include "core/branches.h"
#include "io/templatefile.h"

#include <benchmark/benchmark.h>

#include <cfloat>
#include <cmath>

using namespace ramulet;

namespace {

BranchTable FullTable()
{
    BranchTable t;
    t.BranchCount = MaxBranches;
    t.Branches[0].V = {0.0L, 1.0L};
    for (int32_t i = 1; i <= MaxBranches; ++i) {
        TBranch &b = t.Branches[static_cast<size_t>(i)];
        b.P = {0.0L, static_cast<long double>(i) / MaxBranches};
        b.V = {std::sin(static_cast<long double>(i)) / 3.0L, std::cos(static_cast<long double>(i))};
        b.kind = i % 3 - 1;
    }
    return t;
}

void BM_FormatReal(benchmark::State &state, long double v)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatReal(v));
    }
}
BENCHMARK_CAPTURE(BM_FormatReal, typical, 0.7071067811865475244L);
BENCHMARK_CAPTURE(BM_FormatReal, ldbl_max, LDBL_MAX);
BENCHMARK_CAPTURE(BM_FormatReal, subnormal, LDBL_TRUE_MIN);

void BM_FormatTemplate20(benchmark::State &state)
{
    const BranchTable t = FullTable();
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatTemplate(t, TemplateSettings{}));
    }
}
BENCHMARK(BM_FormatTemplate20);

void BM_ParseTemplate20(benchmark::State &state)
{
    const QByteArray text = FormatTemplate(FullTable(), TemplateSettings{});
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseTemplate(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_ParseTemplate20);

// A file with a long label line: the reader's byte loop.
void BM_ParseLongLabel(benchmark::State &state)
{
    QByteArray text = FormatTemplate(FullTable(), TemplateSettings{});
    text.replace("Count of Data", QByteArray(1 << 20, 'c'));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseTemplate(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_ParseLongLabel);

} // namespace

BENCHMARK_MAIN();
