#include "view/record.h"

#include "core/clip.h"
#include "core/parallel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace ramulet {

namespace {

// Round to nearest, halves to even, for |v| < 2^63: the x87 conversion in its rounding mode,
// which the program never changes from round-to-nearest-even (what RoundEven does, without a
// library call). NaN and values out of range give INT64_MIN, the x87 "integer indefinite".
static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended reals expected");
inline int64_t RoundX87(long double v)
{
    int64_t r;
    __asm__("fistpll %0" : "=m"(r) : "t"(v) : "st");
    return r;
}

// A clipped coordinate: within the frame plus the margin, inside 32 bits for any frame of
// up to 2^30 - 64 units; saturated beyond that.
inline int32_t RoundCoordinate(long double v)
{
    const int64_t r = RoundX87(v);
    if (r == std::numeric_limits<int64_t>::min()) {
        return v > 0.0L ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(std::clamp<int64_t>(r, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

// Round(PenWidthSetting x widthFactor); `saturated` is set when that is above MaxPenWidth.
inline int32_t PenWidthOf(int32_t penWidthSetting, long double widthFactor, bool &saturated)
{
    const long double w = static_cast<long double>(penWidthSetting) * widthFactor;
    saturated = false;
    // A negative width cannot be drawn; the thinnest line stands in for it (and for NaN).
    if (!(w > 0.0L)) {
        return 0;
    }
    // MaxPenWidth is even, so MaxPenWidth + 0.5 still rounds to it.
    if (!(w <= MaxPenWidth + 0.5L)) {
        saturated = true;
        return MaxPenWidth;
    }
    return static_cast<int32_t>(RoundX87(w));
}

// A band wider than MaxPenWidth, from (x0, y0) to (x1, y1) in picture units with the true
// half-width `half`, recorded at MaxPenWidth instead. Returns false when it cannot reach the
// frame. A band that covers the whole frame becomes a dot at the frame's centre (which the
// narrower band covers too); any other is moved toward the frame's centre by the difference
// of the half-widths. The narrower band then lies inside the true one and touches its edge
// where that edge is nearest the centre, so inside the frame the two differ by less than
// (frame diagonal)^2 / (2 x MaxPenWidth / 2) units.
bool NarrowWideBand(long double &x0, long double &y0, long double &x1, long double &y1,
                    long double half, long double frameH)
{
    const long double cx = PictureWidth / 2.0L;
    const long double cy = frameH / 2.0L;
    const long double halfDiagonal = std::hypot(static_cast<long double>(PictureWidth), frameH) / 2.0L;
    const long double dx = x1 - x0;
    const long double dy = y1 - y0;
    const long double len2 = dx * dx + dy * dy;
    long double t = len2 > 0.0L ? ((cx - x0) * dx + (cy - y0) * dy) / len2 : 0.0L;
    t = std::clamp(t, 0.0L, 1.0L);
    const long double ux = cx - (x0 + t * dx);
    const long double uy = cy - (y0 + t * dy);
    const long double toCentre = std::hypot(ux, uy);
    if (!(toCentre - halfDiagonal <= half)) {
        return false; // also a band of coordinates that are not finite
    }
    if (toCentre + halfDiagonal <= half) {
        x0 = x1 = cx;
        y0 = y1 = cy;
        return true;
    }
    const long double shift = (half - MaxPenWidth / 2.0L) / toCentre;
    x0 += shift * ux;
    y0 += shift * uy;
    x1 += shift * ux;
    y1 += shift * uy;
    return true;
}

QPen MakePen(TColor color, int32_t width)
{
    QPen pen(ToQColor(color));
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (width <= 0) {
        // The thinnest line the surface has: one device pixel whatever the stretch.
        pen.setWidth(0);
        pen.setCosmetic(true);
    } else if (width > MaxQPenWidth) {
        // Beyond what a pen takes: drawn as a filled outline in the pen's colour.
        pen.setCosmetic(false);
    } else {
        pen.setWidth(width);
        pen.setCosmetic(false);
    }
    return pen;
}

} // namespace

int32_t SegmentPenWidth(int32_t penWidthSetting, long double widthFactor)
{
    bool saturated = false;
    return PenWidthOf(penWidthSetting, widthFactor, saturated);
}

Placement ComputePlacement(const Tseglines &store, const ViewState &view, bool autoFit)
{
    Placement pl;
    if (!autoFit) {
        return pl;
    }
    const TPointE a = view.ModelToPicture({store.minX, store.minY});
    const TPointE b = view.ModelToPicture({store.maxX, store.maxY});
    // A box of zero extent in one direction takes the factor 1 there. A difference that
    // vanishes only through underflow is treated the same way rather than divided by.
    const long double spanX = std::fabs(b.x - a.x);
    const long double spanY = std::fabs(b.y - a.y);
    const long double fx =
        (store.maxX != store.minX && spanX > 0.0L) ? PictureWidth / spanX : 1.0L;
    const long double fy =
        (store.maxY != store.minY && spanY > 0.0L) ? view.PictureHeight / spanY : 1.0L;
    pl.k = fy < fx ? 0.95L * fy : 0.95L * fx;
    pl.offX = (PictureWidth - pl.k * (a.x + b.x)) / 2.0L;
    pl.offY = (view.PictureHeight - pl.k * (a.y + b.y)) / 2.0L;
    return pl;
}

namespace {

// Stores at least this large are recorded in parts side by side.
constexpr int32_t SplitRecordAt = 16384;

// What every segment of one recording shares: the placement, ModelToPicture's constants
// hoisted (the same operations in the same order: ((x - cx) * s + ox) * f and
// (-s * (y - cy) + oy) * f, then k * p + off), the frame and the colour of each level.
struct RecordInput {
    const TSegLine *lines;
    long double cx, cy, sc, negSc, ox, oy, f;
    Placement pl;
    long double frameH;
    int64_t frameBottom;
    int32_t penWidthSetting;
    TColor colors[18];

    template <bool Identity>
    long double X(long double mx) const
    {
        const long double p = ((mx - cx) * sc + ox) * f;
        return Identity ? p : pl.k * p + pl.offX;
    }
    template <bool Identity>
    long double Y(long double my) const
    {
        // -s * (y - cy): the negation is exact, so it is taken once.
        const long double p = (negSc * (my - cy) + oy) * f;
        return Identity ? p : pl.k * p + pl.offY;
    }
};

// The lines and runs one half records; run.pen indexes `keys`, its own pens in the order
// they first appear.
struct RecordPart {
    std::vector<QLine> *lines = nullptr;
    std::vector<TreePicture::PenRun> *runs = nullptr;
    std::vector<uint64_t> keys;
    // The pen last used for each level: a level's colour is fixed, so only its width varies.
    int64_t cachedWidth[18];
    uint32_t cachedPen[18];

    void Reset(std::vector<QLine> &l, std::vector<TreePicture::PenRun> &r)
    {
        lines = &l;
        runs = &r;
        lines->clear();
        runs->clear();
        keys.clear();
        std::fill(std::begin(cachedWidth), std::end(cachedWidth), -1);
    }

    uint32_t PenFor(size_t level, TColor color, int32_t width)
    {
        if (cachedWidth[level] == width) {
            return cachedPen[level];
        }
        const uint64_t key = (uint64_t{color} << 32) | static_cast<uint32_t>(width);
        const auto found = std::find(keys.begin(), keys.end(), key);
        const auto pen = static_cast<uint32_t>(found - keys.begin());
        if (found == keys.end()) {
            keys.push_back(key);
        }
        cachedWidth[level] = width;
        cachedPen[level] = pen;
        return pen;
    }
};

// A segment that is not wholly and clearly inside the frame plus its margin: the placement
// again, clipped in 80-bit reals, bands wider than MaxPenWidth narrowed first.
template <bool Identity>
bool PlaceClipped(const RecordInput &in, const TSegLine &seg, int32_t width, bool saturated,
                  QLine &out)
{
    long double x0 = in.X<Identity>(seg.startPt.x);
    long double y0 = in.Y<Identity>(seg.startPt.y);
    long double x1 = in.X<Identity>(seg.endPt.x);
    long double y1 = in.Y<Identity>(seg.endPt.y);
    if (saturated) {
        const long double w = static_cast<long double>(in.penWidthSetting) * seg.widthFactor;
        if (!NarrowWideBand(x0, y0, x1, y1, std::nearbyint(w) / 2.0L, in.frameH)) {
            return false;
        }
    }
    // Whatever lies farther than half the pen from the frame cannot show in it.
    const long double margin = width / 2.0L + ClipSlack;
    if (!ClipSegment(x0, y0, x1, y1, {-margin, -margin, PictureWidth + margin, in.frameH + margin})) {
        return false;
    }
    out = QLine(RoundCoordinate(x0), RoundCoordinate(y0), RoundCoordinate(x1), RoundCoordinate(y1));
    return true;
}

// Whether two stored reals have the same bits (the 10 bytes of the 80-bit value), read as
// bytes: loading them as reals would send them through the x87 unit and back.
inline bool SameBits(const long double &a, const long double &b)
{
    uint64_t ma, mb;
    uint16_t ea, eb;
    std::memcpy(&ma, &a, 8);
    std::memcpy(&mb, &b, 8);
    std::memcpy(&ea, reinterpret_cast<const char *>(&a) + 8, 2);
    std::memcpy(&eb, reinterpret_cast<const char *>(&b) + 8, 2);
    return ma == mb && ea == eb;
}

inline bool SamePoint(const TPointE &a, const TPointE &b)
{
    return SameBits(a.x, b.x) && SameBits(a.y, b.y);
}

// Records segments [lo, hi) into `part`.
template <bool Identity>
void RecordRange(const RecordInput &in, int32_t lo, int32_t hi, RecordPart &part)
{
    std::vector<QLine> &lines = *part.lines;
    std::vector<TreePicture::PenRun> &runs = *part.runs;
    // The rounded points of the segment before: in a grown tree most segments start where
    // the one before starts (siblings) or ends (a first child), and the same bits round alike.
    int64_t startX = 0, startY = 0, endX = 0, endY = 0;
    for (int32_t i = lo; i < hi; ++i) {
        const TSegLine &seg = in.lines[i];
        bool saturated = false;
        const int32_t width = PenWidthOf(in.penWidthSetting, seg.widthFactor, saturated);
        const auto level = static_cast<size_t>(std::clamp(seg.level, 0, 17));
        const TColor color = in.colors[level];

        // The common case in integers: when the rounded coordinates lie inside the frame
        // grown by e = (width + 127) div 2, the exact ones lie within half a unit of them and
        // so inside the clip box (half the width plus 64): the segment is not clipped.
        int64_t X0, Y0;
        if (i > lo && SamePoint(seg.startPt, in.lines[i - 1].startPt)) {
            X0 = startX;
            Y0 = startY;
        } else if (i > lo && SamePoint(seg.startPt, in.lines[i - 1].endPt)) {
            X0 = endX;
            Y0 = endY;
        } else {
            X0 = RoundX87(in.X<Identity>(seg.startPt.x));
            Y0 = RoundX87(in.Y<Identity>(seg.startPt.y));
        }
        const int64_t X1 = RoundX87(in.X<Identity>(seg.endPt.x));
        const int64_t Y1 = RoundX87(in.Y<Identity>(seg.endPt.y));
        startX = X0;
        startY = Y0;
        endX = X1;
        endY = Y1;
        const int64_t e = (int64_t{width} + 127) / 2;
        const int64_t right = PictureWidth + e;
        const int64_t bottom = in.frameBottom + e;
        QLine line;
        if (!saturated && X0 >= -e && X0 <= right && X1 >= -e && X1 <= right && Y0 >= -e &&
            Y0 <= bottom && Y1 >= -e && Y1 <= bottom) {
            line = QLine(static_cast<int>(X0), static_cast<int>(Y0), static_cast<int>(X1),
                         static_cast<int>(Y1));
        } else if (!PlaceClipped<Identity>(in, seg, width, saturated, line)) {
            continue;
        }
        const int32_t lineTop = std::min(line.y1(), line.y2());
        const int32_t lineBottom = std::max(line.y1(), line.y2());
        if (runs.empty() || runs.back().color != color || runs.back().width != width) {
            runs.push_back({color, width, static_cast<uint32_t>(lines.size()), 0,
                            part.PenFor(level, color, width), lineTop, lineBottom});
        } else {
            TreePicture::PenRun &run = runs.back();
            run.top = std::min(run.top, lineTop);
            run.bottom = std::max(run.bottom, lineBottom);
        }
        ++runs.back().count;
        lines.push_back(line);
    }
}

void RecordPartOf(const RecordInput &in, int32_t lo, int32_t hi, RecordPart &part)
{
    const bool identity = in.pl.k == 1.0L && in.pl.offX == 0.0L && in.pl.offY == 0.0L;
    if (identity) {
        RecordRange<true>(in, lo, hi, part);
    } else {
        RecordRange<false>(in, lo, hi, part);
    }
}

} // namespace

// How many parts of a large store are recorded side by side.
constexpr int RecordParts = 8;

struct PictureRecorder::Part {
    struct Buffers {
        std::vector<QLine> lines;
        std::vector<TreePicture::PenRun> runs;
    };
    std::vector<Buffers> buffers;
    std::vector<RecordPart> parts;
};

PictureRecorder::PictureRecorder() : m_parts(std::make_unique<Part>()) {}

PictureRecorder::~PictureRecorder() = default;

TreePicture &PictureRecorder::FreePicture()
{
    // A picture nobody else holds is refilled in place, keeping its buffers.
    for (auto &p : m_pool) {
        if (p && p.use_count() == 1) {
            m_last = p;
            return *p;
        }
    }
    auto &slot = m_pool[0] && !m_pool[1] ? m_pool[1] : m_pool[0];
    slot = std::make_shared<TreePicture>();
    m_last = slot;
    return *slot;
}

std::shared_ptr<const TreePicture> PictureRecorder::Record(const Tseglines &store,
                                                           const ViewState &view,
                                                           const DrawSettings &s,
                                                           const ColorRampTable &ramp,
                                                           bool autoFit)
{
    TreePicture &pic = FreePicture();
    const int32_t count = std::max(0, store.Count());
    std::vector<int32_t> bounds{0};
    const int parts = count < SplitRecordAt ? 1 : RecordParts;
    for (int part = 1; part <= parts; ++part) {
        bounds.push_back(static_cast<int32_t>(int64_t{count} * part / parts));
    }
    RecordInto(pic, store, view, s, ramp, autoFit, bounds, nullptr);
    return std::move(m_last);
}

std::shared_ptr<const TreePicture> PictureRecorder::RecordAsGrown(
    const Tseglines &store, const ViewState &view, const DrawSettings &s,
    const ColorRampTable &ramp, const std::vector<int32_t> &bounds,
    const std::function<void(int)> &grow)
{
    TreePicture &pic = FreePicture();
    RecordInto(pic, store, view, s, ramp, false, bounds, &grow);
    return std::move(m_last);
}

void PictureRecorder::RecordInto(TreePicture &pic, const Tseglines &store, const ViewState &view,
                                 const DrawSettings &s, const ColorRampTable &ramp, bool autoFit,
                                 const std::vector<int32_t> &bounds,
                                 const std::function<void(int)> *grow)
{
    pic.m_pictureHeight = view.PictureHeight;
    pic.m_viewWidth = view.viewWidth;
    pic.m_backColor = s.BackColor & 0xFFFFFFu;
    pic.m_hasBackground = pic.m_backColor != White;
    pic.m_pens.clear();

    RecordInput in;
    in.lines = store.data();
    in.cx = view.ViewCenter.x;
    in.cy = view.ViewCenter.y;
    in.sc = view.ViewScale;
    in.negSc = -view.ViewScale;
    in.ox = view.ViewOrigin.x;
    in.oy = view.ViewOrigin.y;
    in.f = view.PictureFactor;
    in.pl = ComputePlacement(store, view, autoFit);
    in.frameH = view.PictureHeight;
    in.frameBottom = view.PictureHeight;
    in.penWidthSetting = s.PenWidthSetting;
    for (size_t level = 0; level < 18; ++level) {
        in.colors[level] = ramp[level] & 0xFFFFFFu;
    }

    // Parts side by side, part 0 into the picture and the others into buffers of their own;
    // each is then appended to the picture, its pens and line indices renumbered and a run
    // that goes on across the boundary joined, which gives exactly the picture one pass makes.
    const int parts = static_cast<int>(bounds.size()) - 1;
    Part &scratch = *m_parts;
    scratch.buffers.resize(static_cast<size_t>(std::max(parts, 1)));
    scratch.parts.resize(static_cast<size_t>(std::max(parts, 1)));
    RecordPart &first = scratch.parts[0];
    first.Reset(pic.m_lines, pic.m_runs);
    for (size_t part = 1; part < scratch.parts.size(); ++part) {
        scratch.parts[part].Reset(scratch.buffers[part].lines, scratch.buffers[part].runs);
    }
    pic.m_lines.reserve(static_cast<size_t>(std::max(0, bounds.back())));
    RunJobs(parts, [&](int part) {
        if (grow != nullptr) {
            (*grow)(part);
        }
        RecordPart &p = scratch.parts[static_cast<size_t>(part)];
        const int32_t lo = bounds[static_cast<size_t>(part)];
        const int32_t hi = bounds[static_cast<size_t>(part) + 1];
        p.lines->reserve(static_cast<size_t>(std::max(0, hi - lo)));
        RecordPartOf(in, lo, hi, p);
    });
    std::vector<uint32_t> penOf;
    for (int part = 1; part < parts; ++part) {
        const RecordPart &later = scratch.parts[static_cast<size_t>(part)];
        penOf.resize(later.keys.size());
        for (size_t k = 0; k < later.keys.size(); ++k) {
            const auto found = std::find(first.keys.begin(), first.keys.end(), later.keys[k]);
            penOf[k] = static_cast<uint32_t>(found - first.keys.begin());
            if (found == first.keys.end()) {
                first.keys.push_back(later.keys[k]);
            }
        }
        const auto offset = static_cast<uint32_t>(pic.m_lines.size());
        const std::vector<TreePicture::PenRun> &runs = *later.runs;
        size_t from = 0;
        if (!pic.m_runs.empty() && !runs.empty() && pic.m_runs.back().color == runs.front().color &&
            pic.m_runs.back().width == runs.front().width) {
            TreePicture::PenRun &joined = pic.m_runs.back();
            joined.count += runs.front().count;
            joined.top = std::min(joined.top, runs.front().top);
            joined.bottom = std::max(joined.bottom, runs.front().bottom);
            from = 1;
        }
        for (size_t r = from; r < runs.size(); ++r) {
            TreePicture::PenRun run = runs[r];
            run.first += offset;
            run.pen = penOf[run.pen];
            pic.m_runs.push_back(run);
        }
        pic.m_lines.insert(pic.m_lines.end(), later.lines->begin(), later.lines->end());
    }
    pic.m_pens.reserve(first.keys.size());
    for (const uint64_t key : first.keys) {
        pic.m_pens.push_back(MakePen(static_cast<TColor>(key >> 32), static_cast<int32_t>(key & 0xFFFFFFFFu)));
    }
}

std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit)
{
    PictureRecorder recorder;
    return recorder.Record(store, view, s, ramp, autoFit);
}

} // namespace ramulet
