#include "view/picture.h"

#include "core/clip.h"

#include "view/rasterize.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace ramulet {

namespace {

// The widest pen in picture units: the largest width a painter accepts, so that the view,
// PNG, SVG and PDF draw the same width (a picture is 8000 units wide, so such a pen already
// covers it four times over), and every coordinate stays well inside int32.
constexpr int32_t MaxPenWidth = 32767;

// Extra clip margin in picture units beyond half the pen width: covers the one-pixel cosmetic
// line and antialiasing whenever a device pixel is smaller than this many picture units.
constexpr long double ClipSlack = 64.0L;

// Lines per SVG path element, so that no single attribute grows without bound.
constexpr uint32_t SvgLinesPerPath = 4096;

// Round to nearest, halves to even, for |v| < 2^62, the same result as RoundEven in that
// range without a library call or a change of the x87 control word per coordinate. Adding
// 1.5 x 2^63 gives a sum whose 64-bit mantissa has a last bit worth 1, so the addition itself
// rounds in the current mode (round-to-nearest-even, never changed by the program), and the
// mantissa then holds 0xC000000000000000 + the rounded value.
static_assert(std::numeric_limits<long double>::digits == 64, "80-bit extended reals expected");
inline int64_t RoundEvenInRange(long double v)
{
    constexpr long double magic = 0x1.8p63L;
    const long double t = v + magic;
    uint64_t mantissa = 0;
    std::memcpy(&mantissa, &t, sizeof mantissa); // the low 8 bytes of the 80-bit value
    return static_cast<int64_t>(mantissa - 0xC000000000000000u);
}

inline int32_t RoundCoordinate(long double v)
{
    // Clipped coordinates lie within the frame plus the margin, far inside int32.
    return static_cast<int32_t>(RoundEvenInRange(v));
}

inline int32_t PenWidthOf(int32_t penWidthSetting, long double widthFactor)
{
    const long double w = static_cast<long double>(penWidthSetting) * widthFactor;
    // A negative width cannot be drawn; the thinnest line stands in for it (and for NaN).
    if (!(w > 0.0L)) {
        return 0;
    }
    if (w >= MaxPenWidth) {
        return MaxPenWidth;
    }
    return static_cast<int32_t>(RoundEvenInRange(w));
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
    } else {
        pen.setWidth(width);
        pen.setCosmetic(false);
    }
    return pen;
}

void AppendInt(QByteArray &out, int64_t v)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, static_cast<qsizetype>(res.ptr - buf));
}

void AppendHexColor(QByteArray &out, TColor c)
{
    static const char digits[] = "0123456789abcdef";
    const unsigned channels[3] = {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu};
    out.append('#');
    for (unsigned ch : channels) {
        out.append(digits[ch >> 4]);
        out.append(digits[ch & 0xFu]);
    }
}

// A reason the window shows: in English here and on the command line, in the window's
// language there.
QString Reason(const char *text)
{
    return QCoreApplication::translate("ramulet::TreePicture", text);
}

QSize PictureImageSize(const TreePicture &pic, QSize size)
{
    if (size.width() > 0 && size.height() > 0) {
        return size;
    }
    // No view size given: one pixel per ten picture units.
    return {PictureWidth / 10, std::max(1, pic.pictureHeight() / 10)};
}

} // namespace

QColor ToQColor(TColor c)
{
    return QColor(static_cast<int>(c & 0xFFu), static_cast<int>((c >> 8) & 0xFFu),
                  static_cast<int>((c >> 16) & 0xFFu));
}

TColor FromQColor(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return static_cast<TColor>(rgb.red()) | (static_cast<TColor>(rgb.green()) << 8) |
           (static_cast<TColor>(rgb.blue()) << 16);
}

void BuildColorRamp(ColorRampTable &ramp, const DrawSettings &s, int32_t depth)
{
    const int32_t d = std::clamp(depth, 1, MaxDepth);
    const long double steps = static_cast<long double>(d + 1);
    auto channel = [](TColor c, int shift) {
        return static_cast<long double>((c >> shift) & 0xFFu);
    };
    for (int32_t i = 0; i <= d + 1; ++i) {
        const long double t = static_cast<long double>(i) / steps;
        uint32_t value = 0x02000000u;
        for (int shift : {0, 8, 16}) {
            const int32_t blended =
                RoundEven(channel(s.TrunkColor, shift) * t + channel(s.TipColor, shift) * (1.0L - t));
            value += (static_cast<uint32_t>(blended) & 0xFFu) << shift;
        }
        ramp[static_cast<size_t>(i)] = value;
    }
}

int32_t SegmentPenWidth(int32_t penWidthSetting, long double widthFactor)
{
    return PenWidthOf(penWidthSetting, widthFactor);
}

QRect TreePicture::backgroundRect() const
{
    // (0, 0)-(8500, PictureHeight + 500): 500 units past the frame's right and bottom edges.
    return QRect(QPoint(0, 0), QPoint(PictureWidth + 500, m_pictureHeight + 500))
        .adjusted(0, 0, -1, -1);
}

