// Rendering the tree picture: recording the store into the display list, replaying it onto
// the 636 x 634 tree view (with and without antialiasing), and the SVG and PNG outputs.

#include "benchscene.h"

#include "core/outputfile.h"
#include "view/coverage.h"
#include "view/pictureoutput.h"
#include "view/pngwriter.h"
#include "view/record.h"
#include "view/renderpipeline.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
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
    RenderPipeline pipeline;
    RenderRequest r;
    r.depth = s.depth;
    r.view = s.view;
    r.settings = s.settings;
    r.fit = fit;
    std::shared_ptr<const TreePicture> shown; // the window holds its picture until the next
    for (auto _ : state) {
        auto pic = pipeline.Record(*s.store, r);
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

// A large smooth PNG file of the default tree at depth 16, to /dev/null (no disk in the
// figures): the whole image drawn, then written by Qt's PNG writer, as PNG files were made
// before, against the picture drawn and written a band of rows at a time (view/pngwriter.h).
void BM_PngFileWhole(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    Scene &s = GetScene(2, 16);
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    for (auto _ : state) {
        const QImage image = TreePictureToImage(*pic, QSize(side, side), true);
        QFile file(QStringLiteral("/dev/null"));
        file.open(QIODevice::WriteOnly);
        QImageWriter(&file, "png").write(image);
    }
}

void BM_PngFileBands(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    Scene &s = GetScene(2, 16);
    auto pic = RecordTreePicture(*s.store, s.view, s.settings, s.ramp, false);
    for (auto _ : state) {
        OutputFile out;
        out.Open("/dev/null");
        QString error;
        WritePicturePng(*pic, QSize(side, side), true, out, &error);
        out.Commit();
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
BENCHMARK(BM_SmoothShow)->Arg(131071)->UseRealTime()
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_SmoothExport)->Arg(4000)->UseRealTime()
    ->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

BENCHMARK(BM_PngFileWhole)->Arg(4000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngFileBands)->Arg(4000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
