#pragma once

// The editor pane: Img1's painting (the template's arrows, circles and labels, the hover
// highlights, the live tree under them), its cursors, the merging of repaints while the live
// tree is drawn, the drags as undoable steps and the depth buttons' availability.

#include "core/viewstate.h"
#include "editor/editorcontroller.h"
#include "editor/livetree.h"

#include <QCursor>
#include <QObject>

#include <array>
#include <cstdint>
#include <map>
#include <memory>

class QPainter;
class QToolButton;
class QWidget;

namespace ramulet {

class PictureView;
class TemplateDocument;
class WindowActions;
class WindowState;

class EditorPane : public QObject {
    Q_OBJECT
public:
    // `view` is the window's view state (the editor draws in its default view); `form`
    // gives the text colour; `cursors` are the window's cursors by identifier.
    EditorPane(TemplateDocument &doc, WindowState &state, const ViewState &view, PictureView *img1,
               QWidget *form, const std::map<int, QCursor> &cursors);
    ~EditorPane() override;

    EditorController &controller() { return m_editor; }
    const LiveTree &liveTree() const { return *m_liveTree; }
    // The buttons whose availability follows the template: [n] is depth button n.
    void setDepthButtons(const std::array<QToolButton *, 17> &buttons) { m_depthButtons = buttons; }
    // Shown above the editor's image after every repaint.
    void setAddButton(QWidget *button) { m_addButton = button; }

    // Repaints the whole editor (DrawEditor) and the depth buttons' availability.
    void Draw();
    void HighlightPoint(int32_t row);
    void HighlightBranch(int32_t row);
    void ApplyCursor();
    // Repaints when the live tree it shows is out of date (settings, depth).
    void Refresh();
    // The live tree's look follows the smooth setting.
    void SmoothChanged();

    // A move; with `snap` (Shift held) a drag snaps its angle and length.
    void MouseMove(int x, int y, bool snap);
    // Press to release is one undoable step; a press that ends a drag ends its step.
    void MouseDown(MouseButton button, int x, int y);
    void MouseUp();
    // The hover state after the rows it named are gone or elsewhere.
    void ForgetHover();
    // A reset: no branch is selected any more.
    void ForgetSelection() { m_editor.SelectedIndex = -1; }
    // The editor's default view, in which it always works.
    ViewState EditorView() const;

    // The selected branch (the one last hovered or chosen in the values window) and the
    // keys on it, each a step of its own; the nudges of one branch in a row are one step.
    // Nothing in view mode, while a view holds the mouse or without a selection.
    bool CanEditSelection() const;
    void SelectBranch(int row);
    void NudgeSelected(int right, int up);
    void DeleteSelected();
    // Escape during a drag: the row goes back to where the press found it.
    void CancelDrag();

    // The kind menu's and the add button's edits, each one undoable step.
    void SetHoveredKind(int tag);
    void DeleteHovered();
    void AddBranch();
    // Add a branch (while the add button is offered) and Escape's cancel of a drag into
    // `actions`.
    void AddActions(WindowActions &actions);

signals:
    // The template on show may have changed: after a repaint, a drag step or the end of a
    // drag (the values window follows).
    void shown();
    // The hover has selected another branch.
    void selected(int row);

private:
    void Paint(QImage &img, const ViewState &editorView);
    // A mark painted over the editor's image until its next repaint.
    void Highlight(void (*paint)(QPainter &, const BranchTable &, int32_t), int32_t row);
    void ShowStep(const EditorRepaint &r);
    // A hover or drag step's repaint while the live tree is shown: the step is already made;
    // its repaint, and that of every step made before it runs, is done once, on the next
    // turn of the event loop.
    void ScheduleRepaint(const EditorRepaint &r);
    // The selection marked after a key moved it; the hover found again on the next move.
    void MarkSelection();

    TemplateDocument &m_doc;
    WindowState &m_state;
    const ViewState &m_view;
    PictureView *m_img1;
    QWidget *m_form;
    const std::map<int, QCursor> &m_cursors;
    EditorController m_editor;
    std::unique_ptr<LiveTree> m_liveTree;
    std::array<QToolButton *, 17> m_depthButtons{};
    QWidget *m_addButton = nullptr;
    EditorRepaint m_pendingRepaint;
    bool m_repaintPosted = false;
    int64_t m_paints = 0;        // editor repaints so far
    int64_t m_pendingPaints = 0; // the count when the pending repaint was asked for
};

} // namespace ramulet
