#pragma once

// The recorded tree picture: a display list of 8000 x PictureHeight picture units, its replay
// through any QPainter and its showing on the tree view's image. Recorded by view/record.h;
// written to files and the clipboard by view/pictureoutput.h.

#include "core/drawsettings.h"
#include "core/viewstate.h"

#include <QColor>
#include <QImage>
#include <QLine>
#include <QPen>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

namespace ramulet {

// The model's colours as Qt's and back (the top byte of a ramp entry is ignored).
QColor ToQColor(TColor c);
TColor FromQColor(const QColor &c);

// The widest pen a QPen takes, in picture units; wider bands are drawn through a painter as
// filled outlines with round ends.
constexpr int32_t MaxQPenWidth = 32767;
// Extra clip margin in picture units beyond half the pen width: covers the one-pixel cosmetic
// line and antialiasing whenever a device pixel is smaller than this many picture units.
// Every recorded line end lies within the frame grown by half its pen plus this margin.
constexpr long double ClipSlack = 64.0L;

// The recorded tree picture: a display list in picture units (x right, y down), a frame of
// 8000 x pictureHeight units. Runs of segments with the same pen share one entry, so that a
// replay sets each pen once and draws its lines in one call. Immutable once recorded.
class TreePicture {
public:
    struct PenRun {
        TColor color = 0;   // 0x00BBGGRR
        int32_t width = 0;  // picture units; 0 = cosmetic one-device-pixel line
        uint32_t first = 0; // index into lines()
        uint32_t count = 0;
        uint32_t pen = 0;   // index into pens()
        // The least and the greatest y of the run's line ends (picture units), so that a
        // drawing of some rows passes over runs that lie wholly above or below them.
        int32_t top = 0;
        int32_t bottom = 0;
    };

    int32_t pictureHeight() const { return m_pictureHeight; }
    // The width in pixels of the view the picture was recorded for: its thinnest lines are
    // one pixel of that view wide in the SVG.
    int32_t viewWidth() const { return m_viewWidth; }
    // The background rectangle (0, 0)-(8500, PictureHeight + 500), absent when the background
    // is white so that the picture stays transparent.
    bool hasBackground() const { return m_hasBackground; }
    TColor backColor() const { return m_backColor; }
    QRect backgroundRect() const;
    const std::vector<PenRun> &runs() const { return m_runs; }
    const std::vector<QLine> &lines() const { return m_lines; }
    // One pen per distinct (colour, width), built once at recording: the replay only switches
    // between them, which is what keeps a depth-first store (a new pen almost every segment)
    // cheap to draw. Runs wider than MaxQPenWidth are filled outlines; their pen carries the
    // colour only.
    const std::vector<QPen> &pens() const { return m_pens; }
    int64_t segmentCount() const { return static_cast<int64_t>(m_lines.size()); }

    // Replays the picture onto `painter`, whose current transform maps picture units to its
    // device. Antialiasing follows the painter's render hints. What lies under the last band
    // that covers the whole frame is not drawn.
    void Play(QPainter &painter) const;
    // Replays the picture stretched so that its frame covers `target` (device coordinates).
    void PlayStretched(QPainter &painter, const QRectF &target) const;

    // Whether a band of `width` along `line` covers the whole frame.
    bool CoversFrame(const QLine &line, int32_t width) const;
    // The run and the line within it of the last band that covers the whole frame (0, 0 when
    // there is none): nothing before it can show.
    void FirstShown(size_t &firstRun, uint32_t &firstLine) const;

private:
    friend class PictureRecorder;
    int32_t m_pictureHeight = 0;
    int32_t m_viewWidth = 0;
    bool m_hasBackground = false;
    TColor m_backColor = White;
    std::vector<PenRun> m_runs;
    std::vector<QLine> m_lines;
    std::vector<QPen> m_pens;
};

// Shows the picture on the tree view's image: fills it white first when the background is
// white, then stretches the picture over the whole image, classic (aliased, as specified) or
// smooth (antialiased by area coverage, view/coverage.h).
void ShowTreePicture(QImage &viewImage, const TreePicture &pic, TColor backColor,
                     bool smooth = false);

// Draws the picture stretched over the whole of a 32-bit image by the classic or the smooth
// scan conversion; returns false, drawing nothing, for any other format.
bool RasterizePicture(QImage &image, const TreePicture &pic, bool smooth);

} // namespace ramulet
