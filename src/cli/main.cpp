// ramulet-render: grows a template headlessly and writes what the window would show.

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    "  --dump-segments      write the grown segments to standard output as CSV\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n";

struct Options {
    int32_t depth = 1;
    int32_t width = 636;
    int32_t height = 634;
    bool dumpSegments = false;
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

void DumpSegments(const Tseglines &store)
{
    std::printf("index,start_x,start_y,end_x,end_y,level,width_factor\n");
    for (int32_t i = 0; i <= store.lastIndex; ++i) {
        const TSegLine &s = store.line(i);
        std::printf("%d,%.21Lg,%.21Lg,%.21Lg,%.21Lg,%d,%.21Lg\n", i, s.startPt.x, s.startPt.y,
                    s.endPt.x, s.endPt.y, s.level, s.widthFactor);
    }
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
        } else {
            return UsageError("unknown argument '" + std::string(arg) + "'");
        }
    }

    BranchTable table;
    ViewState view;
    view.SetViewSize(opt.width, opt.height);
    view.ResetView();
    SetDefaultTemplate(table, view);

    Tseglines store;
    GrowTree(table, store, opt.depth);

    if (opt.dumpSegments) {
        DumpSegments(store);
    }
    return 0;
}
