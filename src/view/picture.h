#pragma once

// The tree picture: the colour ramp, the drawing of the segment store into a recorded
// picture of 8000 x PictureHeight picture units, and the outputs of that one recording (the
// tree view's image, SVG, PNG, PDF and the clipboard payload).

#include "core/segments.h"
#include "core/viewstate.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QLine>
#include <QPen>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;
class QPainter;

namespace ramulet {

// A colour as the model and the template files keep it: 0x00BBGGRR, red in the low byte.
// The ramp's entries carry 0x02 in the top byte, which the conversions ignore.
using TColor = uint32_t;

constexpr TColor White = 0xFFFFFF;

QColor ToQColor(TColor c);
TColor FromQColor(const QColor &c);

// The four drawing settings that travel with a template.
struct DrawSettings {
    TColor BackColor = 0xF8FFE0;
    TColor TipColor = 0x00A000;
    TColor TrunkColor = 0x0000A0;
    int32_t PenWidthSetting = 40; // trunk pen width in picture units: pen-width index x 20
};

// The colour of each level; entries stored as 0x02BBGGRR.
using ColorRampTable = std::array<uint32_t, 18>;

// Fills entries 0..depth + 1 with a linear blend from the tip colour (entry 0) to the trunk
// colour (entry depth + 1); entries above keep what they held. depth is clamped to 1..16.
void BuildColorRamp(ColorRampTable &ramp, const DrawSettings &s, int32_t depth);

// Pen width in picture units of a segment: Round(PenWidthSetting x widthFactor), saturated,
// never negative. 0 means the thinnest line the surface has.
int32_t SegmentPenWidth(int32_t penWidthSetting, long double widthFactor);

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
    };

    int32_t pictureHeight() const { return m_pictureHeight; }
    // The background rectangle (0, 0)-(8500, PictureHeight + 500), absent when the background
    // is white so that the picture stays transparent.
    bool hasBackground() const { return m_hasBackground; }
    TColor backColor() const { return m_backColor; }
    QRect backgroundRect() const;
    const std::vector<PenRun> &runs() const { return m_runs; }
    const std::vector<QLine> &lines() const { return m_lines; }
    // One pen per distinct (colour, width), built once at recording: the replay only switches
    // between them, which is what keeps a depth-first store (a new pen almost every segment)
    // cheap to draw.
    const std::vector<QPen> &pens() const { return m_pens; }
    int64_t segmentCount() const { return static_cast<int64_t>(m_lines.size()); }

    // Replays the picture onto `painter`, whose current transform maps picture units to its
    // device. Antialiasing follows the painter's render hints.
    void Play(QPainter &painter) const;
    // Replays the picture stretched so that its frame covers `target` (device coordinates).
    void PlayStretched(QPainter &painter, const QRectF &target) const;

private:
    friend class TreePictureRecorder;
    int32_t m_pictureHeight = 0;
    bool m_hasBackground = false;
    TColor m_backColor = White;
    std::vector<PenRun> m_runs;
    std::vector<QLine> m_lines;
    std::vector<QPen> m_pens;
};

// Placement of the model in the picture: picture point = k x ModelToPicture(p) + (offX, offY).
struct Placement {
    long double k = 1.0L;
    long double offX = 0.0L;
    long double offY = 0.0L;
};

// The automatic fit when `autoFit`, otherwise the identity placement (the current view).
Placement ComputePlacement(const Tseglines &store, const ViewState &view, bool autoFit);

// Records the store into a new picture: the background rectangle unless the background is
// white, then every stored segment in store order (later segments over earlier ones), in the
// colour of its level and its pen width, placed by the automatic fit or the current view.
// Segments are clipped to the frame (with a margin for the pen) in floating point, so any
// zoom draws correctly.
std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit);

// Shows the picture on the tree view's image: fills it white first when the background is
// white, then stretches the picture over the whole image.
void ShowTreePicture(QImage &viewImage, const TreePicture &pic, TColor backColor);

// The picture as SVG: view box 8000 x PictureHeight, no background element when white.
QByteArray TreePictureToSvg(const TreePicture &pic);

// The picture stretched over a new ARGB image of `size`; transparent where nothing is drawn
// over a white background.
QImage TreePictureToImage(const TreePicture &pic, QSize size);

// Writes the picture to `path` as .svg, .png (of pngSize pixels) or .pdf (a page of pngSize
// points), chosen by the extension (any letter case). Writes through QSaveFile, so a failure
// leaves no partial file and any old file intact. On failure returns false and sets *error.
bool WriteTreePicture(const TreePicture &pic, const QString &path, QSize pngSize,
                      QString *error);

// The output format of a file name, or None for an extension that is not one of ours.
enum class PictureFormat { None, Svg, Png, Pdf };
PictureFormat PictureFormatForPath(const QString &path);

// WriteTreePicture in `format` whatever the extension of `path` (None: by the extension).
bool WriteTreePicture(const TreePicture &pic, const QString &path, PictureFormat format,
                      QSize pngSize, QString *error);

// The clipboard payload: image/svg+xml and a PNG image of the view's size (both as
// "image/png" bytes and as image data). Built from bytes, independent of later renders.
// The caller owns the result (QClipboard::setMimeData takes it).
QMimeData *MakeClipboardData(const TreePicture &pic, QSize viewSize);

} // namespace ramulet
