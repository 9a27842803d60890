#include "view/pictureoutput.h"

#include "core/outputfile.h"
#include "core/pathbytes.h"
#include "view/pngwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <charconv>

namespace ramulet {

namespace {

// Lines per SVG path element, so that no single attribute grows without bound.
constexpr uint32_t SvgLinesPerPath = 4096;

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
    const QByteArray onePixel = QByteArray::number(
        static_cast<double>(PictureWidth) / (pic.viewWidth() > 0 ? pic.viewWidth() : 800), 'g', 6);
    const auto &lines = pic.lines();
    for (const TreePicture::PenRun &run : pic.runs()) {
        for (uint32_t start = 0; start < run.count; start += SvgLinesPerPath) {
            const uint32_t end = std::min(run.count, start + SvgLinesPerPath);
            out.append("<path stroke=\"");
            AppendHexColor(out, run.color);
            if (run.width <= 0) {
                // The thinnest line: one pixel of the view the picture was made for, in
                // picture units, so that it shows at that size in every renderer (SVG 1.1
                // has no non-scaling stroke, and librsvg ignores it).
                out.append("\" stroke-width=\"");
                out.append(onePixel);
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

QImage TreePictureToImage(const TreePicture &pic, QSize size, bool smooth)
{
    const QSize s = PictureImageSize(pic, size);
    QImage image(s, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.fill(Qt::transparent);
    RasterizePicture(image, pic, smooth);
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

// Why `file` could not be written, in the window's language where it is ours.
QString OutputFailure(const OutputFile &file)
{
    switch (file.LastFailure()) {
    case OutputFile::Failure::Folder:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "it is a folder"));
    case OutputFile::Failure::NotWritable:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture",
                                        "it is neither a file, a pipe nor a character device"));
    case OutputFile::Failure::NoReader:
        return Reason(
            QT_TRANSLATE_NOOP("ramulet::TreePicture", "it is a pipe that no program is reading"));
    case OutputFile::Failure::None:
    case OutputFile::Failure::System:
        break;
    }
    return QString::fromLocal8Bit(file.Error().c_str());
}

} // namespace

bool WriteTreePicture(const TreePicture &pic, const QString &path, QSize pngSize,
                      QString *error, bool smooth)
{
    return WriteTreePicture(pic, path, PictureFormat::None, pngSize, error, smooth);
}

bool WriteTreePicture(const TreePicture &pic, const QString &path, PictureFormat format,
                      QSize pngSize, QString *error, bool smooth)
{
    auto fail = [&](const QString &reason) {
        if (error) {
            *error = Reason(QT_TRANSLATE_NOOP("ramulet::TreePicture", "cannot write %1: %2"))
                         .arg(path, reason);
        }
        return false;
    };
    // SVG and PDF are made in memory first (they are small), so that a failure to make them
    // leaves the file alone; a PNG, which may be of any size, is drawn and written in bands.
    const PictureFormat chosen = format != PictureFormat::None ? format : PictureFormatForPath(path);
    QByteArray bytes;
    switch (chosen) {
    case PictureFormat::Svg:
        bytes = TreePictureToSvg(pic);
        break;
    case PictureFormat::Png:
        break;
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

    // Written through a temporary file that replaces the old one only when complete, or
    // straight into a pipe or a device, which is never replaced (core/outputfile.h).
    OutputFile file;
    if (!file.Open(EncodePathBytes(std::u16string_view(
            reinterpret_cast<const char16_t *>(path.utf16()), static_cast<size_t>(path.size()))))) {
        return fail(OutputFailure(file));
    }
    if (chosen == PictureFormat::Png) {
        QString reason;
        if (!WritePicturePng(pic, PictureImageSize(pic, pngSize), smooth, file, &reason)) {
            return fail(reason);
        }
    } else if (!file.Write(bytes.constData(), static_cast<size_t>(bytes.size()))) {
        return fail(OutputFailure(file));
    }
    if (!file.Commit()) {
        return fail(OutputFailure(file));
    }
    return true;
}

QMimeData *MakeClipboardData(const TreePicture &pic, QSize viewSize, bool smooth)
{
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), TreePictureToSvg(pic));
    const QImage image = TreePictureToImage(pic, viewSize, smooth);
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
