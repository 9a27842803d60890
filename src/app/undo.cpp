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
    return withFile && *a.fileName != *b.fileName;
}

void MovePixelPoints(BranchTable &t, QSize from, QSize to)
{
    // At the same size the points are those the editor showed, also for rows whose model
    // values a growth has rewritten since (P.x set to 0, another trunk's frame).
    if (to.isEmpty() || from == to) {
        return;
    }
    if (from.isEmpty()) {
        // Points of no frame: only the rows drawn from their values can be placed.
        const ViewState dst = DefaultView(to);
        const int32_t used = std::clamp<int32_t>(t.BranchCount, 0, MaxBranches);
        for (int32_t i = 0; i <= used; ++i) {
            if (!t.Branches[static_cast<size_t>(i)].moved) {
                UpdateScreenPoints(t, i, dst);
            }
        }
        return;
    }
    // What a resize does to the window's own table: a drag is taken into the model in the
    // frame it was made in, then every row is drawn afresh for the new size. So a step put
    // back after a resize shows its rows where the resize would have put them.
    NormalizeMovedRows(t);
    UpdateAllScreenPoints(t, DefaultView(to));
}

TemplateStepCommand::TemplateStepCommand(const QString &text, TemplateState before,
                                         TemplateState after, bool withFile, Restore restore)
    : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
      m_withFile(withFile), m_restore(std::move(restore))
{
}

void TemplateStepCommand::undo() { m_restore(m_before, m_withFile); }

int TemplateStepCommand::id() const
{
    // One id for every mergeable step; mergeWith compares the keys.
    return m_mergeKey < 0 ? -1 : 0x52414D;
}

bool TemplateStepCommand::mergeWith(const QUndoCommand *other)
{
    const auto *step = dynamic_cast<const TemplateStepCommand *>(other);
    if (!step || step->m_mergeKey != m_mergeKey || step->m_withFile != m_withFile) {
        return false;
    }
    m_after = step->m_after;
    // Moved away and back: the joined step changes nothing and leaves the history.
    setObsolete(!StatesDiffer(m_before, m_after, m_withFile));
    return true;
}

void TemplateStepCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_restore(m_after, m_withFile);
}

} // namespace ramulet
