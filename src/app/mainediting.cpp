// The main window's precise editing and navigation: the branch values window and its
// side-bar button, the editor's keys on the selected branch, and the tree view's wheel, pan
// and default view. The logic is in the core (values, snapping, navigation arithmetic), the
// editor controller and the values window; this wires them to the window.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/branchvalueswindow.h"
#include "app/pictureview.h"
#include "core/branchvalues.h"
#include "core/segments.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QKeySequence>
#include <QToolButton>

namespace ramulet {

namespace {

// The nudges of the arrow keys, in hundredths of a trunk length.
struct NudgeKey {
    QKeyCombination key;
    int right;
    int up;
};
constexpr NudgeKey NudgeKeys[] = {
    {Qt::Key_Left, -1, 0},           {Qt::Key_Right, 1, 0},
    {Qt::Key_Up, 0, 1},              {Qt::Key_Down, 0, -1},
    {Qt::SHIFT | Qt::Key_Left, -10, 0}, {Qt::SHIFT | Qt::Key_Right, 10, 0},
    {Qt::SHIFT | Qt::Key_Up, 0, 10},    {Qt::SHIFT | Qt::Key_Down, 0, -10},
};

} // namespace

void TMainform::BuildEditing()
{
    // A flat text button like the gallery's, right of it, in a smaller size of its font so
    // that its text fits the strip.
    SBValues = new QToolButton(Panel4);
    SBValues->setObjectName(QStringLiteral("SBValues"));
    SBValues->setGeometry(ValuesButtonRect);
    SBValues->setAutoRaise(true);
    SBValues->setFocusPolicy(Qt::NoFocus);
    QFont font = SBInit->font();
    font.setPixelSize(13);
    SBValues->setFont(font);
    SBValues->setText(tr("枝の値"));
    SBValues->setStatusTip(tr("枝の値を数値で編集 (Ctrl+T)"));
    SBValues->raise();
    connect(SBValues, &QToolButton::clicked, this, &TMainform::SBValuesClick);

    m_values = new BranchValuesWindow(m_table, this);
    connect(m_values, &BranchValuesWindow::valuesEdited, this, &TMainform::ApplyRowValues);
    connect(m_values, &BranchValuesWindow::kindEdited, this, &TMainform::ApplyRowKind);
    connect(m_values, &BranchValuesWindow::rowChosen, this, &TMainform::SelectBranch);
    connect(CImg, &PictureView::wheelTurned, this, &TMainform::CImgMouseWheel);
    connect(CImg, &PictureView::doubleClicked, this, &TMainform::CImgDblClick);

    auto add = [this](const char *name, QKeySequence key, auto slot) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
    };
    add("actBranchValues", QKeySequence(Qt::CTRL | Qt::Key_T), &TMainform::SBValuesClick);
    add("actCancelDrag", QKeySequence(Qt::Key_Escape), &TMainform::CancelDrag);
    // The arrows, Delete and Home are taken only when they have something to do (see
    // eventFilter): otherwise they stay with the side bar's controls as before.
    qApp->installEventFilter(this);
}

