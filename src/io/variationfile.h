#pragma once

// Variations of a template as the window and ramulet-render both make them: the parent taken
// as a file holds it, so that a template saved and opened again gives the same variations.

#include "core/variation.h"
#include "io/templatefile.h"

namespace ramulet {

// The parent of variations: rows 0..BranchCount of a table whose model values are up to date
// (normalised), rounded to the file's digits, with the file's colours.
VariationTemplate VariationParent(const BranchTable &normalised, const TemplateSettings &s);

// The settings that go with a variation: the parent's, with the variation's colours.
TemplateSettings VariationSettings(const VariationTemplate &v, const TemplateSettings &parent);

} // namespace ramulet
