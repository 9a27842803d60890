#include "cli/animate.h"

#include "anim/encoders.h"
#include "anim/exporter.h"
#include "io/paths.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace ramulet {

const char *const kAnimateUsage =
    "  --animate KIND       write an animation instead of a still picture: grow (the\n"
    "                       tree grows generation by generation), sway (a loop in the\n"
    "                       wind) or morph:OTHER.rm2 (turns into that template)\n"
    "  --seconds S          length of the animation, 0.1..600 seconds (default 4)\n"
    "  --fps F              frames per second, 1..100 (default 30)\n"
    "  --loop               the animation plays over and over (GIF, WebP, APNG)\n"
    "                       With --animate, -o takes .gif, .webp, .png (APNG), .mp4 or\n"
    "                       .webm (both need the ffmpeg program), or DIR/ for numbered\n"
    "                       PNG frames.\n";

namespace {

bool ParseReal(const char *text, double lo, double hi, double &out) {
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(v >= lo && v <= hi)) {
        return false;
    }
    out = v;
    return true;
}

std::optional<AnimationKind> KindOf(std::string_view text, std::string &other) {
    if (text == "grow") {
        return AnimationKind::Grow;
    }
    if (text == "sway") {
        return AnimationKind::Sway;
    }
    if (text.substr(0, 6) == "morph:" && text.size() > 6) {
        other = std::string(text.substr(6));
        return AnimationKind::Morph;
    }
    return std::nullopt;
}

// The morph's other template as the still picture of it would be drawn: its rows placed
// in the same view, its colours and (unless --pen-index says) its pen width.
bool LoadOther(const std::string &path, const AnimateInput &in, AnimationScene &scene) {
    const LoadResult loaded = ReadTemplateFile(PathFromBytes(QByteArray::fromStdString(path)));
    if (loaded.status != LoadStatus::Accepted) {
        if (loaded.status == LoadStatus::Refused) {
            std::fprintf(stderr, "ramulet-render: %s: this file cannot be opened: %s\n",
                         path.c_str(), loaded.message.toLocal8Bit().constData());
        } else {
            std::fprintf(stderr, "ramulet-render: %s\n", loaded.message.toLocal8Bit().constData());
        }
        return false;
    }
    scene.other = loaded.data.table;
    UpdateAllScreenPoints(scene.other, in.view);
    const TemplateSettings settings =
        loaded.data.hasSettings ? loaded.data.settings : TemplateSettings{};
    const int32_t pen = in.penIndexOption.value_or(
        loaded.data.hasSettings ? PenIndexForSetting(settings.PenWidthSetting) : 2);
    scene.otherSettings = DrawSettingsFor(settings, pen);
    return true;
}

} // namespace

std::optional<std::string> TakeAnimateArgument(int argc, char **argv, int &i, AnimateOptions &opt) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--animate" || arg == "--seconds" || arg == "--fps";
    if (!takesValue && arg != "--loop") {
        return std::nullopt;
    }
    if (takesValue && i + 1 >= argc) {
        return std::string(arg) + " needs a value";
    }
    if (arg == "--animate") {
        const std::optional<AnimationKind> kind = KindOf(argv[++i], opt.otherPath);
        if (!kind) {
            return std::string("--animate takes grow, sway or morph:OTHER.rm2");
        }
        opt.active = true;
        opt.kind = *kind;
    } else if (arg == "--seconds") {
        if (!ParseReal(argv[++i], 0.1, 600.0, opt.seconds)) {
            return std::string("--seconds takes a length from 0.1 to 600");
        }
        opt.timingGiven = true;
    } else if (arg == "--fps") {
        double fps = 0;
        if (!ParseReal(argv[++i], 1.0, 100.0, fps) || fps != static_cast<int32_t>(fps)) {
            return std::string("--fps takes a whole number from 1 to 100");
        }
        opt.fps = static_cast<int32_t>(fps);
        opt.timingGiven = true;
    } else {
        opt.loop = true;
        opt.timingGiven = true;
    }
    return std::string();
}

std::string CheckAnimateOptions(const AnimateOptions &opt, const std::string &outputPath,
                                bool formatGiven, bool dumpSegments) {
    if (!opt.active) {
        return opt.timingGiven ? "--seconds, --fps and --loop go with --animate" : "";
    }
    if (outputPath.empty()) {
        return "--animate needs an output (-o)";
    }
    if (formatGiven || dumpSegments) {
        return "--animate does not go with --format or --dump-segments";
    }
    const AnimationFormat format =
        AnimationFormatForPath(PathFromBytes(QByteArray::fromStdString(outputPath)));
    if (format == AnimationFormat::None) {
        return "with --animate the output must end in .gif, .webp, .png, .mp4, .webm or /";
    }
    if ((format == AnimationFormat::Mp4 || format == AnimationFormat::Webm) && !FfmpegAvailable()) {
        return "MP4 and WebM need the ffmpeg program, which is not on PATH";
    }
    return "";
}

int RunAnimate(const AnimateOptions &opt, const AnimateInput &in) {
    AnimationJob job;
    job.kind = opt.kind;
    job.seconds = opt.seconds;
    job.fps = opt.fps;
    job.loop = opt.loop;
    job.path = PathFromBytes(QByteArray::fromStdString(in.outputPath));
    AnimationScene &scene = job.scene;
    scene.table = in.table;
    scene.settings = DrawSettingsFor(in.settings, in.penIndex);
    scene.view = in.view;
    scene.depth = in.depth;
    scene.fit = in.fit;
    scene.smooth = in.smooth;
    if (opt.kind == AnimationKind::Morph && !LoadOther(opt.otherPath, in, scene)) {
        return 2;
    }
    const std::atomic<bool> cancel{false};
    const ExportResult result = ExportAnimation(job, cancel, {});
    if (!result.ok) {
        std::fprintf(stderr, "ramulet-render: %s\n", result.message.toLocal8Bit().constData());
        return 2;
    }
    return 0;
}

} // namespace ramulet
