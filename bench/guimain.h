#pragma once

// The main of a benchmark program that draws text: fonts need a GUI application (on the
// offscreen platform unless another is set); no window is shown.

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

#define RAMULET_BENCHMARK_GUI_MAIN()                                                           \
    int main(int argc, char **argv)                                                            \
    {                                                                                          \
        if (std::getenv("QT_QPA_PLATFORM") == nullptr) {                                       \
            setenv("QT_QPA_PLATFORM", "offscreen", 1);                                         \
        }                                                                                      \
        QGuiApplication app(argc, argv);                                                       \
        benchmark::Initialize(&argc, argv);                                                    \
        benchmark::RunSpecifiedBenchmarks();                                                   \
        benchmark::Shutdown();                                                                 \
        return 0;                                                                              \
    }
