#pragma once

// Pieces the animation sinks share: frames as plain pixels, the changed part of a frame, and
// a file written through a temporary name.

#include "anim/outputdevice.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>

namespace ramulet {

// The frame with straight (not premultiplied) alpha, bytes R, G, B, A: what a PNG holds.
QImage StraightRgba(const QImage &frame);

// The frame drawn over white, bytes B, G, R, 255 (a transparent picture shows on white, as in
// the window).
QImage OverWhite(const QImage &frame);

// The smallest rectangle holding every pixel in which two images of one size and 32-bit
// format differ; an empty rectangle when they are equal.
QRect ChangedRect(const QImage &a, const QImage &b);

// A reason of the animation's messages (marked with QT_TRANSLATE_NOOP in the context
// "ramulet::Animation") in the program's language.
QString AnimationReason(const char *text);

// The reason a write to `file` failed, for a message.
QString FileFailure(const SafeSaveFile &file);

// "cannot write PATH: REASON", the message of every failed export.
QString CannotWrite(const QString &path, const QString &reason);

} // namespace ramulet
