#pragma once

// An animation written to a file on both cores: one thread grows and draws the frames, the
// calling thread encodes them, with a few frames between them, never all of them.

#include "anim/encoders.h"
#include "anim/frames.h"

#include <QString>
#include <atomic>
#include <functional>

namespace ramulet {

struct AnimationJob {
    AnimationKind kind = AnimationKind::Grow;
    AnimationScene scene;
    double seconds = 4.0;
    int32_t fps = 30;
    bool loop = false;
    QString path;
    AnimationFormat format = AnimationFormat::None; // None: by the path
};

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    QString message; // why it failed; empty when it did not
};

// Frames drawn ahead of the encoder at most.
constexpr int kFramesAhead = 3;

// Makes every frame of `job` and writes them. `progress` (may be empty) is called on the
// calling thread after each frame is written, with the frames done and the total. Setting
// `cancel` stops the export within a frame; a cancelled or failed export leaves no file.
ExportResult ExportAnimation(const AnimationJob &job, const std::atomic<bool> &cancel,
                             const std::function<void(int32_t, int32_t)> &progress);

} // namespace ramulet
