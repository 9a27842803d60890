#include "app/editorpane.h"

#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/pictureview.h"
#include "app/windowstate.h"
#include "core/segments.h"
#include "editor/editordraw.h"

#include <QPainter>
#include <QTimer>
#include <QToolButton>

namespace ramulet {

namespace {

// Cursor identifiers of the editor (the window's cursor table).
constexpr int CursorPoint = 2; // over a branch end point
constexpr int CursorLine = 13; // over a branch line

} // namespace

EditorPane::EditorPane(TemplateDocument &doc, WindowState &state, const ViewState &view,
                       PictureView *img1, QWidget *form, const std::map<int, QCursor> &cursors)
    : QObject(form), m_doc(doc), m_state(state), m_view(view), m_img1(img1), m_form(form),
      m_cursors(cursors), m_editor(doc.table(), state.mouseHeldFlag()),
      m_liveTree(std::make_unique<LiveTree>())
{
}

EditorPane::~EditorPane() = default;

ViewState EditorPane::EditorView() const
{
    // Always the default view, also when it is repainted hidden behind a zoomed tree.
    ViewState v = m_view;
    v.ResetView();
    return v;
}

void EditorPane::Draw()
{
    const std::array<bool, 16> usable = UpdateDepthButtons(m_doc.table());
    for (int n = 1; n <= MaxDepth; ++n) {
        if (QToolButton *b = m_depthButtons[static_cast<size_t>(n)]) {
            b->setEnabled(usable[static_cast<size_t>(n - 1)]);
        }
    }
    QImage &img = m_img1->image();
    if (!img.isNull()) {
        Paint(img, EditorView());
    }
    m_editor.HighlightShown = false;
    if (m_addButton) {
        m_addButton->raise();
    }
    m_img1->update();
    // Every change of the template is followed by a repaint of the editor.
    emit shown();
}

void EditorPane::Paint(QImage &img, const ViewState &editorView)
{
    ++m_paints;
    const QColor textColor = m_form->palette().color(QPalette::WindowText);
    QPainter p(&img);
    if (!m_state.liveTree()) {
        PaintEditor(p, img.size(), m_doc.table(), editorView, textColor);
        return;
    }
    m_liveTree->Update(m_doc.table(), LiveTree::ShownDepth(m_doc.table(), m_state.depth()),
                       editorView, m_doc.renderSettings());
    PaintEditor(p, img.size(), m_doc.table(), editorView, textColor,
                [this](QPainter &painter) { m_liveTree->Draw(painter); });
}

void EditorPane::HighlightPoint(int32_t row) { Highlight(PaintHighlightPoint, row); }

void EditorPane::HighlightBranch(int32_t row) { Highlight(PaintHighlightBranch, row); }

void EditorPane::Highlight(void (*paint)(QPainter &, const BranchTable &, int32_t), int32_t row)
{
    QImage &img = m_img1->image();
    if (!img.isNull()) {
        QPainter p(&img);
        paint(p, m_doc.table(), row);
    }
    m_editor.HighlightShown = true;
    m_img1->update();
}

void EditorPane::ApplyCursor()
{
    const auto cursor = [this](int id) {
        const auto it = m_cursors.find(id);
        return it != m_cursors.end() ? it->second : QCursor(Qt::ArrowCursor);
    };
    switch (m_editor.cursor()) {
    case EditorCursor::Point:
        m_img1->setCursor(cursor(CursorPoint));
        break;
    case EditorCursor::Line:
        m_img1->setCursor(cursor(CursorLine));
        break;
    case EditorCursor::Arrow:
        m_img1->setCursor(Qt::ArrowCursor);
        break;
    }
}

void EditorPane::Refresh()
{
    // The hidden editor waits until it is shown again.
    if (!m_state.liveTree() || !m_state.editMode() || m_img1->image().isNull()) {
        return;
    }
    if (m_liveTree->Changed(m_doc.table(), LiveTree::ShownDepth(m_doc.table(), m_state.depth()),
                            EditorView(), m_doc.renderSettings())) {
        Draw();
    }
}

void EditorPane::SmoothChanged()
{
    m_liveTree->SetSmooth(m_state.smooth());
    if (m_state.liveTree() && m_state.editMode()) {
        Draw();
    }
}

void EditorPane::ShowStep(const EditorRepaint &r)
{
    Draw();
    if (r.highlight == HighlightKind::Point) {
        HighlightPoint(r.row);
    } else if (r.highlight == HighlightKind::Branch) {
        HighlightBranch(r.row);
    }
}

void EditorPane::MouseMove(int x, int y, bool snap)
{
    // Shift during a drag snaps it; without Shift the move is as it always was.
    const int32_t selected = m_editor.SelectedIndex;
    const EditorRepaint r = m_editor.mouseMove(x, y, snap, EditorView());
    ApplyCursor();
    if (m_editor.SelectedIndex != selected && m_editor.hasSelection()) {
        emit this->selected(m_editor.SelectedIndex);
    }
    if (r.repaint && m_state.mouseHeld()) {
        emit shown(); // at once, also when the live tree's repaint comes later
    }
    if (!r.repaint) {
        return;
    }
    if (m_state.liveTree()) {
        ScheduleRepaint(r); // moves that come while it is drawn join it
        return;
    }
    ShowStep(r);
}

void EditorPane::ScheduleRepaint(const EditorRepaint &r)
{
    m_pendingRepaint = r;
    m_pendingPaints = m_paints;
    // The mark is as good as shown: a move away from it asks for the repaint that erases it.
    m_editor.HighlightShown = r.highlight != HighlightKind::None;
    if (m_repaintPosted) {
        return;
    }
    m_repaintPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_repaintPosted = false;
        // A repaint since the step (a command) has shown it already, and its mark may name a
        // row that is gone.
        if (m_paints == m_pendingPaints) {
            ShowStep(m_pendingRepaint);
        }
    });
}

