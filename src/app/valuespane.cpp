#include "app/valuespane.h"

#include "app/actions.h"
#include "app/branchvalueswindow.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/editorpane.h"
#include "app/windowstate.h"

#include <utility>

namespace ramulet {

ValuesPane::ValuesPane(TemplateDocument &doc, WindowState &state, EditorPane &editor,
                       QWidget *window, std::function<void()> shown)
    : QObject(window), m_doc(doc), m_state(state), m_editor(editor),
      m_window(new BranchValuesWindow(doc.table(), window)), m_shown(std::move(shown))
{
    connect(m_window, &BranchValuesWindow::valuesEdited, this, &ValuesPane::ApplyValues);
    connect(m_window, &BranchValuesWindow::kindEdited, this, &ValuesPane::ApplyKind);
    connect(m_window, &BranchValuesWindow::rowChosen, &editor, &EditorPane::SelectBranch);
    connect(&editor, &EditorPane::shown, this, &ValuesPane::Refresh);
    connect(&editor, &EditorPane::selected, m_window, &BranchValuesWindow::showSelectedRow);
}

void ValuesPane::Open() { m_window->open(); }

void ValuesPane::Refresh()
{
    if (m_window->isVisible()) {
        m_window->refresh();
    }
}

bool ValuesPane::Refused(int row)
{
    if (m_state.mouseHeld() || m_doc.dragOpen() || row < 1 || row > m_doc.table().BranchCount) {
        m_window->refresh();
        return true;
    }
    return false;
}

void ValuesPane::ApplyValues(int row, const RowValues &values)
{
    if (Refused(row)) {
        return;
    }
    {
        const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値")));
        SetRowValues(m_doc.table(), row, values.position, values.V, m_editor.EditorView());
    }
    m_shown();
}

void ValuesPane::ApplyKind(int row, int kind)
{
    if (Refused(row)) {
        return;
    }
    {
        const EditStep step(m_doc,
                            WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "属性変更")));
        m_doc.table().Branches[static_cast<size_t>(row)].kind = kind;
    }
    m_shown();
}

void ValuesPane::AddActions(WindowActions &actions)
{
    actions.add({.name = "actBranchValues",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値(&V)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_T)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値を数値で編集する"),
                 .menu = ActionMenu::Edit,
                 .group = 3,
                 .target = [this] { Open(); },
                 // A window of its own: it may open during a drag, whose step it does not touch.
                 .whileHeld = true});
}

} // namespace ramulet
