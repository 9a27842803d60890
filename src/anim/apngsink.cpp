// APNG written here over zlib: the signature, IHDR and acTL, then for every frame an fcTL and
// its pixels (IDAT for the first, which is also the default image, fdAT for the others),
// then IEND.

#include "anim/sinks.h"
#include "anim/sinkutil.h"

#include <cstring>
#include <optional>
#include <zlib.h>

namespace ramulet {

namespace {

// zlib level for the frames: the frames are mostly flat colour, which every level packs
// well, so the faster levels give nearly the same size.
constexpr int kDeflateLevel = 3;

void PutU32(QByteArray &out, uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void PutU16(QByteArray &out, uint16_t v) {
    const char b[2] = {char(v >> 8), char(v)};
    out.append(b, 2);
}

// The changed rectangle of a frame for blending over the frame before: the pixels that did
// not change made fully transparent, which packs far smaller. Nullopt when a changed pixel is
// not opaque: blended over, it would mix with the pixel below instead of replacing it.
std::optional<QImage> OverPatch(const QImage &rgba, const QImage &before, const QRect &rect) {
    QImage patch = rgba.copy(rect);
    for (int y = 0; y < rect.height(); ++y) {
        auto *p = reinterpret_cast<uint32_t *>(patch.scanLine(y));
        const auto *b =
            reinterpret_cast<const uint32_t *>(before.constScanLine(y + rect.top())) + rect.left();
        for (int x = 0; x < rect.width(); ++x) {
            if (p[x] == b[x]) {
                p[x] = 0;
            } else if ((p[x] >> 24) != 0xFFu) { // RGBA bytes: alpha is the word's top byte
                return std::nullopt;
            }
        }
    }
    return patch;
}

} // namespace

ApngSink::ApngSink(const QString &path) : m_path(path), m_file(path) {}

ApngSink::~ApngSink() {
    abandon();
}

bool ApngSink::chunk(const char *type, const QByteArray &data) {
    QByteArray head;
    PutU32(head, static_cast<uint32_t>(data.size()));
    head.append(type, 4);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef *>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef *>(data.constData()),
                static_cast<uInt>(data.size()));
    QByteArray tail;
    PutU32(tail, static_cast<uint32_t>(crc));
    return m_file.write(head) == head.size() && m_file.write(data) == data.size() &&
           m_file.write(tail) == tail.size();
}

bool ApngSink::begin(const AnimationStream &stream, QString *error) {
    m_stream = stream;
    if (!m_file.open(QIODevice::WriteOnly)) {
        *error = CannotWrite(m_path, m_file.errorString());
        return false;
    }
    QByteArray ihdr;
    PutU32(ihdr, static_cast<uint32_t>(stream.width));
    PutU32(ihdr, static_cast<uint32_t>(stream.height));
    ihdr.append("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, deflate, filters, no interlace
    QByteArray actl;
    PutU32(actl, static_cast<uint32_t>(stream.frames));
    PutU32(actl, stream.loop ? 0u : 1u); // plays: 0 = for ever
    const bool ok =
        m_file.write("\x89PNG\r\n\x1a\n", 8) == 8 && chunk("IHDR", ihdr) && chunk("acTL", actl);
    if (!ok) {
        *error = CannotWrite(m_path, FileFailure(m_file));
    }
    return ok;
}

// The rows of `rect`, each with the filter "Up" (the byte above subtracted; the first row of
// a frame has none above and stays as it is), deflated.
QByteArray ApngSink::compressRect(const QImage &rgba, const QRect &rect) {
    const size_t rowBytes = static_cast<size_t>(rect.width()) * 4;
    QByteArray raw(static_cast<qsizetype>((rowBytes + 1) * static_cast<size_t>(rect.height())), 0);
    auto *out = reinterpret_cast<uint8_t *>(raw.data());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const uint8_t *row = rgba.constScanLine(y) + rect.left() * 4;
        *out++ = y == rect.top() ? 0 : 2;
        if (y == rect.top()) {
            std::memcpy(out, row, rowBytes);
        } else {
            const uint8_t *above = rgba.constScanLine(y - 1) + rect.left() * 4;
            for (size_t i = 0; i < rowBytes; ++i) {
                out[i] = static_cast<uint8_t>(row[i] - above[i]);
            }
        }
        out += rowBytes;
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    QByteArray packed(static_cast<qsizetype>(size), 0);
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &size,
                  reinterpret_cast<const Bytef *>(raw.constData()), static_cast<uLong>(raw.size()),
                  kDeflateLevel) != Z_OK) {
        return {};
    }
    packed.resize(static_cast<qsizetype>(size));
    return packed;
}

bool ApngSink::add(const QImage &frame, QString *error) {
    const QImage rgba = StraightRgba(frame);
    QRect rect = m_previous.isNull() ? rgba.rect() : ChangedRect(rgba, m_previous);
    if (rect.isEmpty()) {
        rect = QRect(0, 0, 1, 1);
    }
    QByteArray fctl;
    PutU32(fctl, m_sequence++);
    PutU32(fctl, static_cast<uint32_t>(rect.width()));
    PutU32(fctl, static_cast<uint32_t>(rect.height()));
    PutU32(fctl, static_cast<uint32_t>(rect.x()));
    PutU32(fctl, static_cast<uint32_t>(rect.y()));
    // Frame i is shown from i / fps seconds: a delay of 1 / fps.
    PutU16(fctl, 1);
    PutU16(fctl, static_cast<uint16_t>(m_stream.fps));
    const std::optional<QImage> patch =
        m_previous.isNull() ? std::nullopt : OverPatch(rgba, m_previous, rect);
    // Dispose: none; blend: over the frame before with its unchanged pixels transparent, or
    // source (the rectangle replaces what was there).
    fctl.append(patch ? "\x00\x01" : "\x00\x00", 2);
    const QByteArray pixels =
        patch ? compressRect(*patch, patch->rect()) : compressRect(rgba, rect);
    bool ok = !pixels.isEmpty() && chunk("fcTL", fctl);
    if (ok && m_frames == 0) {
        ok = chunk("IDAT", pixels);
    } else if (ok) {
        QByteArray fdat;
        PutU32(fdat, m_sequence++);
        fdat.append(pixels);
        ok = chunk("fdAT", fdat);
    }
    if (!ok) {
        *error = CannotWrite(m_path, FileFailure(m_file));
        return false;
    }
    m_previous = rgba;
    ++m_frames;
    return true;
}

bool ApngSink::finish(QString *error) {
    if (!chunk("IEND", QByteArray()) || !m_file.flush() || !m_file.commit()) {
        *error = CannotWrite(m_path, FileFailure(m_file));
        abandon();
        return false;
    }
    return true;
}

void ApngSink::abandon() {
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // drops the temporary file; a pipe or device is only closed
    }
}

} // namespace ramulet