void TreePicture::Play(QPainter &painter) const
{
    if (m_hasBackground) {
        painter.fillRect(QRectF(0, 0, PictureWidth + 500, m_pictureHeight + 500),
                         ToQColor(m_backColor));
    }
    painter.setBrush(Qt::NoBrush);
    for (const PenRun &run : m_runs) {
        painter.setPen(m_pens[run.pen]);
        painter.drawLines(m_lines.data() + run.first, static_cast<int>(run.count));
    }
}

void TreePicture::PlayStretched(QPainter &painter, const QRectF &target) const
{
    if (m_pictureHeight <= 0 || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / PictureWidth, target.height() / m_pictureHeight);
    Play(painter);
    painter.restore();
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

class TreePictureRecorder {
public:
    static std::shared_ptr<TreePicture> Record(const Tseglines &store, const ViewState &view,
                                               const DrawSettings &s,
                                               const ColorRampTable &ramp, bool autoFit)
    {
        auto pic = std::make_shared<TreePicture>();
        pic->m_pictureHeight = view.PictureHeight;
        pic->m_backColor = s.BackColor & 0xFFFFFFu;
        pic->m_hasBackground = pic->m_backColor != White;

        const Placement pl = ComputePlacement(store, view, autoFit);
        const int32_t count = std::max(0, store.Count());
        pic->m_lines.reserve(static_cast<size_t>(count));

        // ModelToPicture, inlined with its constants hoisted; the same operations in the same
        // order: ((x - cx) * s + ox) * f and (-s * (y - cy) + oy) * f.
        const long double cx = view.ViewCenter.x;
        const long double cy = view.ViewCenter.y;
        const long double sc = view.ViewScale;
        const long double ox = view.ViewOrigin.x;
        const long double oy = view.ViewOrigin.y;
        const long double f = view.PictureFactor;
        auto toPicture = [&](const TPointE &m, long double &x, long double &y) {
            x = pl.k * (((m.x - cx) * sc + ox) * f) + pl.offX;
            y = pl.k * ((-sc * (m.y - cy) + oy) * f) + pl.offY;
        };

        const long double frameH = view.PictureHeight;
        // Pens are keyed by (colour, width); a tree has only a few dozen distinct ones.
        std::vector<uint64_t> penKeys;
        auto &runs = pic->m_runs;
        for (int32_t i = 0; i < count; ++i) {
            const TSegLine &seg = store.line(i);
            const int32_t width = PenWidthOf(s.PenWidthSetting, seg.widthFactor);
            const size_t level = static_cast<size_t>(std::clamp(seg.level, 0, 17));
            const TColor color = ramp[level] & 0xFFFFFFu;

            long double x0, y0, x1, y1;
            toPicture(seg.startPt, x0, y0);
            toPicture(seg.endPt, x1, y1);
            // Whatever lies farther than half the pen from the frame cannot show in it.
            const long double margin = width / 2.0L + ClipSlack;
            if (!ClipSegment(x0, y0, x1, y1,
                             {-margin, -margin, PictureWidth + margin, frameH + margin})) {
                continue;
            }
            if (runs.empty() || runs.back().color != color || runs.back().width != width) {
                const uint64_t key = (uint64_t{color} << 32) | static_cast<uint32_t>(width);
                const auto found = std::find(penKeys.begin(), penKeys.end(), key);
                const auto penIndex = static_cast<uint32_t>(found - penKeys.begin());
                if (found == penKeys.end()) {
                    penKeys.push_back(key);
                    pic->m_pens.push_back(MakePen(color, width));
                }
                runs.push_back(
                    {color, width, static_cast<uint32_t>(pic->m_lines.size()), 0, penIndex});
            }
            ++runs.back().count;
            pic->m_lines.emplace_back(RoundCoordinate(x0), RoundCoordinate(y0),
                                      RoundCoordinate(x1), RoundCoordinate(y1));
        }
        return pic;
    }
};

std::shared_ptr<const TreePicture> RecordTreePicture(const Tseglines &store, const ViewState &view,
                                                     const DrawSettings &s,
                                                     const ColorRampTable &ramp, bool autoFit)
{
    return TreePictureRecorder::Record(store, view, s, ramp, autoFit);
}

void ShowTreePicture(QImage &viewImage, const TreePicture &pic, TColor backColor)
{
    if (viewImage.isNull()) {
        return;
    }
    if ((backColor & 0xFFFFFFu) == White) {
        viewImage.fill(Qt::white);
    }
    if (RasterizeTreePicture(viewImage, pic)) {
        return;
    }
    // An image format the direct scan conversion does not handle: the same picture through
    // QPainter, also without antialiasing.
    QPainter painter(&viewImage);
    pic.PlayStretched(painter, QRectF(0, 0, viewImage.width(), viewImage.height()));
}

QByteArray TreePictureToSvg(const TreePicture &pic)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(512 + pic.lines().size() * 24));
    const int32_t h = pic.pictureHeight();
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"8000\" height=\"");
    AppendInt(out, h);
    out.append("\" viewBox=\"0 0 8000 ");
    AppendInt(out, h);
    out.append("\">\n<title>Ramulet</title>\n");
    if (pic.hasBackground()) {
        out.append("<rect x=\"0\" y=\"0\" width=\"8500\" height=\"");
        AppendInt(out, int64_t{h} + 500);
        out.append("\" fill=\"");
        AppendHexColor(out, pic.backColor());
        out.append("\"/>\n");
    }
    out.append("<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n");
    const auto &lines = pic.lines();
    for (const TreePicture::PenRun &run : pic.runs()) {
        for (uint32_t start = 0; start < run.count; start += SvgLinesPerPath) {
            const uint32_t end = std::min(run.count, start + SvgLinesPerPath);
            out.append("<path stroke=\"");
            AppendHexColor(out, run.color);
            if (run.width <= 0) {
                // One device pixel whatever the scale, as on the screen.
                out.append("\" stroke-width=\"1\" vector-effect=\"non-scaling-stroke");
            } else {
                out.append("\" stroke-width=\"");
                AppendInt(out, run.width);
            }
            out.append("\" d=\"");
            for (uint32_t i = start; i < end; ++i) {
                const QLine &l = lines[run.first + i];
                out.append('M');
                AppendInt(out, l.x1());
                out.append(' ');
                AppendInt(out, l.y1());
                out.append('L');
                AppendInt(out, l.x2());
                out.append(' ');
                AppendInt(out, l.y2());
            }
            out.append("\"/>\n");
        }
    }
    out.append("</g>\n</svg>\n");
    return out;
}

