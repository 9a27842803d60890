#pragma once

// Undo and redo of template edits. Every edit is recorded after the fact as two snapshots,
// the state before and after it; undoing and redoing put one of them back in place.

#include "core/branches.h"
#include "view/picture.h"

#include <QSize>
#include <QString>
#include <QUndoCommand>

#include <functional>
#include <memory>

namespace ramulet {

// The file name of a run of states: the states between two steps that change the name (load,
// reset) share one, so a save renames them all at once and an undo or redo across the save
// shows the name the template was saved under.
using SharedName = std::shared_ptr<QString>;

// Everything a template edit can change. The rows' pixel points are editor pixels of the
// default view of a view of `viewSize` (the editor always works in the default view).
struct TemplateState {
    BranchTable table;
    DrawSettings settings;
    int penIndex = 2;  // index of the pen-width list
    SharedName fileName = std::make_shared<QString>(); // put back by load and reset steps
    QSize viewSize;
};

// Whether `b` differs from `a` in what the user edits: the rows in use (pixel points, model
// values, kinds), the branch count, the three colours, the pen-width list and, with
// `withFile`, the file name. The stored pen width alone is no difference: every render
// derives it again from the list.
bool StatesDiffer(const TemplateState &a, const TemplateState &b, bool withFile);

// Puts the pixel points of the rows in use, made in the default view of a view of size
// `from`, into the default view of a view of size `to`, as a resize from `from` to `to`
// would: moved rows are first taken into their model values (NormalizeMovedRows, in the
// frame of their pixel points), then every row is drawn from its model values. Nothing
// happens when the sizes are equal (the points are the editor's as they were shown) or `to`
// has no area; when `from` has none, only the rows not moved are drawn afresh.
void MovePixelPoints(BranchTable &t, QSize from, QSize to);

// One undoable step between two states. It is pushed after the edit has been made, so its
// first redo() (run by QUndoStack::push) does nothing.
class TemplateStepCommand : public QUndoCommand {
public:
    using Restore = std::function<void(const TemplateState &state, bool withFile)>;

    TemplateStepCommand(const QString &text, TemplateState before, TemplateState after,
                        bool withFile, Restore restore);

    void undo() override;
    void redo() override;

    // Steps with the same merge key that follow each other (the nudges of one branch) join
    // into one: the first's state before, the last's after. -1, the default, never merges.
    void setMergeKey(int key) { m_mergeKey = key; }
    int id() const override;
    bool mergeWith(const QUndoCommand *other) override;

    const TemplateState &before() const { return m_before; }
    const TemplateState &after() const { return m_after; }
    bool withFile() const { return m_withFile; }

private:
    TemplateState m_before;
    TemplateState m_after;
    bool m_withFile;
    bool m_pushed = false; // set by the first redo(), which finds the edit already made
    int m_mergeKey = -1;
    Restore m_restore;
};

} // namespace ramulet
