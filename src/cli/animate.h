#pragma once

// ramulet-render --animate: the tree growing, swaying or turning into another template,
// written as an animated GIF, WebP or PNG (APNG), a folder of PNG frames, or MP4/WebM.

#include "anim/frames.h"
#include "core/branches.h"
#include "core/viewstate.h"
#include "io/templatefile.h"

#include <optional>
#include <string>
#include <string_view>

namespace ramulet {

struct AnimateOptions {
    bool active = false; // --animate given
    AnimationKind kind = AnimationKind::Grow;
    std::string otherPath; // the template a morph ends with
    double seconds = 4.0;
    int32_t fps = 30;
    bool loop = false;
    bool timingGiven = false; // --seconds, --fps or --loop given
};

// The lines of the usage text for the animation's options.
extern const char *const kAnimateUsage;

// Takes argv[i] (and its value, advancing i) when it is one of the animation's options.
// Returns nullopt when it is not; otherwise an empty string when taken, or the usage error.
std::optional<std::string> TakeAnimateArgument(int argc, char **argv, int &i, AnimateOptions &opt);

// The usage error of options that do not go together with an animation, or an empty string.
std::string CheckAnimateOptions(const AnimateOptions &opt, const std::string &outputPath,
                                bool formatGiven, bool dumpSegments);

// What the still picture would be drawn from, for the animation of it.
struct AnimateInput {
    const BranchTable &table; // with its pixel points for `view`
    const TemplateSettings &settings;
    const ViewState &view;
    int32_t depth;
    bool fit;
    bool smooth;
    int32_t penIndex;
    std::optional<int32_t> penIndexOption; // --pen-index, which also holds for a morph's end
    std::string outputPath;
};

// Writes the animation; the exit status (0, or 2 with a message on standard error).
int RunAnimate(const AnimateOptions &opt, const AnimateInput &in);

} // namespace ramulet
