// Animated GIF through giflib: one global palette for every frame, each frame after the first
// only the rectangle that changed, its unchanged pixels transparent over the frame before.

#include "anim/encoders.h"
#include "anim/sinks.h"
#include "anim/sinkutil.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gif_lib.h>

namespace ramulet {

namespace {

constexpr int kTransparent = 255; // the palette index of "as the frame before"

int WriteToFile(GifFileType *gif, const GifByteType *bytes, int count) {
    auto *file = static_cast<SafeSaveFile *>(gif->UserData);
    return static_cast<int>(file->write(reinterpret_cast<const char *>(bytes), count));
}

uint8_t Channel(uint32_t c, int shift) {
    return static_cast<uint8_t>((c >> shift) & 0xFFu);
}

} // namespace

std::vector<uint32_t> GifPalette(const std::vector<uint32_t> &keyColors) {
    std::vector<uint32_t> out;
    if (keyColors.empty()) {
        out.push_back(0xFFFFFFu);
        return out;
    }
    const uint32_t back = keyColors.front() & 0xFFFFFFu;
    out.push_back(back);
    const size_t others = std::min<size_t>(keyColors.size() - 1, kTransparent - 1);
    if (others == 0) {
        return out;
    }
    // Each colour and steps - 1 blends of it with the background: enough steps for the edge
    // of a band drawn smooth, within the 255 entries a frame may use.
    const int steps = std::clamp(static_cast<int>((kTransparent - 1) / others), 1, 32);
    for (size_t k = 1; k <= others; ++k) {
        const uint32_t c = keyColors[k] & 0xFFFFFFu;
        for (int j = steps; j >= 1; --j) {
            uint32_t blend = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const double v = Channel(back, shift) +
                                 (Channel(c, shift) - Channel(back, shift)) * (double(j) / steps);
                blend |= static_cast<uint32_t>(std::lround(v)) << shift;
            }
            out.push_back(blend);
        }
    }
    std::sort(out.begin() + 1, out.end());
    out.erase(std::unique(out.begin() + 1, out.end()), out.end());
    return out;
}

int32_t GifDelay(int32_t i, int32_t fps) {
    const double f = fps > 0 ? fps : 1;
    return static_cast<int32_t>(std::lround((i + 1) * 100.0 / f) - std::lround(i * 100.0 / f));
}

GifSink::GifSink(const QString &path) : m_path(path), m_file(path) {}

GifSink::~GifSink() {
    abandon();
}

bool GifSink::begin(const AnimationStream &stream, QString *error) {
    m_stream = stream;
    m_palette = GifPalette(stream.keyColors);
    m_index.assign(size_t{1} << 24, 0);
    m_known.assign((size_t{1} << 24) / 64, 0);
    if (!m_file.open(QIODevice::WriteOnly)) {
        *error = CannotWrite(m_path, m_file.errorString());
        return false;
    }
    int status = 0;
    m_gif = EGifOpen(&m_file, WriteToFile, &status);
    if (!m_gif) {
        *error = CannotWrite(m_path, QString::fromLatin1(GifErrorString(status)));
        return false;
    }
    EGifSetGifVersion(m_gif, true);
    GifColorType colors[256] = {};
    for (size_t i = 0; i < m_palette.size(); ++i) {
        colors[i] = {Channel(m_palette[i], 0), Channel(m_palette[i], 8), Channel(m_palette[i], 16)};
    }
    ColorMapObject *map = GifMakeMapObject(256, colors);
    const bool ok = map &&
                    EGifPutScreenDesc(m_gif, stream.width, stream.height, 8, 0, map) == GIF_OK &&
                    (!stream.loop || putLoop());
    GifFreeMapObject(map);
    return ok || fail(error);
}

