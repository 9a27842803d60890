#include "core/viewstate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ramulet {

TPointE ViewState::ScreenToModel(TPixel p) const
{
    // The differences are taken in integers (64-bit, so that no pixel pair overflows).
    const int64_t dx = int64_t{p.x} - ViewOrigin.x;
    const int64_t dy = int64_t{ViewOrigin.y} - p.y;
    return {static_cast<long double>(dx) / ViewScale + ViewCenter.x,
            static_cast<long double>(dy) / ViewScale + ViewCenter.y};
}

TPixel ViewState::ModelToScreen(TPointE m) const
{
    return {RoundEven((m.x - ViewCenter.x) * ViewScale + ViewOrigin.x),
            RoundEven(-ViewScale * (m.y - ViewCenter.y) + ViewOrigin.y)};
}

TPointE ViewState::ModelToPicture(TPointE m) const
{
    return {((m.x - ViewCenter.x) * ViewScale + ViewOrigin.x) * PictureFactor,
            (-ViewScale * (m.y - ViewCenter.y) + ViewOrigin.y) * PictureFactor};
}

void ViewState::ResetView()
{
    // A view without area has no default view of its own: a scale of zero width would put
    // every pixel point on one spot, and a growth would then take the template from them.
    const int32_t w = HasArea() ? viewWidth : frameWidth;
    const int32_t h = HasArea() ? viewHeight : frameHeight;
    ViewOrigin = {HalfTrunc(w), h * 4 / 8};
    ViewCenter = {0.0L, 1.5L};
    ViewScale = w * 0.3L;
    if (!(ViewScale > 0.0L)) {
        // Never sized: keep the invariant that the scale is positive, so that ScreenToModel
        // never divides by zero.
        ViewScale = 1.0L;
    }
}

bool ViewState::SetViewSize(int32_t width, int32_t height)
{
    viewWidth = width;
    viewHeight = height;
    if (!HasArea()) {
        return false;
    }
    frameWidth = width;
    frameHeight = height;
    PictureFactor = static_cast<long double>(PictureWidth) / width;
    // The product is taken in 32-bit integers (64 here, which agrees for every real view
    // size), the quotient in extended precision.
    const int64_t product = int64_t{height} * PictureWidth;
    PictureHeight = RoundEven(static_cast<long double>(product) / width);
    return true;
}

ClickEffect ViewState::ApplyClick(int32_t x, int32_t y, MouseButton button, ShiftState shift)
{
    ViewCenter = ScreenToModel({x, y});
    const bool recentre = button == MouseButton::Middle || shift == ssShift || shift == ssCtrl;
    if (recentre) {
        ViewOrigin = {HalfTrunc(viewWidth), HalfTrunc(viewHeight)};
        return ClickEffect::Recentred;
    }
    ViewOrigin = {x, y};
    if (button == MouseButton::Left) {
        ScaleBy(1.0L);
        return ClickEffect::ZoomedIn;
    }
    ScaleBy(-1.0L);
    return ClickEffect::ZoomedOut;
}

// One √2 step in (direction > 0) or out, clamped to the zoom limits.
void ViewState::ScaleBy(long double direction)
{
    const long double root2 = std::sqrt(2.0L);
    if (direction > 0.0L) {
        ViewScale = ViewScale * root2;
        if (ViewScale > MaxScale) {
            ViewScale = MaxScale;
        }
    } else {
        ViewScale = ViewScale / root2;
        if (ViewScale < MinScale) {
            ViewScale = MinScale;
        }
    }
}

void ViewState::ZoomAt(int32_t x, int32_t y, int notches)
{
    if (notches == 0) {
        return;
    }
    ViewCenter = ScreenToModel({x, y});
    ViewOrigin = {x, y};
    // Step by step, so that n notches are exactly n clicks; beyond the limits nothing moves.
    const int steps = std::min(std::abs(notches), 256);
    for (int i = 0; i < steps; ++i) {
        ScaleBy(notches > 0 ? 1.0L : -1.0L);
    }
}

void TreeViewGesture::press(TPixel at, const ViewState &view)
{
    m_press = at;
    m_originAtPress = view.ViewOrigin;
    m_active = true;
    m_panning = false;
}

bool TreeViewGesture::move(TPixel at, ViewState &view)
{
    if (!m_active) {
        return false;
    }
    const int64_t dx = int64_t{at.x} - m_press.x;
    const int64_t dy = int64_t{at.y} - m_press.y;
    if (!m_panning && std::llabs(dx) <= ClickSlop && std::llabs(dy) <= ClickSlop) {
        return false;
    }
    m_panning = true;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    const TPixel origin{static_cast<int32_t>(std::clamp(m_originAtPress.x + dx, lo, hi)),
                        static_cast<int32_t>(std::clamp(m_originAtPress.y + dy, lo, hi))};
    if (origin == view.ViewOrigin) {
        return false;
    }
    view.ViewOrigin = origin;
    return true;
}

void TreeViewGesture::clear()
{
    m_active = false;
    m_panning = false;
}

} // namespace ramulet
