#include "anim/sinkutil.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

namespace ramulet {

QImage StraightRgba(const QImage &frame) {
    return frame.convertToFormat(QImage::Format_RGBA8888);
}

QImage OverWhite(const QImage &frame) {
    QImage out(frame.size(), QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        const auto *src = reinterpret_cast<const uint32_t *>(frame.constScanLine(y));
        auto *dst = reinterpret_cast<uint32_t *>(out.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            // Premultiplied: over white, each channel gains what the alpha leaves uncovered.
            const uint32_t p = src[x];
            const uint32_t uncovered = 255u - (p >> 24);
            const uint32_t grey = uncovered | (uncovered << 8) | (uncovered << 16);
            dst[x] = 0xFF000000u | ((p & 0xFFFFFFu) + grey);
        }
    }
    return out;
}

QRect ChangedRect(const QImage &a, const QImage &b) {
    int top = -1;
    int bottom = -1;
    int left = a.width();
    int right = -1;
    const size_t rowBytes = static_cast<size_t>(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y) {
        const auto *pa = reinterpret_cast<const uint32_t *>(a.constScanLine(y));
        const auto *pb = reinterpret_cast<const uint32_t *>(b.constScanLine(y));
        if (std::memcmp(pa, pb, rowBytes) == 0) {
            continue;
        }
        if (top < 0) {
            top = y;
        }
        bottom = y;
        int x0 = 0;
        while (pa[x0] == pb[x0]) {
            ++x0;
        }
        int x1 = a.width() - 1;
        while (pa[x1] == pb[x1]) {
            --x1;
        }
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    if (top < 0) {
        return {};
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QString AnimationReason(const char *text) {
    return QCoreApplication::translate("ramulet::Animation", text);
}

QString FileFailure(const SafeSaveFile &file) {
    if (!file.failed() || file.errorString().isEmpty()) {
        return QCoreApplication::translate("ramulet::Animation",
                                           "not all of it could be written (the disk may be full)");
    }
    return file.errorString();
}

QString CannotWrite(const QString &path, const QString &reason) {
    return QCoreApplication::translate("ramulet::Animation", "cannot write %1: %2")
        .arg(path, reason);
}

} // namespace ramulet
