#pragma once

// The tree picture's outputs: SVG, an image of any size, the PNG, SVG and PDF files and the
// clipboard payload, all made from one recording.

#include "view/picture.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QMimeData;

namespace ramulet {

// The picture as SVG 1.1: view box 8000 x PictureHeight, no background element when white;
// a line of the thinnest pen 8000 / (view width) units wide, one pixel of the view.
QByteArray TreePictureToSvg(const TreePicture &pic);

// The picture stretched over a new ARGB image of `size`, classic or smooth; transparent where
// nothing is drawn over a white background.
QImage TreePictureToImage(const TreePicture &pic, QSize size, bool smooth = false);

// Writes the picture to `path` as .svg, .png (of pngSize pixels) or .pdf (a page of pngSize
// points), chosen by the extension (any letter case). Only the PNG is drawn smooth when
// `smooth` is set: SVG and PDF are vector pictures either way. The PNG is drawn and written a
// band of rows at a time (view/pngwriter.h), so its memory stays bounded at any size. A
// regular file is written through a temporary file, so a failure leaves no partial file and
// any old file intact; a pipe or a device is written into, never replaced
// (core/outputfile.h). On failure returns false and sets *error.
bool WriteTreePicture(const TreePicture &pic, const QString &path, QSize pngSize,
                      QString *error, bool smooth = false);

// The output format of a file name, or None for an extension that is not one of ours.
enum class PictureFormat { None, Svg, Png, Pdf };
PictureFormat PictureFormatForPath(const QString &path);

// WriteTreePicture in `format` whatever the extension of `path` (None: by the extension).
bool WriteTreePicture(const TreePicture &pic, const QString &path, PictureFormat format,
                      QSize pngSize, QString *error, bool smooth = false);

// The clipboard payload: image/svg+xml and a PNG image of the view's size (both as
// "image/png" bytes and as image data), the image classic or smooth. Built from bytes, independent of later renders.
// The caller owns the result (QClipboard::setMimeData takes it).
QMimeData *MakeClipboardData(const TreePicture &pic, QSize viewSize, bool smooth = false);

} // namespace ramulet
