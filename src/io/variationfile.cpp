#include "io/variationfile.h"

namespace ramulet {

VariationTemplate VariationParent(const BranchTable &normalised, const TemplateSettings &s)
{
    VariationTemplate parent;
    parent.colors = {static_cast<uint32_t>(s.TipColor), static_cast<uint32_t>(s.TrunkColor)};
    const LoadResult read = ParseTemplate(FormatTemplate(normalised, s));
    // Every table the window or a file holds reads back; the table itself is the fallback.
    parent.table = read.status == LoadStatus::Accepted ? read.data.table : normalised;
    parent.table.Branches[0].ratio = 1.0L;
    return parent;
}

TemplateSettings VariationSettings(const VariationTemplate &v, const TemplateSettings &parent)
{
    TemplateSettings s = parent;
    s.TipColor = static_cast<int32_t>(v.colors.tip);
    s.TrunkColor = static_cast<int32_t>(v.colors.trunk);
    return s;
}

} // namespace ramulet
