#pragma once

// The trees the rendering benchmarks draw, and the QPainter replay they are compared with.

#include "onethread.h"

#include "core/branches.h"
#include "core/parallel.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/record.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace ramulet::bench {

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
inline Scene &GetScene(int branches, int depth)
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

// Replay through QPainter (what PDF output uses), antialiasing off (0) or on (1): the
// comparison that chose the direct scan conversion for the view.
inline void BM_Play(benchmark::State &state)
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

} // namespace ramulet::bench
