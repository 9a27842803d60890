#pragma once

// ramulet-render's variation options: --variation SEED writes, instead of the template, the
// variation the window's Variations shows for that seed with the same strength and boxes.

#include "core/variation.h"
#include "io/templatefile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace ramulet {

// The options' lines of the usage text.
extern const char *const VariationUsage;

struct VariationRequest {
    std::optional<uint64_t> seed; // --variation; none: no variation
    VariationOptions options;
    bool modifierGiven = false; // --strength or one of the boxes
};

enum class VariationArgument {
    NotOurs, // not a variation option: the caller goes on
    Taken,   // read (with its value, if any)
    Wrong    // a variation option with a wrong or missing value; `error` says why
};

// Reads argv[i] (and its value, moving i past it) when it is a variation option.
VariationArgument ReadVariationArgument(int argc, char **argv, int &i, VariationRequest &request,
                                        std::string &error);

// The arguments as a whole: empty when they go together, otherwise the reason.
std::string CheckVariationRequest(const VariationRequest &request);

// Replaces the loaded template (and its colours) with the requested variation of it. `table`
// has its model values as loaded; `view` is the view its screen points are computed for.
void ApplyVariation(const VariationRequest &request, BranchTable &table,
                    TemplateSettings &settings, const ViewState &view);

} // namespace ramulet
