#pragma once

// The sinks behind MakeFrameSink, one class per format.

#include "anim/encoders.h"
#include "anim/outputdevice.h"

#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

struct GifFileType;
struct WebPAnimEncoder;

namespace ramulet {

class GifSink final : public FrameSink {
public:
    explicit GifSink(const QString &path);
    ~GifSink() override;
    bool begin(const AnimationStream &stream, QString *error) override;
    bool add(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void abandon() override;

private:
    bool putLoop();
    bool fail(QString *error);
    uint8_t indexOf(uint32_t rgb);

    QString m_path;
    SafeSaveFile m_file;
    GifFileType *m_gif = nullptr;
    AnimationStream m_stream;
    std::vector<uint32_t> m_palette;
    std::vector<uint8_t> m_index;  // palette entry of each colour 0x00RRGGBB, once known
    std::vector<uint64_t> m_known; // one bit per colour: whether m_index holds it
    QImage m_previous;             // the last frame over white
    int32_t m_frames = 0;
};

class WebpSink final : public FrameSink {
public:
    explicit WebpSink(const QString &path);
    ~WebpSink() override;
    bool begin(const AnimationStream &stream, QString *error) override;
    bool add(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void abandon() override;

private:
    int timestamp(int32_t frame) const;

    QString m_path;
    AnimationStream m_stream;
    WebPAnimEncoder *m_encoder = nullptr;
    int32_t m_frames = 0;
};

// APNG: a PNG whose default image is the first frame, then fcTL/fdAT chunks for the others.
// Each later frame holds only the rectangle that changed and replaces those pixels.
class ApngSink final : public FrameSink {
public:
    explicit ApngSink(const QString &path);
    ~ApngSink() override;
    bool begin(const AnimationStream &stream, QString *error) override;
    bool add(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void abandon() override;

private:
    bool chunk(const char *type, const QByteArray &data);
    QByteArray compressRect(const QImage &rgba, const QRect &rect);

    QString m_path;
    SafeSaveFile m_file;
    AnimationStream m_stream;
    QImage m_previous; // straight RGBA
    uint32_t m_sequence = 0;
    int32_t m_frames = 0;
};

// Numbered PNG frames (0001.png, ...) in a folder, written into a temporary folder inside
// it and moved into place at the end.
class PngFramesSink final : public FrameSink {
public:
    explicit PngFramesSink(const QString &folder);
    ~PngFramesSink() override;
    bool begin(const AnimationStream &stream, QString *error) override;
    bool add(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void abandon() override;

private:
    QString frameName(int32_t i) const;

    QString m_folder;
    bool m_madeFolder = false;
    std::unique_ptr<QTemporaryDir> m_temp;
    int32_t m_digits = 4;
    int32_t m_total = 0;
    int32_t m_frames = 0;
};

// MP4 (H.264) or WebM (VP9) by the ffmpeg program, fed raw frames on its standard input.
class FfmpegSink final : public FrameSink {
public:
    FfmpegSink(const QString &path, AnimationFormat format);
    ~FfmpegSink() override;
    bool begin(const AnimationStream &stream, QString *error) override;
    bool add(const QImage &frame, QString *error) override;
    bool finish(QString *error) override;
    void abandon() override;

private:
    QString failure() const;

    QString m_path;
    QString m_temp;
    AnimationFormat m_format;
    std::unique_ptr<QProcess> m_process;
};

} // namespace ramulet
