#pragma once

#include <QImage>

namespace ramulet {

class TreePicture;

// Draws the picture stretched over the whole of `image` (its frame of 8000 x PictureHeight
// units onto the image's pixels), without antialiasing, straight into the image's pixels:
// each segment in the colour of its run, later segments over earlier ones. A pen of width 0,
// or one that comes out at most one pixel wide, draws a one-pixel line; a wider pen a band
// with round ends of its width (picture units times the mean of the two stretch factors).
// Works on 32-bit images (RGB32, ARGB32, ARGB32_Premultiplied) and returns false, drawing
// nothing, for any other format.
//
// Pictures whose wide bands cover the image many times over are drawn from the last segment
// back to the first, giving each pixel its colour once, with the same result; `order` forces
// one way (for tests). Large pictures are drawn by two threads, each over its own rows, with
// the same result as one. The walk over the picture is raster::Traverse
// (view/rastertraversal.h); this is its classic kernel, RasterizeTreePictureSmooth
// (view/coverage.h) its smooth one.
enum class RasterOrder { Automatic, FrontToBack, BackToFront };
// Above this many pixels the back-to-front bookkeeping (4 bytes a pixel) is not used.
inline constexpr double MaxBackToFrontPixels = 4096.0 * 4096.0;
bool RasterizeTreePicture(QImage &image, const TreePicture &pic,
                          RasterOrder order = RasterOrder::Automatic);

// Only the rows [top, bottom) of what RasterizeTreePicture, or RasterizeTreePictureSmooth when
// `smooth` is set, draws on `image`, every pixel as the whole drawing gives it. Nothing outside
// those rows is read or written, so `image` may be a view (QImage over external memory) of
// an image of which only those rows exist: a picture of any size is drawn band by band.
// ARGB32_Premultiplied and RGB32 only; false, drawing nothing, for any other format.
bool RasterizePictureRows(QImage &image, const TreePicture &pic, bool smooth, int top, int bottom);

} // namespace ramulet