// The application extension that makes viewers play the animation over and over.
bool GifSink::putLoop() {
    static const GifByteType name[] = "NETSCAPE2.0";
    static const GifByteType endless[] = {1, 0, 0};
    return EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(m_gif, 11, name) == GIF_OK &&
           EGifPutExtensionBlock(m_gif, 3, endless) == GIF_OK &&
           EGifPutExtensionTrailer(m_gif) == GIF_OK;
}

bool GifSink::fail(QString *error) {
    QString reason = FileFailure(m_file);
    if (m_gif && m_gif->Error != 0 && !m_file.failed()) {
        reason = QString::fromLatin1(GifErrorString(m_gif->Error));
    }
    *error = CannotWrite(m_path, reason);
    return false;
}

// The nearest palette entry (by the sum of squared channel differences) of a colour
// 0x00RRGGBB, looked up once per colour.
uint8_t GifSink::indexOf(uint32_t rgb) {
    uint64_t &word = m_known[rgb >> 6];
    const uint64_t bit = uint64_t{1} << (rgb & 63u);
    if (word & bit) {
        return m_index[rgb];
    }
    int best = 0;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < m_palette.size(); ++i) {
        const uint32_t p = m_palette[i]; // 0x00BBGGRR
        const int dr = int((rgb >> 16) & 0xFF) - Channel(p, 0);
        const int dg = int((rgb >> 8) & 0xFF) - Channel(p, 8);
        const int db = int(rgb & 0xFF) - Channel(p, 16);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    word |= bit;
    m_index[rgb] = static_cast<uint8_t>(best);
    return m_index[rgb];
}

bool GifSink::add(const QImage &frame, QString *error) {
    const QImage opaque = OverWhite(frame);
    QRect rect = m_previous.isNull() ? opaque.rect() : ChangedRect(opaque, m_previous);
    if (rect.isEmpty()) {
        rect = QRect(0, 0, 1, 1); // a frame must hold an image; this one changes nothing
    }
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.DelayTime = GifDelay(m_frames, m_stream.fps);
    gcb.TransparentColor = m_previous.isNull() ? NO_TRANSPARENT_COLOR : kTransparent;
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    if (EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK ||
        EGifPutImageDesc(m_gif, rect.x(), rect.y(), rect.width(), rect.height(), false, nullptr) !=
            GIF_OK) {
        return fail(error);
    }
    std::vector<GifPixelType> line(static_cast<size_t>(rect.width()));
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto *px = reinterpret_cast<const uint32_t *>(opaque.constScanLine(y));
        const auto *before = m_previous.isNull()
                                 ? nullptr
                                 : reinterpret_cast<const uint32_t *>(m_previous.constScanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const bool same =
                before && before[x] == px[x] && !(rect.width() == 1 && rect.height() == 1);
            line[static_cast<size_t>(x - rect.left())] =
                same ? GifPixelType(kTransparent) : indexOf(px[x] & 0xFFFFFFu);
        }
        if (EGifPutLine(m_gif, line.data(), rect.width()) != GIF_OK) {
            return fail(error);
        }
    }
    // A pixel of the same colour maps to the same entry, so comparing the frames' own
    // colours finds exactly the pixels the viewer already shows right.
    m_previous = opaque;
    ++m_frames;
    return true;
}

bool GifSink::finish(QString *error) {
    int status = 0;
    GifFileType *gif = m_gif;
    m_gif = nullptr;
    if (EGifCloseFile(gif, &status) != GIF_OK) {
        *error = CannotWrite(m_path, QString::fromLatin1(GifErrorString(status)));
        abandon();
        return false;
    }
    if (!m_file.flush() || !m_file.commit()) {
        *error = CannotWrite(m_path, FileFailure(m_file));
        abandon();
        return false;
    }
    return true;
}

void GifSink::abandon() {
    if (m_gif) {
        int status = 0;
        EGifCloseFile(m_gif, &status);
        m_gif = nullptr;
    }
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // drops the temporary file; a pipe or device is only closed
    }
}

} // namespace ramulet
