#pragma once

// The one way from a template to its tree picture: the template's rows normalised and grown
// to a depth into a store, then the store recorded in a view with the drawing settings, the
// colour of each level and the automatic fit. The window, the live tree, the gallery, the
// command-line renderer, variations and animation frames all go through it.
//
// A RenderPipeline owns its store and reuses its buffers from one render to the next, so
// a render allocates nothing. It holds no global state: each thread uses a pipeline of its
// own (a thumbnail pool, an animation encoder), and any number may run side by side.

#include "core/branches.h"
#include "core/drawsettings.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/picture.h"
#include "view/record.h"

#include <cstdint>
#include <memory>

namespace ramulet {

// How a store is drawn: everything of a picture but the segments.
struct RenderRequest {
    int32_t depth = 1;     // the growth's depth 1..16: the ramp runs from the tips to level depth + 1
    ViewState view;        // view size, picture geometry and the current view (zoom, pan)
    DrawSettings settings; // colours; PenWidthSetting in picture units (pen-width index x 20)
    bool fit = false;      // the automatic fit instead of the current view
    // A change made to each level's colour after the ramp is built (the live tree lightens
    // it toward the editor's background); none when null. A plain function, so a request
    // can be copied to any thread.
    TColor (*levelColor)(TColor) = nullptr;
};

// The ramp of a request: BuildColorRamp for its settings and depth, then levelColor.
ColorRampTable RampFor(const RenderRequest &r);

class RenderPipeline {
public:
    RenderPipeline();
    ~RenderPipeline();
    RenderPipeline(const RenderPipeline &) = delete;
    RenderPipeline &operator=(const RenderPipeline &) = delete;

    // Normalises `t` (moved rows from their pixel points, the others from their exact
    // values: what a depth button does to the program's table) and grows it to `depth` into
    // the store, box included.
    void Grow(BranchTable &t, int32_t depth);

    // Records the store as `r` asks. The picture stays valid after the next render; the
    // pipeline refills only pictures that nobody else holds.
    std::shared_ptr<const TreePicture> Record(const RenderRequest &r);

    // Records a store made elsewhere (a partly grown tree of an animation frame).
    std::shared_ptr<const TreePicture> Record(const Tseglines &store, const RenderRequest &r);

    // Grow(t, r.depth), then Record(r), in one pass where that is faster: without the fit,
    // each part of a large tree is recorded as soon as it is grown, while it is still in the
    // core's cache. The same store and picture as the two steps.
    std::shared_ptr<const TreePicture> Render(BranchTable &t, const RenderRequest &r);

    // The grown store (empty before the first growth). Its box is brought up to date here
    // when a render left it out: a cache, hence const.
    const Tseglines &store() const;
    // The last picture made (null before the first record).
    const std::shared_ptr<const TreePicture> &picture() const { return m_picture; }
    const ColorRampTable &ramp() const { return m_ramp; }

private:
    Tseglines &OwnStore() const;

    // Made at the first growth: a pipeline that only records stores made elsewhere needs none.
    mutable std::unique_ptr<Tseglines> m_store;
    PictureRecorder m_recorder;
    std::shared_ptr<const TreePicture> m_picture;
    ColorRampTable m_ramp{};
    mutable bool m_boxValid = true; // false after a render that left the box out
};

// The default view of a view of w x h pixels with the template's pixel points made for it
// from the model values: how the window places a template it opens, and the command-line
// renderer and the thumbnails one they read.
ViewState PlaceTemplate(BranchTable &t, int32_t width, int32_t height);

} // namespace ramulet
