#pragma once

// PNG pictures of any size in bounded memory: the picture is drawn a band of rows at a time
// into a buffer of a few tens of megabytes and each band is encoded through libpng's row
// interface as soon as it is drawn, so a picture of 100000 x 100000 pixels needs no more
// memory than one of 4000 x 4000.

#include <QSize>
#include <QString>

#include <cstddef>

namespace ramulet {

class OutputFile;
class TreePicture;

// The most bytes of pixels one band holds; a band is at least one row.
inline constexpr size_t PngBandBytes = size_t{32} << 20;

// Writes the picture stretched over an image of `size` pixels, classic or smooth, as a PNG
// file (8-bit RGBA, transparent where nothing is drawn over a white background) to `out`,
// which is open. The pixels are those of the whole image drawn at once
// (TreePictureToImage) and written by Qt's PNG writer. On failure returns false and sets
// *error to the reason; `out` is then left for the caller to cancel.
// `bandBytes` bounds a band (tests make it small to cross many band edges).
bool WritePicturePng(const TreePicture &pic, QSize size, bool smooth, OutputFile &out,
                     QString *error, size_t bandBytes = PngBandBytes);

} // namespace ramulet
