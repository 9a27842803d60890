#include "view/pictureoutput.h"

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
    // The whole file is made in memory first, then written in one piece.
    QByteArray bytes;
    switch (format != PictureFormat::None ? format : PictureFormatForPath(path)) {
    case PictureFormat::Svg:
        bytes = TreePictureToSvg(pic);
        break;
    case PictureFormat::Png: {
        const QImage image = TreePictureToImage(pic, pngSize, smooth);
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
