#include "core/viewstate.h"

#include <cmath>

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
    const long double root2 = std::sqrt(2.0L);
    if (button == MouseButton::Left) {
        ViewScale = ViewScale * root2;
        if (ViewScale > MaxScale) {
            ViewScale = MaxScale;
        }
        return ClickEffect::ZoomedIn;
    }
    ViewScale = ViewScale / root2;
    if (ViewScale < MinScale) {
        ViewScale = MinScale;
    }
    return ClickEffect::ZoomedOut;
}

} // namespace ramulet
