// Rendering the tree picture: recording the store into the display list, replaying it onto
// the 636 x 634 tree view (with and without antialiasing), and the SVG and PNG outputs.

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/coverage.h"
#include "view/picture.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ramulet;

namespace {

struct Scene {
    ViewState view;
    BranchTable table;
    std::unique_ptr<Tseglines> store = std::make_unique<Tseglines>();
    DrawSettings settings;
    ColorRampTable ramp{};
    int32_t depth = 1;
};

// branches 2, depth 16: the default tree (131,071 segments); branches 3, depth 11: a full
// store (200,001 segments).
Scene &GetScene(int branches, int depth)
{
    static Scene scenes[2];
    Scene &s = scenes[branches == 2 ? 0 : 1];
    if (s.store->Count() == 0) {
        s.view.SetViewSize(636, 634);
        s.view.ResetView();
        SetDefaultTemplate(s.table, s.view);
        while (s.table.BranchCount < branches) {
            AddBranch(s.table, s.view);
        }
        GrowTree(s.table, *s.store, depth);
        s.depth = depth;
        BuildColorRamp(s.ramp, s.settings, depth);
    }
    return s;
}

void BM_Record(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fit = state.range(2) != 0;
    for (auto _ : state) {
        auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, fit);
        benchmark::DoNotOptimize(pic.get());
    }
    state.counters["segments"] = s.store->Count();
}

// The whole render as the window does it: ramp, record, play onto the view's image.
void BM_RenderView(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fit = state.range(2) != 0;
    QImage image(636, 634, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        BuildColorRamp(s.ramp, s.settings, s.depth);
        auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, fit);
        ShowTreePicture(image, *pic, s.settings.BackColor);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["segments"] = s.store->Count();
}

// Replay through QPainter (what PDF output uses), antialiasing off (0) or on (1): the
// comparison that chose the direct scan conversion for the view.
void BM_Play(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool aa = state.range(2) != 0;
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    QImage image(636, 634, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, aa);
        pic->PlayStretched(p, QRectF(0, 0, 636, 634));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_Svg(benchmark::State &state)
{
    Scene &s = GetScene(2, 16);
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    int64_t bytes = 0;
    for (auto _ : state) {
        const QByteArray svg = TreePictureToSvg(*pic);
        bytes = svg.size();
        benchmark::DoNotOptimize(svg.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

// Record + SVG: what `-o tree.svg` costs after the growth.
void BM_RecordAndSvg(benchmark::State &state)
{
    Scene &s = GetScene(2, 16);
    for (auto _ : state) {
        auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
        const QByteArray svg = TreePictureToSvg(*pic);
        benchmark::DoNotOptimize(svg.constData());
    }
}

void BM_Png(benchmark::State &state)
{
    Scene &s = GetScene(2, 16);
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    for (auto _ : state) {
        const QImage image = TreePictureToImage(*pic, QSize(636, 634));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        benchmark::DoNotOptimize(png.constData());
    }
}

// The smooth scan conversion of a recorded picture onto an image of `size`.
void SmoothShow(benchmark::State &state, Scene &s, QSize size)
{
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        RasterizeTreePictureSmooth(image, *pic);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["segments"] = static_cast<double>(pic->segmentCount());
}

// Onto the tree view's image; the argument is the store's segment count: 131071 for the
// default tree at depth 16, 200001 for the full store.
void BM_SmoothShow(benchmark::State &state)
{
    Scene &s = state.range(0) == 131071 ? GetScene(2, 16) : GetScene(3, 11);
    SmoothShow(state, s, QSize(636, 634));
}

// The default tree at depth 16 onto a square image of the argument's side: a large PNG.
void BM_SmoothExport(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    SmoothShow(state, GetScene(2, 16), QSize(side, side));
}

} // namespace

BENCHMARK(BM_Record)
    ->Args({2, 16, 0})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_RenderView)
    ->Args({2, 16, 0})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Play)
    ->Args({2, 16, 0})->Args({2, 16, 1})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Svg)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_RecordAndSvg)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Png)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_SmoothShow)->Arg(131071)->UseRealTime()
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_SmoothExport)->Arg(4000)->UseRealTime()
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

BENCHMARK_MAIN();
