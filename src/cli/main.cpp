// ramulet-render: grows a template headlessly and writes what the window would show.

#include "cli/animate.h"
#include "core/branches.h"
#include "core/numeric.h"
#include "core/segments.h"
#include "cli/variationargs.h"
#include "core/viewstate.h"
#include "io/paths.h"
#include "io/templatefile.h"
#include "view/pictureoutput.h"
#include "view/renderpipeline.h"

#include <QGuiApplication>
#include <QString>
#include <QTranslator>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace ramulet;

constexpr const char *kUsage =
    "Usage: ramulet-render [OPTIONS] [TEMPLATE.rm2]\n"
    "Grows a Ramulet template and writes the tree.\n"
    "\n"
    "  TEMPLATE             a template file; without it the default template\n"
    "  --depth N|auto       nesting depth 1..16 (default 1); auto: the deepest depth the\n"
    "                       window offers for the template, up to --max-depth\n"
    "  --max-depth N        the deepest depth --depth auto takes, 1..16 (default 10)\n"
    "  --size WxH           tree view size in pixels (default 636x634)\n"
    "  --long-side N        a view of the grown tree's proportions, N pixels on its longer\n"
    "                       side and at least N/4 on the other; implies --fit\n"
    "  --pen-index N        pen-width list index 0..10 (default: from the file's pen\n"
    "                       width setting, else 2)\n"
    "  --fit                automatic fit on (as the check box of the window)\n"
    "  --dump-segments      write the grown segments to standard output as CSV\n"
    "  -o, --output FILE    write the tree picture; format by extension: .svg\n"
    "                       (8000 x PictureHeight units), .png (the view's size), .pdf\n"
    "  --format FORMAT      the picture's format whatever the extension: png, svg or pdf\n"
    "  --smooth             draw the PNG picture smooth (antialiased, thin lines fade), as\n"
    "                       the window's Smooth check box; SVG and PDF are vector pictures\n"
    "  --save FILE          write the template as loaded, in the .rm2 format\n"
    "  --allow-partial      grow a depth the window does not offer (its tree does not fit the\n"
    "                       store) as far as the store holds, and draw what fits\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n";

// The usage with the variation options before the help and version lines.
void PrintUsage(FILE *to)
{
    const std::string usage = kUsage;
    const size_t help = usage.find("  -h, --help");
    const std::string text = usage.substr(0, help) + VariationUsage + kAnimateUsage + usage.substr(help);
    std::fputs(text.c_str(), to);
}

struct Options {
    int32_t depth = 1;
    bool autoDepth = false;               // --depth auto
    std::optional<int32_t> maxDepth;      // --max-depth, for --depth auto
    int32_t width = 636;
    int32_t height = 634;
    bool sizeGiven = false;               // --size
    std::optional<int32_t> longSide;      // --long-side
    bool dumpSegments = false;
    std::string templatePath; // empty: the default template
    std::string savePath;     // --save
    // --pen-index; when it is not given, loading fills in the file's choice.
    std::optional<int32_t> penIndex;
    bool fit = false;         // --fit
    std::string outputPath;   // -o: the tree picture
    PictureFormat format = PictureFormat::None; // --format; None: by the extension
    bool smooth = false;      // --smooth
    AnimateOptions animate;   // --animate and its timing
    bool allowPartial = false; // --allow-partial
    VariationRequest variation; // --variation and its options
};

// The deepest depth that --depth auto takes unless --max-depth says otherwise: deeper trees
// are too fine to be seen in a small picture.
constexpr int32_t kAutoDepthLimit = 10;

// The options that are a word alone, those that take a file name, and those that take a
// whole number in a range.
struct FlagOption {
    std::string_view name;
    bool Options::*field;
};
constexpr FlagOption kFlagOptions[] = {
    {"--dump-segments", &Options::dumpSegments},
    {"--fit", &Options::fit},
    {"--smooth", &Options::smooth},
    {"--allow-partial", &Options::allowPartial},
};

struct PathOption {
    std::string_view name;
    std::string Options::*field;
};
constexpr PathOption kPathOptions[] = {
    {"-o", &Options::outputPath},
    {"--output", &Options::outputPath},
    {"--save", &Options::savePath},
};

