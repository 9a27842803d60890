// The gallery of examples: one thumbnail drawn (the work a worker thread does per example),
// all of them in a row, and opening the dialog with the thumbnails still to come and with
// all of them kept.

#include "app/gallerydialog.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace ramulet;

namespace {

QStringList Examples()
{
    const QDir dir(QStringLiteral(RAMULET_EXAMPLES_DIR));
    QStringList paths;
    for (const QString &name : dir.entryList({QStringLiteral("*.rm2")}, QDir::Files, QDir::Name)) {
        paths << dir.filePath(name);
    }
    return paths;
}

const QSize Thumb(GalleryThumbnailSide, GalleryThumbnailSide);

void BM_Thumbnail(benchmark::State &state)
{
    const QString path = Examples().value(static_cast<int>(state.range(0)));
    state.SetLabel(QFileInfo(path).baseName().toStdString());
    for (auto _ : state) {
        benchmark::DoNotOptimize(ExampleThumbnail(path, Thumb));
    }
}
BENCHMARK(BM_Thumbnail)->DenseRange(0, 13)->Unit(benchmark::kMillisecond);

void BM_AllThumbnailsInARow(benchmark::State &state)
{
    const QStringList paths = Examples();
    for (auto _ : state) {
        for (const QString &path : paths) {
            benchmark::DoNotOptimize(ExampleThumbnail(path, Thumb));
        }
    }
}
BENCHMARK(BM_AllThumbnailsInARow)->Unit(benchmark::kMillisecond);

// Until the dialog is built and laid out, as exec() shows it; a cold cache starts the
// thumbnails on the workers and returns.
void BM_OpenDialog(benchmark::State &state)
{
    const bool warm = state.range(0) != 0;
    state.SetLabel(warm ? "thumbnails kept" : "thumbnails to come");
    const QStringList paths = Examples();
    ThumbnailCache warmCache(Thumb);
    if (warm) {
        for (const QString &path : paths) {
            warmCache.thumbnail(path);
        }
        warmCache.waitForDone();
        QCoreApplication::processEvents();
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto cold = std::make_unique<ThumbnailCache>(Thumb);
        state.ResumeTiming();
        GalleryDialog dialog(paths, warm ? warmCache : *cold);
        dialog.ensurePolished();
        dialog.adjustSize();
        benchmark::DoNotOptimize(dialog.selectedPath());
        state.PauseTiming();
        cold.reset(); // waits for its workers
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDialog)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
