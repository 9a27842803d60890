#include "view/renderpipeline.h"

#include "core/parallel.h"

#include <algorithm>

namespace ramulet {

namespace {

// Trees of at least this many segments are grown and recorded in this many parts side by
// side when no fit needs their box first.
constexpr int32_t SplitRenderAt = 16384;
constexpr int RenderParts = 8;

} // namespace

ColorRampTable RampFor(const RenderRequest &r)
{
    ColorRampTable ramp{};
    BuildColorRamp(ramp, r.settings, r.depth);
    if (r.levelColor != nullptr) {
        const int32_t top = std::clamp(r.depth, 1, MaxDepth) + 1;
        for (int32_t i = 0; i <= top; ++i) {
            auto &entry = ramp[static_cast<size_t>(i)];
            entry = (entry & 0xFF000000u) | r.levelColor(entry & 0xFFFFFFu);
        }
    }
    return ramp;
}

RenderPipeline::RenderPipeline() = default;

RenderPipeline::~RenderPipeline() = default;

Tseglines &RenderPipeline::OwnStore() const
{
    if (!m_store) {
        m_store = std::make_unique<Tseglines>();
    }
    return *m_store;
}

void RenderPipeline::Grow(BranchTable &t, int32_t depth)
{
    GrowTree(t, OwnStore(), depth);
    m_boxValid = true;
}

std::shared_ptr<const TreePicture> RenderPipeline::Record(const RenderRequest &r)
{
    // Only the fit reads the box.
    return Record(r.fit ? store() : OwnStore(), r);
}

std::shared_ptr<const TreePicture> RenderPipeline::Record(const Tseglines &store,
                                                          const RenderRequest &r)
{
    m_ramp = RampFor(r);
    m_picture = m_recorder.Record(store, r.view, r.settings, m_ramp, r.fit);
    return m_picture;
}

std::shared_ptr<const TreePicture> RenderPipeline::Render(BranchTable &t, const RenderRequest &r)
{
    if (r.fit) {
        // The fit needs the whole tree's box before the first segment is placed.
        Grow(t, r.depth);
        return Record(r);
    }
    NormalizeTemplate(t);
    m_ramp = RampFor(r);
    const int32_t depth = std::clamp(r.depth, 1, MaxDepth);
    const bool split = EstimateSegmentCount(t, depth) >= SplitRenderAt && HelperThreadEnabled();
    PartedGrowth growth(t, OwnStore(), depth, split ? RenderParts : 1);
    m_boxValid = false;
    m_picture = m_recorder.RecordAsGrown(*m_store, r.view, r.settings, m_ramp, growth.bounds(),
                                         [&growth](int part) { growth.GrowPart(part, false); });
    return m_picture;
}

const Tseglines &RenderPipeline::store() const
{
    Tseglines &store = OwnStore();
    if (!m_boxValid) {
        // The trunk set the box; every later segment starts on one stored before it, so its
        // end point alone widens the box, as the growth would have done.
        store.WidenByEnds(1, store.lastIndex);
        m_boxValid = true;
    }
    return store;
}

ViewState PlaceTemplate(BranchTable &t, int32_t width, int32_t height)
{
    ViewState view;
    view.SetViewSize(width, height);
    view.ResetView();
    UpdateAllScreenPoints(t, view);
    return view;
}

} // namespace ramulet