struct NumberOption {
    std::string_view name;
    long lo;
    long hi;
    const char *wrong; // the usage error for a value out of the range
    std::optional<int32_t> Options::*field;
};
constexpr NumberOption kNumberOptions[] = {
    {"--max-depth", 1, MaxDepth, "--max-depth takes a whole number from 1 to 16",
     &Options::maxDepth},
    {"--long-side", 1, 100000, "--long-side takes a size in pixels, 1..100000", &Options::longSide},
    {"--pen-index", 0, 10, "--pen-index takes a whole number from 0 to 10", &Options::penIndex},
};

bool ParseInt(std::string_view text, long lo, long hi, int32_t &out)
{
    if (text.empty() || text.size() > 12) {
        return false;
    }
    std::string s(text);
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || end == s.c_str() || *end != '\0' || v < lo || v > hi) {
        return false;
    }
    out = static_cast<int32_t>(v);
    return true;
}

int UsageError(const std::string &message)
{
    std::fprintf(stderr, "ramulet-render: %s\n\n", message.c_str());
    PrintUsage(stderr);
    return 1;
}

// The command line, read one argument at a time. The readers below return nullopt to go on
// and an exit status to stop with (1 after a usage error, 0 after --help or --version).
struct Arguments {
    int argc;
    char **argv;
    int i = 1; // the argument being read

    std::string_view current() const { return argv[i]; }

    // The value after the current option, stepped over; nullopt, the usage error printed,
    // when the option is the last argument.
    std::optional<std::string_view> value()
    {
        if (i + 1 >= argc) {
            UsageError(std::string(current()) + " needs a value");
            return std::nullopt;
        }
        return std::string_view(argv[++i]);
    }
};

std::optional<int> ReadDepth(Arguments &a, Options &opt)
{
    const auto v = a.value();
    if (!v) {
        return 1;
    }
    opt.autoDepth = *v == "auto";
    if (!opt.autoDepth && !ParseInt(*v, 1, MaxDepth, opt.depth)) {
        return UsageError("--depth takes a whole number from 1 to 16, or auto");
    }
    return std::nullopt;
}

std::optional<int> ReadSize(Arguments &a, Options &opt)
{
    const auto v = a.value();
    if (!v) {
        return 1;
    }
    const size_t x = v->find('x');
    if (x == std::string_view::npos || !ParseInt(v->substr(0, x), 1, 100000, opt.width) ||
        !ParseInt(v->substr(x + 1), 1, 100000, opt.height)) {
        return UsageError("--size takes WIDTHxHEIGHT in pixels, each 1..100000");
    }
    opt.sizeGiven = true;
    return std::nullopt;
}

std::optional<int> ReadFormat(Arguments &a, Options &opt)
{
    const auto v = a.value();
    if (!v) {
        return 1;
    }
    // A name is a picture format when a file of that extension would be one.
    opt.format = PictureFormatForPath(QStringLiteral("picture.") +
                                      QString::fromLocal8Bit(v->data(), qsizetype(v->size())));
    if (opt.format == PictureFormat::None || v->find('.') != std::string_view::npos) {
        return UsageError("--format takes png, svg or pdf");
    }
    return std::nullopt;
}

std::optional<int> ReadNumber(Arguments &a, const NumberOption &option, Options &opt)
{
    const auto v = a.value();
    if (!v) {
        return 1;
    }
    int32_t number = 0;
    if (!ParseInt(*v, option.lo, option.hi, number)) {
        return UsageError(option.wrong);
    }
    opt.*option.field = number;
    return std::nullopt;
}

std::optional<int> ReadPath(Arguments &a, std::string &path)
{
    const auto v = a.value();
    if (!v) {
        return 1;
    }
    path = std::string(*v);
    return std::nullopt;
}