bool TMainform::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, e);
    }
    auto *target = qobject_cast<QWidget *>(watched);
    // Keys for this window, not for a list or a text field that uses them itself.
    if (!target || target->window() != this || qobject_cast<QComboBox *>(target) ||
        qobject_cast<QAbstractSpinBox *>(target) || qobject_cast<QLineEdit *>(target)) {
        return QMainWindow::eventFilter(watched, e);
    }
    const auto *key = static_cast<QKeyEvent *>(e);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && key->key() == Qt::Key_Home && !editMode() && !m_mouseIsDown) {
        DefaultView();
        return true;
    }
    const bool editing =
        editMode() && !m_mouseIsDown && !m_dragBefore && m_editor.hasSelection();
    if (!editing || (mods != Qt::NoModifier && mods != Qt::ShiftModifier)) {
        return QMainWindow::eventFilter(watched, e);
    }
    if (key->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
        DeleteSelected();
        return true;
    }
    for (const NudgeKey &n : NudgeKeys) {
        if (QKeyCombination(mods, Qt::Key(key->key())) == n.key) {
            NudgeSelected(n.right, n.up);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}


ViewState TMainform::EditorDefaultView() const
{
    // The editor always works in the default view, also while the tree view is zoomed.
    ViewState v = m_view;
    v.ResetView();
    return v;
}

void TMainform::SBValuesClick() { m_values->open(); }

void TMainform::ShowEditedTemplate()
{
    DrawEditor();
    if (editMode()) {
        return;
    }
    if (!DepthUsable(EstimateSegmentCount(m_table, m_depth))) {
        // Too large for the depth on show, whose button is no longer offered: back to the
        // editor, as after an undo.
        SBEdit->setChecked(true);
        SBEditClick();
        return;
    }
    GenerateTree();
}

void TMainform::ApplyRowValues(int row, const RowValues &values)
{
    // Not in the middle of a drag, whose step is open; the cells show the template again.
    if (m_mouseIsDown || m_dragBefore || row < 1 || row > m_table.BranchCount) {
        m_values->refresh();
        return;
    }
    const TemplateState before = CaptureTemplateState();
    SetRowValues(m_table, row, values.position, values.V, EditorDefaultView());
    RecordStep(tr("枝の値"), before);
    ShowEditedTemplate();
}

void TMainform::ApplyRowKind(int row, int kind)
{
    if (m_mouseIsDown || m_dragBefore || row < 1 || row > m_table.BranchCount) {
        m_values->refresh();
        return;
    }
    const TemplateState before = CaptureTemplateState();
    m_table.Branches[static_cast<size_t>(row)].kind = kind;
    RecordStep(tr("属性変更"), before);
    ShowEditedTemplate();
}

void TMainform::MarkSelection()
{
    // The hover state would name a row that has moved from under the mouse; the next move
    // finds what is under it again.
    m_editor.clearHover();
    ApplyEditorCursor();
    DrawEditor();
    HighlightBranch(m_editor.SelectedIndex);
}

void TMainform::SelectBranch(int row)
{
    if (row < 1 || row > m_table.BranchCount) {
        return;
    }
    m_editor.SelectedIndex = row;
    if (editMode() && !m_mouseIsDown) {
        MarkSelection();
    }
}

void TMainform::NudgeSelected(int right, int up)
{
    if (!editMode() || m_mouseIsDown || m_dragBefore || !m_editor.hasSelection()) {
        return;
    }
    const TemplateState before = CaptureTemplateState();
    m_editor.nudgeSelected(right, up, EditorDefaultView());
    // The nudges of one branch in a row are one step.
    RecordStep(tr("点の移動"), before, false, m_editor.SelectedIndex);
    MarkSelection();
}

void TMainform::DeleteSelected()
{
    if (!editMode() || m_mouseIsDown || m_dragBefore || !m_editor.hasSelection()) {
        return;
    }
    const TemplateState before = CaptureTemplateState();
    m_editor.deleteSelected();
    RecordStep(tr("枝の削除"), before);
    ApplyEditorCursor();
    DrawEditor();
}

void TMainform::CancelDrag()
{
    if (!editMode() || !m_editor.cancelDrag()) {
        return;
    }
    // The row is as it was at the press: the drag's step finds nothing to record.
    FinishDragStep();
    DrawEditor();
}

void TMainform::DefaultView()
{
    if (editMode() || m_mouseIsDown) {
        return; // the editor is always in the default view
    }
    m_view.ResetView();
    RenderPicture();
}

void TMainform::CImgMouseWheel(ShiftState shift, int x, int y, int eighths)
{
    Q_UNUSED(shift);
    // With the fit on the view is not used; a held button is a click or a pan under way.
    if (cboxWide->isChecked() || m_mouseIsDown) {
        m_wheelRest = 0;
        return;
    }
    m_wheelRest += eighths;
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0) {
        m_view.ZoomAt(x, y, notches);
        RenderPicture();
    }
}

void TMainform::CImgDblClick(MouseButton button, ShiftState shift, int x, int y)
{
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (button != MouseButton::Middle || cboxWide->isChecked()) {
        return;
    }
    // The second press opened a click; the double-click takes its place.
    m_mouseIsDown = false;
    m_gesture.clear();
    DefaultView();
}

} // namespace ramulet
