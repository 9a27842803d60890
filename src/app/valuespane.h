#pragma once

// The branch values window's part of the main window: it opens the window (its button and
// Ctrl+T), keeps it showing the template, and makes every value or kind typed there one
// undoable step of the document. The window and the editor's selection follow each other.

#include "core/branchvalues.h"

#include <QObject>

#include <functional>

class QWidget;

namespace ramulet {

class BranchValuesWindow;
class EditorPane;
class TemplateDocument;
class WindowActions;
class WindowState;

class ValuesPane : public QObject {
    Q_OBJECT
public:
    // `shown` shows an edited template in the editor, and in the tree view in view mode.
    ValuesPane(TemplateDocument &doc, WindowState &state, EditorPane &editor, QWidget *window,
               std::function<void()> shown);

    BranchValuesWindow *window() const { return m_window; }
    void Open();
    // The values as they are now, while the window is shown.
    void Refresh();
    // "枝の値" (Ctrl+T) into `actions`.
    void AddActions(WindowActions &actions);

private:
    // Not in the middle of a drag, whose step is open, nor for a row that is gone: the cells
    // show the template again instead.
    bool Refused(int row);
    void ApplyValues(int row, const RowValues &values);
    void ApplyKind(int row, int kind);

    TemplateDocument &m_doc;
    WindowState &m_state;
    EditorPane &m_editor;
    BranchValuesWindow *m_window;
    std::function<void()> m_shown;
};

} // namespace ramulet