// One of this program's own options, or the template's name.
std::optional<int> ReadOption(Arguments &a, Options &opt)
{
    const std::string_view arg = a.current();
    for (const FlagOption &flag : kFlagOptions) {
        if (arg == flag.name) {
            opt.*flag.field = true;
            return std::nullopt;
        }
    }
    for (const PathOption &path : kPathOptions) {
        if (arg == path.name) {
            return ReadPath(a, opt.*path.field);
        }
    }
    for (const NumberOption &number : kNumberOptions) {
        if (arg == number.name) {
            return ReadNumber(a, number, opt);
        }
    }
    if (arg == "--depth") {
        return ReadDepth(a, opt);
    }
    if (arg == "--size") {
        return ReadSize(a, opt);
    }
    if (arg == "--format") {
        return ReadFormat(a, opt);
    }
    if (!arg.empty() && arg[0] != '-' && opt.templatePath.empty()) {
        opt.templatePath = std::string(arg);
        return std::nullopt;
    }
    return UsageError("unknown argument '" + std::string(arg) + "'");
}

// The argument at a.i: a variation option, help or version, an animation option, or one of
// ours.
std::optional<int> ReadArgument(Arguments &a, Options &opt)
{
    std::string variationError;
    const VariationArgument variationArg =
        ReadVariationArgument(a.argc, a.argv, a.i, opt.variation, variationError);
    if (variationArg == VariationArgument::Wrong) {
        return UsageError(variationError);
    }
    if (variationArg == VariationArgument::Taken) {
        return std::nullopt;
    }
    const std::string_view arg = a.current();
    if (arg == "-h" || arg == "--help") {
        PrintUsage(stdout);
        return 0;
    }
    if (arg == "--version") {
        std::puts("ramulet-render (Ramulet 2.3)");
        return 0;
    }
    if (const auto taken = TakeAnimateArgument(a.argc, a.argv, a.i, opt.animate)) {
        if (!taken->empty()) {
            return UsageError(*taken);
        }
        return std::nullopt;
    }
    return ReadOption(a, opt);
}

// The picture's format: --format, else the output file's extension.
PictureFormat OutputFormat(const Options &opt)
{
    return opt.format != PictureFormat::None
               ? opt.format
               : PictureFormatForPath(PathFromBytes(QByteArray::fromStdString(opt.outputPath)));
}

// The options that do not go together, and what --long-side implies.
std::optional<int> CheckOptions(Options &opt)
{
    if (const std::string e = CheckAnimateOptions(
            opt.animate, opt.outputPath, opt.format != PictureFormat::None, opt.dumpSegments);
        !e.empty()) {
        return UsageError(e);
    }
    if (!opt.animate.active && !opt.outputPath.empty() &&
        OutputFormat(opt) == PictureFormat::None) {
        return UsageError("the output file must end in .svg, .png or .pdf (or give --format)");
    }
    if (opt.format != PictureFormat::None && opt.outputPath.empty()) {
        return UsageError("--format needs an output file (-o)");
    }
    if (opt.smooth && !opt.animate.active &&
        (opt.outputPath.empty() || OutputFormat(opt) != PictureFormat::Png)) {
        return UsageError("--smooth goes with a PNG picture (-o FILE.png or --format png)");
    }
    if (const std::string wrong = CheckVariationRequest(opt.variation); !wrong.empty()) {
        return UsageError(wrong);
    }
    if (opt.maxDepth && !opt.autoDepth) {
        return UsageError("--max-depth goes with --depth auto");
    }
    if (opt.longSide) {
        if (opt.sizeGiven) {
            return UsageError("--long-side and --size cannot be used together");
        }
        opt.fit = true;
        opt.width = *opt.longSide;
        opt.height = *opt.longSide;
    }
    if (opt.outputPath.empty() && !opt.dumpSegments && opt.savePath.empty()) {
        std::fputs("ramulet-render: nothing to write: give -o FILE.png (or .svg, .pdf), "
                   "--dump-segments or --save FILE; --help lists every option\n",
                   stderr);
        return 1;
    }
    return std::nullopt;
}

// Reads the arguments into `opt`; a usage error prints its message and gives 1, --help and
// --version print and give 0; nullopt to go on.
std::optional<int> ParseArguments(int argc, char **argv, Options &opt)
{
    for (Arguments a{argc, argv}; a.i < argc; ++a.i) {
        if (const std::optional<int> done = ReadArgument(a, opt)) {
            return done;
        }
    }
    return CheckOptions(opt);
}

// The template to draw, as the window has it once it is opened.
struct Input {
    BranchTable table;
    TemplateSettings settings; // what a file without settings leaves: the defaults
    ViewState view;
};