void EditorPane::MouseDown(MouseButton button, int x, int y)
{
    if (m_doc.dragOpen()) {
        // Another button pressed during a drag ends its step; a row back in place has its
        // exact values again.
        m_doc.endDrag();
        emit shown();
    }
    if (button == MouseButton::Left) {
        m_doc.beginDrag(m_editor.PointIndex != -1
                            ? WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "点の移動"))
                            : WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の平行移動")));
    }
    m_editor.mouseDown(button, x, y);
}

void EditorPane::MouseUp()
{
    m_editor.mouseUp();
    m_doc.endDrag();
    // A row back in place has its exact values again.
    emit shown();
}

bool EditorPane::CanEditSelection() const
{
    return m_state.editMode() && !m_state.mouseHeld() && !m_doc.dragOpen() &&
           m_editor.hasSelection();
}

void EditorPane::MarkSelection()
{
    // The hover state would name a row that has moved from under the mouse; the next move
    // finds what is under it again.
    ForgetHover();
    Draw();
    HighlightBranch(m_editor.SelectedIndex);
}

void EditorPane::SelectBranch(int row)
{
    if (row < 1 || row > m_doc.table().BranchCount) {
        return;
    }
    m_editor.SelectedIndex = row;
    if (m_state.editMode() && !m_state.mouseHeld()) {
        MarkSelection();
    }
}

void EditorPane::NudgeSelected(int right, int up)
{
    if (!CanEditSelection()) {
        return;
    }
    {
        const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "点の移動")),
                            false, m_editor.SelectedIndex);
        m_editor.nudgeSelected(right, up, EditorView());
    }
    MarkSelection();
}

void EditorPane::DeleteSelected()
{
    if (!CanEditSelection()) {
        return;
    }
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の削除")));
    m_editor.deleteSelected();
    ApplyCursor();
    Draw();
}

void EditorPane::CancelDrag()
{
    if (!m_state.editMode() || !m_editor.cancelDrag()) {
        return;
    }
    // The row is as it was at the press: the drag's step finds nothing to record.
    m_doc.endDrag();
    Draw();
}

void EditorPane::ForgetHover()
{
    m_editor.clearHover();
    ApplyCursor();
}

void EditorPane::SetHoveredKind(int tag)
{
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "属性変更")));
    m_editor.setKindByTag(tag);
    Draw();
}

void EditorPane::DeleteHovered()
{
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の削除")));
    m_editor.deleteHovered();
    ApplyCursor();
    Draw();
}

void EditorPane::AddBranch()
{
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の追加")));
    m_editor.addBranch(m_view);
    Draw();
}

void EditorPane::AddActions(WindowActions &actions)
{
    actions.add({.name = "actAddBranch",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の追加(&B)"),
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートに枝を 1 本加える"),
                 .menu = ActionMenu::Edit,
                 .group = 2,
                 .target = [this] { AddBranch(); },
                 .enabled = [this] {
                     return m_addButton && !m_addButton->isHidden() &&
                            m_doc.table().BranchCount < MaxBranches;
                 }});
    // During a drag, which holds the mouse.
    actions.add({.name = "actCancelDrag",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "ドラッグの取り消し"),
                 .keys = {QKeySequence(Qt::Key_Escape)},
                 .target = [this] { CancelDrag(); },
                 .whileHeld = true});
}

} // namespace ramulet
