#include "cli/variationargs.h"

#include "io/variationfile.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace ramulet {

const char *const VariationUsage =
    "  --variation SEED     write the variation of the template for SEED (0..2^64-1, the\n"
    "                       number in a neighbour's tool tip in the window's Variations)\n"
    "                       instead of the template itself\n"
    "  --strength N         how far a variation goes, 1 (subtle) to 10 (wild); default 5\n"
    "  --keep-symmetry      branches that mirror each other stay mirrored\n"
    "  --keep-count         no branch is added or removed\n"
    "  --colors             the tip and trunk colours change too\n";

namespace {

std::optional<uint64_t> ParseSeed(std::string_view text)
{
    if (text.empty() || text.size() > 20 ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string s(text);
    errno = 0;
    char *end = nullptr;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return static_cast<uint64_t>(v);
}

} // namespace

VariationArgument ReadVariationArgument(int argc, char **argv, int &i, VariationRequest &request,
                                        std::string &error)
{
    const std::string_view arg = argv[i];
    const bool hasValue = arg == "--variation" || arg == "--strength";
    if (hasValue && i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return VariationArgument::Wrong;
    }
    if (arg == "--variation") {
        request.seed = ParseSeed(argv[++i]);
        if (!request.seed) {
            error = "--variation takes a whole number from 0 to 18446744073709551615";
            return VariationArgument::Wrong;
        }
    } else if (arg == "--strength") {
        const std::string_view v = argv[++i];
        if (v.size() > 2 || v.empty() || v.find_first_not_of("0123456789") != v.npos ||
            std::atoi(std::string(v).c_str()) < VariationMinStrength ||
            std::atoi(std::string(v).c_str()) > VariationMaxStrength) {
            error = "--strength takes a whole number from 1 to 10";
            return VariationArgument::Wrong;
        }
        request.options.strength = std::atoi(std::string(v).c_str());
    } else if (arg == "--keep-symmetry") {
        request.options.keepSymmetry = true;
    } else if (arg == "--keep-count") {
        request.options.keepCount = true;
    } else if (arg == "--colors") {
        request.options.colors = true;
    } else {
        return VariationArgument::NotOurs;
    }
    request.modifierGiven = request.modifierGiven || arg != "--variation";
    return VariationArgument::Taken;
}

std::string CheckVariationRequest(const VariationRequest &request)
{
    if (request.modifierGiven && !request.seed) {
        return "--strength, --keep-symmetry, --keep-count and --colors go with --variation";
    }
    return {};
}

void ApplyVariation(const VariationRequest &request, BranchTable &table,
                    TemplateSettings &settings, const ViewState &view)
{
    if (!request.seed) {
        return;
    }
    // The window varies the template it shows, normalised, as a file would hold it.
    UpdateAllScreenPoints(table, view);
    NormalizeTemplate(table);
    const VariationTemplate v =
        MakeVariation(VariationParent(table, settings), *request.seed, request.options);
    table = v.table;
    settings = VariationSettings(v, settings);
}

} // namespace ramulet