// The window's loading path: the file's model values (or the default template), with the
// pen index of the file unless --pen-index says, then the variation and the depth auto
// chooses. Exit status 2 when the file is refused or cannot be read.
std::optional<int> LoadInput(Options &opt, Input &in)
{
    in.view.SetViewSize(opt.width, opt.height);
    in.view.ResetView();
    SetDefaultTemplate(in.table, in.view);
    if (!opt.templatePath.empty()) {
        const QString path = PathFromBytes(QByteArray::fromStdString(opt.templatePath));
        LoadResult loaded = ReadTemplateFile(path);
        if (loaded.status == LoadStatus::Refused) {
            std::fprintf(stderr, "ramulet-render: %s: this file cannot be opened: %s\n",
                         opt.templatePath.c_str(), PathToBytes(loaded.message).c_str());
            return 2;
        }
        if (loaded.status == LoadStatus::Unreadable) {
            std::fprintf(stderr, "ramulet-render: %s\n", PathToBytes(loaded.message).c_str());
            return 2;
        }
        in.table = loaded.data.table;
        if (loaded.data.hasSettings) {
            in.settings = loaded.data.settings;
            if (!opt.penIndex) {
                opt.penIndex = PenIndexForSetting(in.settings.PenWidthSetting);
            }
        }
    }
    if (!opt.penIndex) {
        opt.penIndex = 2;
    }
    ApplyVariation(opt.variation, in.table, in.settings, in.view);
    if (opt.autoDepth) {
        opt.depth = DeepestOfferedDepth(in.table, opt.maxDepth.value_or(kAutoDepthLimit));
    }
    return std::nullopt;
}

// The depth buttons stop where the tree no longer fits the store; deeper, the growth would
// stop part way and the picture show only the part grown first.
std::optional<int> CheckDepth(const Options &opt, const BranchTable &table)
{
    if (!DepthUsable(EstimateSegmentCount(table, opt.depth)) && !opt.allowPartial) {
        std::fprintf(stderr,
                     "ramulet-render: depth %d is not offered for this template: its tree may "
                     "not fit the store of %d segments; the deepest depth offered is %d "
                     "(--allow-partial draws what fits)\n",
                     opt.depth, MaxSegIndex + 1, DeepestOfferedDepth(table, MaxDepth));
        return 1;
    }
    return std::nullopt;
}

// --save, before the growth, which re-derives the rows from their pixel points.
std::optional<int> SaveTemplate(const Options &opt, const Input &in)
{
    if (opt.savePath.empty()) {
        return std::nullopt;
    }
    QString error;
    if (!WriteTemplateFile(PathFromBytes(QByteArray::fromStdString(opt.savePath)),
                           FormatTemplate(in.table, in.settings), &error)) {
        std::fprintf(stderr, "ramulet-render: %s\n", PathToBytes(error).c_str());
        return 2;
    }
    return std::nullopt;
}

// The view size for --long-side: the proportions of the grown tree's box (model units, which
// the view maps with one scale for both axes), so that the fitted tree fills the picture with
// the fit's margin on all sides; `longSide` pixels on the longer side, at least a quarter of
// that on the other, so that a tree as thin as a line still gets a picture.
QSize LongSideViewSize(const Tseglines &store, int32_t longSide)
{
    const long double spanX = store.maxX - store.minX;
    const long double spanY = store.maxY - store.minY;
    const int32_t least = std::max(int32_t{1}, longSide / 4);
    auto shortSide = [&](long double shorter, long double longer) {
        const long double side = static_cast<long double>(longSide) * shorter / longer;
        return std::isfinite(side) ? std::clamp(RoundEven(side), least, longSide) : longSide;
    };
    if (spanX > spanY) {
        return {longSide, shortSide(spanY, spanX)};
    }
    if (spanY > spanX) {
        return {shortSide(spanX, spanY), longSide};
    }
    return {longSide, longSide};
}