QImage TreePictureToImage(const TreePicture &pic, QSize size)
{
    const QSize s = PictureImageSize(pic, size);
    QImage image(s, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.fill(Qt::transparent);
    RasterizeTreePicture(image, pic);
    return image;
}

PictureFormat PictureFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        return PictureFormat::Svg;
    }
    if (suffix == QLatin1String("png")) {
        return PictureFormat::Png;
    }
    if (suffix == QLatin1String("pdf")) {
        return PictureFormat::Pdf;
    }
    return PictureFormat::None;
}

namespace {

// The picture as a PDF document of one page.
bool PdfBytes(const TreePicture &pic, QSize pageSize, QByteArray &bytes)
{
    const QSize s = PictureImageSize(pic, pageSize);
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) {
        return false;
    }
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Ramulet 2.3"));
    writer.setTitle(QStringLiteral("Ramulet"));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    // One point per view pixel: the page has the view's proportions, as the window shows it.
    writer.setPageSize(QPageSize(QSizeF(s), QPageSize::Point, QString(), QPageSize::ExactMatch));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const QRectF target(0, 0, writer.width(), writer.height());
    pic.PlayStretched(painter, target);
    return painter.end();
}

// Why a write to `file` failed. A short write (a full disk, a file size limit) may leave no
// error of its own behind.
QString WriteFailure(const QFileDevice &file)
{
    if (file.error() == QFileDevice::NoError || file.errorString().isEmpty() ||
        file.errorString() == QLatin1String("Unknown error")) {
        return Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture",
                                        "not all of it could be written (the disk may be full)"));
    }
    return file.errorString();
}

} // namespace

bool WriteTreePicture(const TreePicture &pic, const QString &path, QSize pngSize,
                      QString *error)
{
    return WriteTreePicture(pic, path, PictureFormat::None, pngSize, error);
}

bool WriteTreePicture(const TreePicture &pic, const QString &path, PictureFormat format,
                      QSize pngSize, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error) {
            *error = Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "cannot write %1: %2"))
                         .arg(path, reason);
        }
        return false;
    };
    // The whole file is made in memory first, then written in one piece.
    QByteArray bytes;
    switch (format != PictureFormat::None ? format : PictureFormatForPath(path)) {
    case PictureFormat::Svg:
        bytes = TreePictureToSvg(pic);
        break;
    case PictureFormat::Png: {
        const QImage image = TreePictureToImage(pic, pngSize);
        if (image.isNull()) {
            return fail(
                Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "the image is too large")));
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image)) {
            return fail(writer.errorString());
        }
        break;
    }
    case PictureFormat::Pdf:
        if (!PdfBytes(pic, pngSize, bytes)) {
            return fail(Reason(
                QT_TRANSLATE_NOOP("ramulet::TreePicture", "the PDF document could not be made")));
        }
        break;
    case PictureFormat::None:
        return fail(Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture",
                                             "the extension is not one of .svg, .png, .pdf")));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    // QSaveFile's commit() does not notice a short write or a failed final flush, so both are
    // checked here; the temporary file is then dropped and the old file stays as it was.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = WriteFailure(file);
        file.cancelWriting();
        file.commit();
        return fail(reason);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

QMimeData *MakeClipboardData(const TreePicture &pic, QSize viewSize)
{
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), TreePictureToSvg(pic));
    const QImage image = TreePictureToImage(pic, viewSize);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    mime->setData(QStringLiteral("image/png"), png);
    mime->setImageData(image);
    return mime;
}

} // namespace ramulet
