#pragma once

// Recording the segment store into a tree picture: the placement (current view or automatic
// fit), the pen width of each segment, the clipping to the frame and the parts recorded side
// by side.

#include "core/drawsettings.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/picture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ramulet {

// The widest band the picture records: half of it plus the clip margin keeps every recorded
// coordinate within 32 bits. A band whose true width is larger is recorded at this width,
// moved toward the frame by the difference of the half-widths, so that the part of it inside
// the frame stays the same: its edge there moves by less than (frame diagonal)^2 / (2 x 2^30)
// units (0.06 for a 636 x 634 view), far below the rounding of every recorded coordinate.
constexpr int32_t MaxPenWidth = 2147483646;

// Pen width in picture units of a segment: Round(PenWidthSetting x widthFactor), never
// negative, saturated at MaxPenWidth. 0 means the thinnest line the surface has.
int32_t SegmentPenWidth(int32_t penWidthSetting, long double widthFactor);

// Placement of the model in the picture: picture point = k x ModelToPicture(p) + (offX, offY).
struct Placement {
    long double k = 1.0L;
    long double offX = 0.0L;
    long double offY = 0.0L;
};

// The automatic fit when `autoFit`, otherwise the identity placement (the current view).
Placement ComputePlacement(const Tseglines &store, const ViewState &view, bool autoFit);

// Records the store into a new picture: the background rectangle unless the background is
// white, then every stored segment in store order (later segments over earlier ones), in the
// colour of its level and its pen width, placed by the automatic fit or the current view.
// Segments are clipped to the frame (with a margin for the pen) in floating point, so any
// zoom draws correctly. Each coordinate is Round(k x ModelToPicture(p) + offset), computed in
// 80-bit reals in that order; large stores are recorded in parts side by side.
std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit);

// RecordTreePicture that reuses the buffers of pictures it made before and nobody holds any
// more (a render replaces the one before it), so that a render allocates nothing.
class PictureRecorder {
public:
    PictureRecorder();
    ~PictureRecorder();
    PictureRecorder(const PictureRecorder &) = delete;
    PictureRecorder &operator=(const PictureRecorder &) = delete;

    std::shared_ptr<const TreePicture> Record(const Tseglines &store, const ViewState &view,
                                              const DrawSettings &s, const ColorRampTable &ramp,
                                              bool autoFit);

    // The record of a store that is being grown in parts, without the automatic fit (which
    // needs the whole tree's box): part k, the segments [bounds[k], bounds[k + 1]), is
    // recorded right after grow(k) has grown it, on the same thread while its segments are
    // still in that core's cache, the parts side by side. The same picture as Record once
    // everything is grown.
    std::shared_ptr<const TreePicture> RecordAsGrown(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp,
                                                     const std::vector<int32_t> &bounds,
                                                     const std::function<void(int)> &grow);

private:
    struct Part;
    TreePicture &FreePicture();
    void RecordInto(TreePicture &pic, const Tseglines &store, const ViewState &view,
                    const DrawSettings &s, const ColorRampTable &ramp, bool autoFit,
                    const std::vector<int32_t> &bounds, const std::function<void(int)> *grow);
    std::shared_ptr<TreePicture> m_pool[2];
    std::shared_ptr<TreePicture> m_last; // the picture being recorded
    std::unique_ptr<Part> m_parts; // the parts recorded side by side, before they are joined
};

} // namespace ramulet
