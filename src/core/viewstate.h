#pragma once

#include "core/numeric.h"

#include <cstdint>

namespace ramulet {

// Width of the tree picture in picture units; its height is ViewState::PictureHeight.
constexpr int32_t PictureWidth = 8000;

// Mouse buttons and modifier keys of a tree-view click, as a set: the keys held and the
// mouse buttons still held at the moment of the release.
enum ShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using ShiftState = unsigned;

enum class MouseButton { Left, Right, Middle };

// What a tree-view click did to the view.
enum class ClickEffect { Recentred, ZoomedIn, ZoomedOut };

// The view state that relates model space (y up), view pixels (y down, shared by the editor
// and the tree view, which always have the same size) and picture units (8000 wide).
struct ViewState {
    long double ViewScale = 1.0L; // view pixels per model unit, always positive
    TPixel ViewOrigin;            // the view pixel at which ViewCenter is shown
    TPointE ViewCenter;           // the model point shown at ViewOrigin
    long double PictureFactor = 1.0L; // picture units per tree-view pixel
    int32_t PictureHeight = 0;        // picture height in picture units
    int32_t viewWidth = 0;            // size of the views in pixels
    int32_t viewHeight = 0;
    // The last view size with area: while the views have none, ResetView gives the default
    // view of this size, so that pixel points made meanwhile keep their precision.
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;

    // Zoom limits: beyond them pixel and picture coordinates stop being meaningful. Zoomed
    // out below MinScale the whole model shrinks to far less than a pixel, and the sums with
    // the pixel origin would start to lose the model's digits (the automatic fit would drift).
    static constexpr long double MaxScale = 1.0e15L;
    static constexpr long double MinScale = 1.0e-9L;

    TPointE ScreenToModel(TPixel p) const;
    TPixel ModelToScreen(TPointE m) const;
    TPointE ModelToPicture(TPointE m) const;

    // The default view for the current view size (for the last size with area while the
    // view has none).
    void ResetView();

    // Records the new view size and, when it is not empty, the picture geometry that
    // follows from it. Returns false for a view of zero width or height, whose picture
    // geometry is left as it was.
    bool SetViewSize(int32_t width, int32_t height);
    bool HasArea() const { return viewWidth > 0 && viewHeight > 0; }

    // The view change of a released click in the tree view at pixel (x, y): recentre for
    // the middle button or a shift state of exactly {Shift} or exactly {Ctrl}, otherwise zoom
    // about the pixel, in for the left button and out for the others.
    ClickEffect ApplyClick(int32_t x, int32_t y, MouseButton button, ShiftState shift);

    // The wheel at pixel (x, y): `notches` zoom steps about the pixel, each exactly a left
    // click's √2 (a right click's for negative notches), so the model point under the
    // mouse stays under it.
    void ZoomAt(int32_t x, int32_t y, int notches);

private:
    void ScaleBy(long double direction);
};

// A press, moves and a release of the mouse in the tree view: a click while the mouse stays
// within ClickSlop pixels of the press (along both axes), a pan of the view once it goes
// further. Panning moves ViewOrigin with the mouse; ViewScale and ViewCenter stay.
class TreeViewGesture {
public:
    static constexpr int32_t ClickSlop = 4;

    // A press at `at` in `view` (whose origin the pan moves from).
    void press(TPixel at, const ViewState &view);
    // A move to `at`: returns whether `view` changed (the gesture is, or just became, a pan).
    bool move(TPixel at, ViewState &view);
    // Whether the gesture has become a pan; its release is then no click.
    bool panning() const { return m_panning; }
    bool active() const { return m_active; }
    // Forget the gesture (the release, or a refusal).
    void clear();

private:
    TPixel m_press;
    TPixel m_originAtPress;
    bool m_active = false;
    bool m_panning = false;
};

} // namespace ramulet
