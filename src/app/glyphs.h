#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>

namespace ramulet {

// The window's own cursors, drawn at 32 x 32 pixels.
// Identifier 2: an open hand; the hot spot (3, 4) is the tip of its index finger.
QCursor MakeHandCursor();
// Identifier 4: a magnifier with a plus sign; the hot spot (9, 9) is the middle of the lens.
QCursor MakeZoomCursor();
// Identifier 13: arrows up and down; the hot spot (15, 13) is where they meet.
QCursor MakeMoveCursor();

constexpr QPoint HandHotSpot{3, 4};
constexpr QPoint ZoomHotSpot{9, 9};
constexpr QPoint MoveHotSpot{15, 13};

// Button glyphs, transparent around the drawing.
QPixmap EditGlyph(); // a pencil over a small branch, 24 x 24
QPixmap OpenGlyph(); // an opened folder, 20 x 20
QPixmap SaveGlyph(); // a diskette, 20 x 20
QPixmap CopyGlyph(); // a picture sheet over a clipboard, 20 x 20
QPixmap ExportGlyph(); // a picture sheet with an arrow leaving it, 20 x 20
QPixmap UndoGlyph();   // an arrow bending back to the left, 20 x 20
QPixmap RedoGlyph();   // the same arrow bending to the right, 20 x 20

// The decorative pictures of the credits panel: a small grown tree drawn by the core growth
// (`size` 125 x 150 for Image1, the tree in a column on its right, clear of the controls
// over its left part) and a sprout (28 x 31 for Image2).
QPixmap DecorTree(QSize size);
QPixmap DecorSprout(QSize size);

} // namespace ramulet
