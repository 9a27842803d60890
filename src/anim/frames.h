#pragma once

// The frames of an animation of the tree: the tree growing generation by generation, swaying
// in a loop, or turning into another template. Each frame is drawn like the still picture
// (the same recording and the same classic or smooth scan conversion), so an end frame is
// the still picture pixel for pixel.

#include "core/branches.h"
#include "core/drawsettings.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/picture.h"
#include "view/renderpipeline.h"

#include <QImage>
#include <QSize>
#include <memory>
#include <optional>

namespace ramulet {

enum class AnimationKind { Grow, Sway, Morph };

// What every frame is made from. The tables hold their pixel points for `view` (as the window
// or the command-line renderer set them before a growth); the frames normalise copies.
struct AnimationScene {
    BranchTable table;
    DrawSettings settings;
    BranchTable other; // the template a morph ends with
    DrawSettings otherSettings;
    ViewState view; // the tree view: its size and the view the tree is drawn in
    int32_t depth = 1;
    bool fit = false;
    bool smooth = false;
};

// Frames of an animation `seconds` long at `fps` frames per second: at least 2, at most
// MaxAnimationFrames.
constexpr int32_t MaxAnimationFrames = 100000;
int32_t AnimationFrameCount(double seconds, int32_t fps);

// Where frame i of n lies on the timeline, 0..1. Grow and morph run from 0 to 1 inclusive,
// so the last frame is the finished picture; a sway is a loop, so its frame n would be its
// frame 0 again and the last frame leads into the first.
long double FrameTime(AnimationKind kind, int32_t i, int32_t n);

// How far generation g of a tree of `depth` has grown at time t (0..1) of a grow animation:
// the generations grow one after another, each over an eased stretch of the timeline that
// overlaps half of the next one's; every generation is complete at t = 1.
long double GrowthOfGeneration(int32_t g, int32_t depth, long double t);

// Makes the frames one after another; not for use on two threads at once. Keeps two segment
// stores and the render pipeline's buffers of the last recording, not the frames.
class FrameMaker {
public:
    FrameMaker(AnimationKind kind, const AnimationScene &scene, int32_t frameCount);
    ~FrameMaker();
    FrameMaker(const FrameMaker &) = delete;
    FrameMaker &operator=(const FrameMaker &) = delete;

    int32_t frameCount() const { return m_frameCount; }
    QSize size() const { return {m_scene.view.viewWidth, m_scene.view.viewHeight}; }
    // The background the frames are drawn on; white means a transparent picture.
    TColor backColor(int32_t i) const;
    // Every colour a frame can hold fully covered by one band: the background and the
    // colours of the levels, over the whole animation (for a palette made in advance).
    std::vector<TColor> keyColors() const;

    // Frame i (0..frameCount - 1), a premultiplied ARGB image of the view's size.
    QImage frame(int32_t i);

private:
    void growFrame(long double t);
    void swayFrame(long double t);
    DrawSettings morphFrame(long double t);
    RenderRequest request(const DrawSettings &s) const;
    QImage draw(const DrawSettings &s);

    AnimationKind m_kind;
    AnimationScene m_scene;
    int32_t m_frameCount;
    Tseglines m_full;  // the finished tree (grow) or the tree at rest (sway)
    Tseglines m_frame; // the tree of the frame being made
    RenderPipeline m_pipeline; // records the frame's store: a frame is drawn like the still
};

} // namespace ramulet
