#include "anim/exporter.h"

#include <QCoreApplication>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ramulet {

namespace {

// The frames between the drawing thread and the encoder, at most kFramesAhead of them.
class FrameQueue {
public:
    // False when the encoder has stopped taking frames.
    bool push(QImage frame) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || m_frames.size() < kFramesAhead; });
        if (m_stopped) {
            return false;
        }
        m_frames.push_back(std::move(frame));
        m_changed.notify_all();
        return true;
    }
    // A null image when the drawing thread has stopped and everything is taken.
    QImage pop() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || m_done || !m_frames.empty(); });
        if (m_frames.empty()) {
            return {};
        }
        QImage frame = std::move(m_frames.front());
        m_frames.pop_front();
        m_changed.notify_all();
        return frame;
    }
    void done() {
        std::lock_guard lock(m_mutex);
        m_done = true;
        m_changed.notify_all();
    }
    void stop() {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_frames.clear();
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QImage> m_frames;
    bool m_done = false;
    bool m_stopped = false;
};

AnimationStream StreamOf(const AnimationJob &job, const FrameMaker &maker) {
    AnimationStream stream;
    stream.width = maker.size().width();
    stream.height = maker.size().height();
    stream.fps = job.fps;
    stream.frames = maker.frameCount();
    stream.loop = job.loop;
    // The background as the GIF shows it: a white background is a transparent picture,
    // drawn over white.
    stream.keyColors = maker.keyColors();
    const uint32_t back = maker.backColor(0) & 0xFFFFFFu;
    std::erase(stream.keyColors, back);
    stream.keyColors.insert(stream.keyColors.begin(), back);
    return stream;
}

// Takes the frames off the queue into the sink; false with *error when the sink fails.
bool EncodeFrames(FrameQueue &queue, FrameSink &sink, int32_t total,
                  const std::atomic<bool> &cancel,
                  const std::function<void(int32_t, int32_t)> &progress, QString *error) {
    for (int32_t done = 0; done < total; ++done) {
        const QImage frame = queue.pop();
        if (frame.isNull() || cancel.load()) {
            return false;
        }
        if (!sink.add(frame, error)) {
            return false;
        }
        if (progress) {
            progress(done + 1, total);
        }
    }
    return true;
}

} // namespace

ExportResult ExportAnimation(const AnimationJob &job, const std::atomic<bool> &cancel,
                             const std::function<void(int32_t, int32_t)> &progress) {
    ExportResult result;
    const AnimationFormat format =
        job.format != AnimationFormat::None ? job.format : AnimationFormatForPath(job.path);
    std::unique_ptr<FrameSink> sink = MakeFrameSink(format, job.path);
    if (!sink) {
        result.message = QCoreApplication::translate("ramulet::Animation",
                                                     "cannot write %1: the format is not known")
                             .arg(job.path);
        return result;
    }
    FrameMaker maker(job.kind, job.scene, AnimationFrameCount(job.seconds, job.fps));
    if (!sink->begin(StreamOf(job, maker), &result.message)) {
        sink->abandon();
        return result;
    }
    FrameQueue queue;
    std::thread drawing([&] {
        for (int32_t i = 0; i < maker.frameCount() && !cancel.load(); ++i) {
            if (!queue.push(maker.frame(i))) {
                break;
            }
        }
        queue.done();
    });
    const bool encoded =
        EncodeFrames(queue, *sink, maker.frameCount(), cancel, progress, &result.message);
    queue.stop();
    drawing.join();
    if (!encoded || cancel.load()) {
        sink->abandon();
        result.cancelled = cancel.load();
        if (result.cancelled) {
            result.message.clear();
        }
        return result;
    }
    result.ok = sink->finish(&result.message);
    return result;
}

} // namespace ramulet
