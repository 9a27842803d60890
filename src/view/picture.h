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
#include <functional>
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

// The widest pen a QPen takes, in picture units; wider bands are drawn through a painter as
// filled outlines with round ends.
constexpr int32_t MaxQPenWidth = 32767;
// The widest band the picture records: half of it plus the clip margin keeps every recorded
// coordinate within 32 bits. A band whose true width is larger is recorded at this width,
// moved toward the frame by the difference of the half-widths, so that the part of it inside
// the frame stays the same: its edge there moves by less than (frame diagonal)^2 / (2 x 2^30)
// units (0.06 for a 636 x 634 view), far below the rounding of every recorded coordinate.
constexpr int32_t MaxPenWidth = 2147483646;

// Pen width in picture units of a segment: Round(PenWidthSetting x widthFactor), never
// negative, saturated at MaxPenWidth. 0 means the thinnest line the surface has.
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
// zoom draws correctly. Each coordinate is Round(k x ModelToPicture(p) + offset), computed in
// 80-bit reals in that order; large stores are recorded in parts side by side.
std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit);

// RecordTreePicture that reuses the buffers of pictures it made before and nobody holds any
// more (a render replaces the one before it), so that a render allocates nothing.
class PictureRecorder {
public:
    PictureRecorder();
    ~PictureRecorder();
    PictureRecorder(const PictureRecorder &) = delete;
    PictureRecorder &operator=(const PictureRecorder &) = delete;

    std::shared_ptr<const TreePicture> Record(const Tseglines &store, const ViewState &view,
                                              const DrawSettings &s, const ColorRampTable &ramp,
                                              bool autoFit);

    // The record of a store that is being grown in parts, without the automatic fit (which
    // needs the whole tree's box): part k, the segments [bounds[k], bounds[k + 1]), is
    // recorded right after grow(k) has grown it, on the same thread while its segments are
    // still in that core's cache, the parts side by side. The same picture as Record once
    // everything is grown.
    std::shared_ptr<const TreePicture> RecordAsGrown(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp,
                                                     const std::vector<int32_t> &bounds,
                                                     const std::function<void(int)> &grow);

private:
    struct Part;
    TreePicture &FreePicture();
    void RecordInto(TreePicture &pic, const Tseglines &store, const ViewState &view,
                    const DrawSettings &s, const ColorRampTable &ramp, bool autoFit,
                    const std::vector<int32_t> &bounds, const std::function<void(int)> *grow);
    std::shared_ptr<TreePicture> m_pool[2];
    std::shared_ptr<TreePicture> m_last; // the picture being recorded
    std::unique_ptr<Part> m_parts; // the parts recorded side by side, before they are joined
};

// Shows the picture on the tree view's image: fills it white first when the background is
// white, then stretches the picture over the whole image, classic (aliased, as specified) or
// smooth (antialiased by area coverage, view/coverage.h).
void ShowTreePicture(QImage &viewImage, const TreePicture &pic, TColor backColor,
                     bool smooth = false);

// Draws the picture stretched over the whole of a 32-bit image by the classic or the smooth
// scan conversion; returns false, drawing nothing, for any other format.
bool RasterizePicture(QImage &image, const TreePicture &pic, bool smooth);

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
