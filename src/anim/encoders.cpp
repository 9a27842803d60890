#include "anim/encoders.h"

#include "anim/sinks.h"
#include "anim/sinkutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ramulet {

AnimationFormat AnimationFormatForPath(const QString &path) {
    if (path.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir()) {
        return AnimationFormat::PngFrames;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gif")) {
        return AnimationFormat::Gif;
    }
    if (suffix == QLatin1String("webp")) {
        return AnimationFormat::Webp;
    }
    if (suffix == QLatin1String("png") || suffix == QLatin1String("apng")) {
        return AnimationFormat::Apng;
    }
    if (suffix == QLatin1String("mp4")) {
        return AnimationFormat::Mp4;
    }
    if (suffix == QLatin1String("webm")) {
        return AnimationFormat::Webm;
    }
    return AnimationFormat::None;
}

bool FfmpegAvailable() {
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

std::unique_ptr<FrameSink> MakeFrameSink(AnimationFormat format, const QString &path) {
    switch (format) {
    case AnimationFormat::Gif:
        return std::make_unique<GifSink>(path);
    case AnimationFormat::Webp:
        return std::make_unique<WebpSink>(path);
    case AnimationFormat::Apng:
        return std::make_unique<ApngSink>(path);
    case AnimationFormat::PngFrames:
        return std::make_unique<PngFramesSink>(path);
    case AnimationFormat::Mp4:
    case AnimationFormat::Webm:
        return std::make_unique<FfmpegSink>(path, format);
    case AnimationFormat::None:
        break;
    }
    return nullptr;
}

// --- PNG frames -------------------------------------------------------------------------

PngFramesSink::PngFramesSink(const QString &folder) : m_folder(folder) {}

PngFramesSink::~PngFramesSink() {
    abandon();
}

QString PngFramesSink::frameName(int32_t i) const {
    return QStringLiteral("%1.png").arg(i + 1, m_digits, 10, QLatin1Char('0'));
}

bool PngFramesSink::begin(const AnimationStream &stream, QString *error) {
    m_total = stream.frames;
    m_digits = std::max(4, static_cast<int32_t>(QString::number(stream.frames).size()));
    QDir dir(m_folder);
    if (!dir.exists()) {
        if (!QDir().mkpath(m_folder)) {
            *error =
                CannotWrite(m_folder, AnimationReason(QT_TRANSLATE_NOOP(
                                          "ramulet::Animation", "the folder could not be made")));
            return false;
        }
        m_madeFolder = true;
    }
    m_temp =
        std::make_unique<QTemporaryDir>(dir.filePath(QStringLiteral(".ramulet-frames-XXXXXX")));
    if (!m_temp->isValid()) {
        *error = CannotWrite(m_folder, m_temp->errorString());
        abandon();
        return false;
    }
    return true;
}

bool PngFramesSink::add(const QImage &frame, QString *error) {
    const QString name = m_temp->filePath(frameName(m_frames));
    QImageWriter writer(name, "png");
    if (!writer.write(frame)) {
        *error = CannotWrite(name, writer.errorString());
        return false;
    }
    ++m_frames;
    return true;
}

bool PngFramesSink::finish(QString *error) {
    QDir dir(m_folder);
    for (int32_t i = 0; i < m_frames; ++i) {
        const QString from = m_temp->filePath(frameName(i));
        const QString to = dir.filePath(frameName(i));
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) !=
            0) {
            *error = CannotWrite(to, QString::fromLocal8Bit(std::strerror(errno)));
            // Frames already moved are taken back out, so nothing of the export is left.
            for (int32_t j = 0; j < i; ++j) {
                QFile::remove(dir.filePath(frameName(j)));
            }
            abandon();
            return false;
        }
    }
    m_temp.reset();
    return true;
}

void PngFramesSink::abandon() {
    m_temp.reset(); // removes the temporary folder and what is in it
    if (m_madeFolder) {
        QDir().rmdir(m_folder);
        m_madeFolder = false;
    }
}

// --- MP4 and WebM through ffmpeg -------------------------------------------------------------

FfmpegSink::FfmpegSink(const QString &path, AnimationFormat format)
    : m_path(path), m_format(format) {
    const QFileInfo info(path);
    m_temp = info.dir().filePath(QStringLiteral(".%1.part").arg(info.fileName()));
}

FfmpegSink::~FfmpegSink() {
    abandon();
}

QString FfmpegSink::failure() const {
    QString text =
        QString::fromLocal8Bit(m_process ? m_process->readAllStandardError() : QByteArray())
            .trimmed();
    if (text.isEmpty()) {
        text =
            AnimationReason(QT_TRANSLATE_NOOP("ramulet::Animation", "the ffmpeg program failed"));
    }
    return CannotWrite(m_path, text.section(QLatin1Char('\n'), -1));
}

bool FfmpegSink::begin(const AnimationStream &stream, QString *error) {
    const QString size = QStringLiteral("%1x%2").arg(stream.width).arg(stream.height);
    QStringList args = {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                        QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                        QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                        QStringLiteral("bgr0"), QStringLiteral("-s"), size, QStringLiteral("-r"),
                        QString::number(stream.fps), QStringLiteral("-i"), QStringLiteral("-"),
                        // Players want even sizes for 4:2:0 colour.
                        QStringLiteral("-vf"),
                        QStringLiteral("pad=ceil(iw/2)*2:ceil(ih/2)*2:color=white"),
                        QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")};
    if (m_format == AnimationFormat::Mp4) {
        args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-crf")
             << QStringLiteral("18") << QStringLiteral("-movflags") << QStringLiteral("+faststart")
             << QStringLiteral("-f") << QStringLiteral("mp4");
    } else {
        args << QStringLiteral("-c:v") << QStringLiteral("libvpx-vp9") << QStringLiteral("-crf")
             << QStringLiteral("30") << QStringLiteral("-b:v") << QStringLiteral("0")
             << QStringLiteral("-deadline") << QStringLiteral("realtime")
             << QStringLiteral("-cpu-used") << QStringLiteral("8") << QStringLiteral("-f")
             << QStringLiteral("webm");
    }
    args << m_temp;
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(QStringLiteral("ffmpeg"), args);
    if (!m_process->waitForStarted(-1)) {
        *error = CannotWrite(
            m_path, AnimationReason(QT_TRANSLATE_NOOP("ramulet::Animation",
                                                      "the ffmpeg program could not be started")));
        m_process.reset();
        return false;
    }
    return true;
}

bool FfmpegSink::add(const QImage &frame, QString *error) {
    const QImage opaque = OverWhite(frame);
    for (int y = 0; y < opaque.height(); ++y) {
        const auto *row = reinterpret_cast<const char *>(opaque.constScanLine(y));
        if (m_process->write(row, qint64(opaque.width()) * 4) != qint64(opaque.width()) * 4) {
            *error = failure();
            return false;
        }
    }
    // Bounded memory: wait until ffmpeg has taken the frame.
    while (m_process->bytesToWrite() > 0) {
        if (!m_process->waitForBytesWritten(-1)) {
            *error = failure();
            return false;
        }
    }
    return true;
}

bool FfmpegSink::finish(QString *error) {
    m_process->closeWriteChannel();
    const bool ran = m_process->waitForFinished(-1) &&
                     m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
    if (!ran) {
        *error = failure();
        abandon();
        return false;
    }
    m_process.reset();
    if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_path).constData()) !=
        0) {
        *error = CannotWrite(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(m_temp);
        return false;
    }
    return true;
}

void FfmpegSink::abandon() {
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(-1);
        m_process.reset();
        QFile::remove(m_temp);
    }
}

} // namespace ramulet
