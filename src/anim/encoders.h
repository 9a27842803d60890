#pragma once

// The files an animation is written to: animated GIF, animated WebP (lossless), APNG, a
// folder of numbered PNG frames, and MP4 or WebM made by the ffmpeg program. Every sink
// writes to a temporary name beside its target and puts it in place only when the last frame
// is in, so a cancelled or failed export leaves no file behind.

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace ramulet {

enum class AnimationFormat { None, Gif, Webp, Apng, PngFrames, Mp4, Webm };

// The format for an output path: by its extension (.gif, .webp, .png for APNG, .mp4, .webm,
// any letter case), a folder of PNG frames for a path that ends in "/" or is a folder.
AnimationFormat AnimationFormatForPath(const QString &path);

// Whether the ffmpeg program can be started (it is on PATH): MP4 and WebM need it.
bool FfmpegAvailable();

// What the sinks are told before the first frame.
struct AnimationStream {
    int32_t width = 0;
    int32_t height = 0;
    int32_t fps = 30;
    int32_t frames = 0;
    bool loop = false; // play over and over (GIF, WebP, APNG); otherwise once
    // Colours the frames are made of, 0x00BBGGRR: the background first, then the colours of
    // the levels. The GIF's one palette is made from them and their blends with the
    // background, so that every frame maps onto the same colours.
    std::vector<uint32_t> keyColors;
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Each returns false with a message in *error on failure; then abandon() is called.
    virtual bool begin(const AnimationStream &stream, QString *error) = 0;
    // Frames in order, premultiplied ARGB32 of the stream's size.
    virtual bool add(const QImage &frame, QString *error) = 0;
    // Puts the file (or the frames) in place.
    virtual bool finish(QString *error) = 0;
    // Removes whatever has been written; safe to call at any point and more than once.
    virtual void abandon() = 0;
};

// A sink for `format` writing to `path`, or nullptr for None.
std::unique_ptr<FrameSink> MakeFrameSink(AnimationFormat format, const QString &path);

// The palette of a GIF for these key colours (the first is the background): the colours
// themselves and their blends with the background, at most 255 entries.
std::vector<uint32_t> GifPalette(const std::vector<uint32_t> &keyColors);

// How long frame i of a stream of `fps` is shown, in hundredths of a second: the times of
// the frames are rounded, not each frame's length, so the whole keeps its pace.
int32_t GifDelay(int32_t i, int32_t fps);

} // namespace ramulet
