#pragma once

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>

class QPainter;

namespace ramulet {

// Fixed colours of the editor, as 0x00BBGGRR integers (red in the low byte).
constexpr uint32_t EditorBackColor = 0xF8FFE0;
constexpr uint32_t EditorGridColor = 0xFFFFFF;
constexpr uint32_t EditorCircleColor = 0x0000FF;
constexpr uint32_t EditorTrunkColor = 0x0000A0;
constexpr uint32_t EditorOrderColor = 0xFF0000;
constexpr uint32_t EditorReverseColor = 0x008000;
constexpr uint32_t EditorSegmentColor = 0x808080;
constexpr uint32_t EditorHighlightColor = 0x0000FF;

// Pen width of circles and arrows, and of the branch highlight.
constexpr int EditorPenWidth = 2;
constexpr int HighlightPenWidth = 4;
// Half the side of the bounding box of an end-point circle.
constexpr int32_t EndCircleRadius = 6;

// Converts a 0x00BBGGRR colour into a QColor.
QColor ColorFromBGR(uint32_t bgr);

// The arrow colour of a branch row by its kind (anything unknown is drawn as a segment).
uint32_t KindColor(int32_t kind);

// The label font: the installed Japanese UI face, 12 points.
QFont EditorLabelFont();

// A length ratio rounded to 3 significant digits, then printed fixed with 2 decimals:
// 0.7 -> "0.70", 1 -> "1.00", 12.345 -> "12.30", 1234 -> "1230.00". A value that is not
// finite gives an empty text.
QString FormatRatio(long double r);

// The availability of the depth buttons: [n-1] is true exactly when depth n is usable.
// Applying them never changes which button is down.
std::array<bool, 16> UpdateDepthButtons(const BranchTable &t);

// The trunk's length on screen in editor pixels (0 for a collapsed trunk). The squares are
// taken in extended precision so that no pair of pixel points overflows.
long double TrunkPixelLength(const BranchTable &t);

// Where the parts of a row's arrow go, in editor pixels (64-bit, so that a point dragged to
// the far end of the 32-bit range still gives exact values).
struct ArrowGeometry {
    int64_t sx = 0, sy = 0;   // tail (screenStart)
    int64_t ex = 0, ey = 0;   // tip (screenEnd), the head's first corner
    bool hasHead = false;     // trunk, kindOrder and kindReverse rows
    int64_t p2x = 0, p2y = 0; // the barb's end
    int64_t p3x = 0, p3y = 0; // the inner corner on the shaft, 2/15 of the length back
    bool hasLabel = false;    // false when the trunk has no length on screen
    long double ratio = 0.0L; // the row's length on screen in trunk lengths on screen
    QString label;
    int64_t labelX = 0, labelY = 0; // the label's top-left corner: the shaft's midpoint
};

// The geometry of row `row`'s arrow for a trunk of `trunkPixelLength` pixels on screen.
ArrowGeometry ComputeArrow(const BranchTable &t, int32_t row, long double trunkPixelLength);

// The 26 white grid lines of the square x in [-1, 1], y in [0, 2] of model space.
void DrawGrid(QPainter &p, const ViewState &view);

// Pen width 2 and the label font.
void SetEditorPens(QPainter &p);

// Draws row `row`'s arrow with the painter's current pen colour: shaft, filled head,
// label in `textColor` with a transparent background.
void DrawArrow(QPainter &p, const BranchTable &t, int32_t row, long double trunkPixelLength,
               const QColor &textColor);

// The whole editor picture in order: background, grid, end-point circles, trunk arrow,
// branch arrows by kind, with no antialiasing. Points outside the view are drawn as far as
// they fall inside it.
void PaintEditor(QPainter &p, QSize viewSize, const BranchTable &t, const ViewState &view,
                 const QColor &textColor);

// A red disc over row `row`'s end point. Its ring has the pen the last arrow of the
// preceding PaintEditor left: width 2 in the last branch's kind colour, or the trunk colour
// without branches. The pen is set here from the table, so a fresh painter gives the same.
void PaintHighlightPoint(QPainter &p, const BranchTable &t, int32_t row);

// A red line of width 4 over row `row`'s shaft.
void PaintHighlightBranch(QPainter &p, const BranchTable &t, int32_t row);

// The 16 x 16 item images of the kind menu (transparent elsewhere): 0 a black bar 2 px
// thick, 1 a blue right-pointing half arrow with its barb above the shaft, 2 the same in
// green with the barb below. Other indices give a transparent image.
QPixmap KindMenuImage(int imageIndex);

} // namespace ramulet
