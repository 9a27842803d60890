// ramulet-render: grows a template headlessly and writes what the window would show.

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "io/templatefile.h"
#include "view/picture.h"

#include <QGuiApplication>
#include <QString>

#include <cerrno>
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
    "  --depth N            nesting depth 1..16 (default 1)\n"
    "  --size WxH           tree view size in pixels (default 636x634)\n"
    "  --pen-index N        pen-width list index 0..10 (default: from the file's pen\n"
    "                       width setting, else 2)\n"
    "  --fit                automatic fit on (as the check box of the window)\n"
    "  --dump-segments      write the grown segments to standard output as CSV\n"
    "  -o, --output FILE    write the tree picture; format by extension: .svg\n"
    "                       (8000 x PictureHeight units), .png (the view's size), .pdf\n"
    "  --save FILE          write the template as loaded, in the .rm2 format\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n";

struct Options {
    int32_t depth = 1;
    int32_t width = 636;
    int32_t height = 634;
    bool dumpSegments = false;
    std::string templatePath; // empty: the default template
    std::string savePath;     // --save
    // --pen-index; when it is not given, loading fills in the file's choice.
    std::optional<int32_t> penIndex;
    bool fit = false;         // --fit
    std::string outputPath;   // -o: the tree picture
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
    std::fprintf(stderr, "ramulet-render: %s\n\n%s", message.c_str(), kUsage);
    return 1;
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

// The window's render: ramp, recorded picture, then the file. PDF output goes through the
// GUI module's font and page machinery, which needs an application object; the offscreen
// platform serves without a display.
int WritePicture(const Options &opt, const Tseglines &store, const ViewState &view,
                 const TemplateSettings &file)
{
    const QString path = QString::fromLocal8Bit(opt.outputPath.c_str());
    std::unique_ptr<QGuiApplication> app;
    if (PictureFormatForPath(path) == PictureFormat::Pdf && !QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ramulet-render";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    DrawSettings s;
    s.BackColor = static_cast<TColor>(file.BackColor);
    s.TipColor = static_cast<TColor>(file.TipColor);
    s.TrunkColor = static_cast<TColor>(file.TrunkColor);
    s.PenWidthSetting = opt.penIndex.value_or(2) * 20;
    ColorRampTable ramp{};
    BuildColorRamp(ramp, s, opt.depth);
    const auto picture = RecordTreePicture(store, view, s, ramp, opt.fit);
    QString error;
    if (!WriteTreePicture(*picture, path, QSize(opt.width, opt.height), &error)) {
        std::fprintf(stderr, "ramulet-render: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view name) -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                UsageError(std::string(name) + " needs a value");
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("ramulet-render (Ramulet 2.3)");
            return 0;
        }
        if (arg == "--depth") {
            const auto v = value(arg);
            if (!v) {
                return 1;
            }
            if (!ParseInt(*v, 1, MaxDepth, opt.depth)) {
                return UsageError("--depth takes a whole number from 1 to 16");
            }
        } else if (arg == "--size") {
            const auto v = value(arg);
            if (!v) {
                return 1;
            }
            const size_t x = v->find('x');
            if (x == std::string_view::npos ||
                !ParseInt(v->substr(0, x), 1, 100000, opt.width) ||
                !ParseInt(v->substr(x + 1), 1, 100000, opt.height)) {
                return UsageError("--size takes WIDTHxHEIGHT in pixels, each 1..100000");
            }
        } else if (arg == "--dump-segments") {
            opt.dumpSegments = true;
        } else if (arg == "--pen-index") {
            const auto v = value(arg);
            if (!v) {
                return 1;
            }
            int32_t index = 0;
            if (!ParseInt(*v, 0, 10, index)) {
                return UsageError("--pen-index takes a whole number from 0 to 10");
            }
            opt.penIndex = index;
        } else if (arg == "--fit") {
            opt.fit = true;
        } else if (arg == "-o" || arg == "--output") {
            const auto v = value(arg);
            if (!v) {
                return 1;
            }
            opt.outputPath = std::string(*v);
            if (PictureFormatForPath(QString::fromLocal8Bit(opt.outputPath.c_str())) ==
                PictureFormat::None) {
                return UsageError("the output file must end in .svg, .png or .pdf");
            }
        } else if (arg == "--save") {
            const auto v = value(arg);
            if (!v) {
                return 1;
            }
            opt.savePath = std::string(*v);
        } else if (!arg.empty() && arg[0] != '-' && opt.templatePath.empty()) {
            opt.templatePath = std::string(arg);
        } else {
            return UsageError("unknown argument '" + std::string(arg) + "'");
        }
    }

    // The window's loading path: the file's model values (or the default template), then
    // the screen points for this view size in the default view, then the growth.
    BranchTable table;
    TemplateSettings settings; // what a file without settings leaves: the defaults
    ViewState view;
    view.SetViewSize(opt.width, opt.height);
    view.ResetView();
    SetDefaultTemplate(table, view);
    if (!opt.templatePath.empty()) {
        const QString path = QString::fromLocal8Bit(opt.templatePath.c_str());
        LoadResult loaded = ReadTemplateFile(path);
        if (loaded.status == LoadStatus::Refused) {
            std::fprintf(stderr, "ramulet-render: %s: this file cannot be opened: %s\n",
                         opt.templatePath.c_str(), loaded.message.toLocal8Bit().constData());
            return 2;
        }
        if (loaded.status == LoadStatus::Unreadable) {
            std::fprintf(stderr, "ramulet-render: %s\n", loaded.message.toLocal8Bit().constData());
            return 2;
        }
        table = loaded.data.table;
        if (loaded.data.hasSettings) {
            settings = loaded.data.settings;
            if (!opt.penIndex) {
                opt.penIndex = PenIndexForSetting(settings.PenWidthSetting);
            }
        }
        UpdateAllScreenPoints(table, view);
    }
    if (!opt.penIndex) {
        opt.penIndex = 2;
    }

    // Saved before the growth, which re-derives the rows from their pixel points.
    if (!opt.savePath.empty()) {
        QString error;
        if (!WriteTemplateFile(QString::fromLocal8Bit(opt.savePath.c_str()),
                               FormatTemplate(table, settings), &error)) {
            std::fprintf(stderr, "ramulet-render: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
    }

    Tseglines store;
    GrowTree(table, store, opt.depth);

    if (opt.dumpSegments && !DumpSegments(store)) {
        std::fprintf(stderr, "ramulet-render: cannot write the segments to standard output\n");
        return 2;
    }
    if (!opt.outputPath.empty()) {
        return WritePicture(opt, store, view, settings);
    }
    return 0;
}
