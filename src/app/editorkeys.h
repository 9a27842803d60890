#pragma once

// The keys that work on what the views show: the arrows (with Shift, ten times as far) nudge
// the selected branch's end point, Delete deletes it, and Home brings the tree view back to
// its default view. They are taken only where they have something to do, so that a list or a
// text field of the side bar keeps its own keys.

#include <QObject>

#include <functional>

class QWidget;

namespace ramulet {

class EditorPane;
class WindowState;

class EditorKeys : public QObject {
    Q_OBJECT
public:
    // Watches every key press of the application for `window`; `defaultView` is Home's.
    EditorKeys(QWidget *window, const WindowState &state, EditorPane &editor,
               std::function<void()> defaultView);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QWidget *m_window;
    const WindowState &m_state;
    EditorPane &m_editor;
    std::function<void()> m_defaultView;
};

} // namespace ramulet