// The window's way from the template to the tree: the screen points in the default view of
// the size, then the growth (which normalises from them). With --long-side, grown once in a
// square view to learn the tree's proportions, then again, as the window would, in a view of
// those proportions.
void GrowInView(const Options &opt, Input &in, RenderPipeline &pipeline)
{
    in.view = PlaceTemplate(in.table, opt.width, opt.height);
    pipeline.Grow(in.table, opt.depth);
    if (opt.longSide) {
        const QSize size = LongSideViewSize(pipeline.store(), *opt.longSide);
        if (size != QSize(opt.width, opt.height)) {
            in.view = PlaceTemplate(in.table, size.width(), size.height());
            pipeline.Grow(in.table, opt.depth);
        }
    }
}

// False when standard output could not take all of it (a full disk, a closed pipe).
bool DumpSegments(const Tseglines &store)
{
    std::printf("index,start_x,start_y,end_x,end_y,level,width_factor\n");
    for (int32_t i = 0; i <= store.lastIndex; ++i) {
        const TSegLine &s = store.line(i);
        std::printf("%d,%.21Lg,%.21Lg,%.21Lg,%.21Lg,%d,%.21Lg\n", i, s.startPt.x, s.startPt.y,
                    s.endPt.x, s.endPt.y, s.level, s.widthFactor);
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

// The window's render of the grown tree, then the file. PDF output goes through the GUI
// module's font and page machinery, which needs an application object; the offscreen
// platform serves without a display.
int WritePicture(const Options &opt, RenderPipeline &pipeline, const Input &in)
{
    const QString path = PathFromBytes(QByteArray::fromStdString(opt.outputPath));
    const PictureFormat format = OutputFormat(opt);
    std::unique_ptr<QGuiApplication> app;
    if (format == PictureFormat::Pdf && !QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ramulet-render";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    RenderRequest r;
    r.depth = opt.depth;
    r.view = in.view;
    r.settings = DrawSettingsFor(in.settings, opt.penIndex.value_or(2));
    r.fit = opt.fit;
    const auto picture = pipeline.Record(r);
    QString error;
    if (!WriteTreePicture(*picture, path, format, QSize(in.view.viewWidth, in.view.viewHeight),
                          &error, opt.smooth)) {
        std::fprintf(stderr, "ramulet-render: %s\n", PathToBytes(error).c_str());
        return 2;
    }
    return 0;
}

// What the options ask for after the growth: the warning of a cut tree, the segments, then
// the animation or the picture.
int WriteOutputs(const Options &opt, const std::optional<int32_t> &penOption, const Input &in,
                 RenderPipeline &pipeline)
{
    const Tseglines &store = pipeline.store();
    if (store.Full()) {
        std::fprintf(stderr,
                     "ramulet-render: warning: the tree was cut: the store is full at %d "
                     "segments, so depth %d is drawn only in part\n",
                     store.Count(), opt.depth);
    }
    if (opt.dumpSegments && !DumpSegments(store)) {
        std::fprintf(stderr, "ramulet-render: cannot write the segments to standard output\n");
        return 2;
    }
    if (opt.animate.active) {
        return RunAnimate(opt.animate, {in.table, in.settings, in.view, opt.depth, opt.fit,
                                        opt.smooth, *opt.penIndex, penOption, opt.outputPath});
    }
    if (!opt.outputPath.empty()) {
        return WritePicture(opt, pipeline, in);
    }
    return 0;
}

int Run(Options &opt)
{
    const std::optional<int32_t> penOption = opt.penIndex; // before a file fills it in
    Input in;
    if (const std::optional<int> failed = LoadInput(opt, in)) {
        return *failed;
    }
    if (const std::optional<int> refused = CheckDepth(opt, in.table)) {
        return *refused;
    }
    if (const std::optional<int> failed = SaveTemplate(opt, in)) {
        return *failed;
    }
    RenderPipeline pipeline;
    GrowInView(opt, in, pipeline);
    return WriteOutputs(opt, penOption, in, pipeline);
}

} // namespace

int main(int argc, char **argv)
{
    // A write past a file size limit (ulimit -f) then fails with its error, which is reported
    // with exit status 2 and no partial file, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    Options opt;
    if (const std::optional<int> done = ParseArguments(argc, argv, opt)) {
        return *done;
    }
    // The reader's reasons are written in Japanese; this program reports in English.
    QTranslator english;
    if (english.load(QStringLiteral(":/i18n/ramulet_en.qm"))) {
        SetReasonTranslator(&english);
    }
    return Run(opt);
}
