// Rendering the tree picture: recording the store into the display list, replaying it onto
// the 636 x 634 tree view (with and without antialiasing), and the SVG and PNG outputs.

#include "benchscene.h"

#include "view/picture.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ramulet;
using namespace ramulet::bench;

namespace {

// The record as the window makes it: the recorder refills the picture it made before.
void BM_Record(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fit = state.range(2) != 0;
    PictureRecorder recorder;
    for (auto _ : state) {
        auto pic = recorder.Record(*s.store, s.view, s.settings, s.ramp, fit);
        benchmark::DoNotOptimize(pic.get());
    }
    state.counters["segments"] = s.store->Count();
}

// The whole render as the window does it: ramp, record, show on the view's image.
void BM_RenderView(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fit = state.range(2) != 0;
    QImage image(636, 634, QImage::Format_ARGB32_Premultiplied);
    PictureRecorder recorder;
    std::shared_ptr<const TreePicture> shown; // the window holds its picture until the next
    for (auto _ : state) {
        BuildColorRamp(s.ramp, s.settings, s.depth);
        auto pic = recorder.Record(*s.store, s.view, s.settings, s.ramp, fit);
        ShowTreePicture(image, *pic, s.settings.BackColor);
        shown = std::move(pic);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["segments"] = s.store->Count();
}

// The scan conversion alone.
void BM_Rasterize(benchmark::State &state)
{
    Scene &s = GetScene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const bool fit = state.range(2) != 0;
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, fit);
    QImage image(636, 634, QImage::Format_RGB32);
    for (auto _ : state) {
        ShowTreePicture(image, *pic, s.settings.BackColor);
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

} // namespace

BENCHMARK(BM_Record)
    ->Args({2, 16, 0})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_RenderView)
    ->Args({2, 16, 0})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Rasterize)
    ->Args({2, 16, 0})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Play)
    ->Args({2, 16, 0})->Args({2, 16, 1})->Args({3, 11, 0})->Args({3, 11, 1})
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Svg)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_RecordAndSvg)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_Png)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

BENCHMARK_MAIN();
