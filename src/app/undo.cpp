#include "app/undo.h"

#include "core/viewstate.h"

#include <algorithm>
#include <utility>

namespace ramulet {

namespace {

bool SameRow(const TBranch &a, const TBranch &b)
{
    return a.screenStart == b.screenStart && a.screenEnd == b.screenEnd && a.P == b.P &&
           a.V == b.V && a.kind == b.kind && a.moved == b.moved;
}

ViewState DefaultView(QSize size)
{
    ViewState v;
    v.SetViewSize(size.width(), size.height());
    v.ResetView();
    return v;
}

} // namespace

bool StatesDiffer(const TemplateState &a, const TemplateState &b, bool withFile)
{
    if (a.table.BranchCount != b.table.BranchCount) {
        return true;
    }
    // Rows above the count are not in use; what they hold does not matter.
    const int32_t used = std::clamp<int32_t>(a.table.BranchCount, 0, MaxBranches);
    for (int32_t i = 0; i <= used; ++i) {
        const auto row = static_cast<size_t>(i);
        if (!SameRow(a.table.Branches[row], b.table.Branches[row])) {
            return true;
        }
    }
    if (a.settings.BackColor != b.settings.BackColor ||
        a.settings.TipColor != b.settings.TipColor ||
        a.settings.TrunkColor != b.settings.TrunkColor || a.penIndex != b.penIndex) {
        return true;
    }
    return withFile && a.fileName != b.fileName;
}

void MovePixelPoints(BranchTable &t, QSize from, QSize to)
{
    if (to.isEmpty()) {
        return;
    }
    const bool carry = from != to && !from.isEmpty();
    const ViewState src = DefaultView(carry ? from : to);
    const ViewState dst = DefaultView(to);
    const int32_t used = std::clamp<int32_t>(t.BranchCount, 0, MaxBranches);
    for (int32_t i = 0; i <= used; ++i) {
        TBranch &r = t.Branches[static_cast<size_t>(i)];
        if (!r.moved) {
            UpdateScreenPoints(t, i, dst);
        } else if (carry) {
            r.screenStart = dst.ModelToScreen(src.ScreenToModel(r.screenStart));
            r.screenEnd = dst.ModelToScreen(src.ScreenToModel(r.screenEnd));
        }
    }
}

TemplateStepCommand::TemplateStepCommand(const QString &text, TemplateState before,
                                         TemplateState after, bool withFile, Restore restore)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
      m_withFile(withFile), m_restore(std::move(restore))
{
}

void TemplateStepCommand::undo() { m_restore(m_before, m_withFile); }

void TemplateStepCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_restore(m_after, m_withFile);
}

} // namespace ramulet
