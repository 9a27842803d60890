#pragma once

// The table of the window's actions: every command with its name, text, shortcuts, hint,
// menu and target, and whether it may run while a view holds the mouse. The shortcuts are
// made from it; a menu bar and a list of shortcuts can be made from it too. A feature adds
// its commands with one add() each.

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QWidget;

namespace ramulet {

// The menus an action can belong to, in the order of a menu bar.
enum class ActionMenu { None, File, Edit, View, Tools, Help };

struct WindowAction {
    const char *name = "";  // object name of the QAction, "act" + a word
    const char *text = "";  // menu text, the Japanese source (context "ramulet::TMainform")
    QList<QKeySequence> keys; // window-wide shortcuts; the first is the one shown
    const char *hint = "";  // status-bar hint, the Japanese source; empty for none
    ActionMenu menu = ActionMenu::None;
    std::function<void()> target;
    bool whileHeld = false; // may also run while a mouse button is held in a view
    bool checkable = false; // a toggle; the target reads the new state from the action
};

class WindowActions : public QObject {
    Q_OBJECT
public:
    // `idle` is the one gate: whether no view holds the mouse (and no edit is half made).
    WindowActions(QWidget *window, std::function<bool()> idle);

    // Makes the QAction of `a` on the window (shortcuts window-wide) and registers it.
    QAction *add(WindowAction a);
    // The same for the usual case: no hint, not checkable.
    QAction *add(const char *name, const char *text, QList<QKeySequence> keys, ActionMenu menu,
                 std::function<void()> target, bool whileHeld = false);
    // Registers an action made elsewhere (the history's undo and redo, whose text and
    // availability follow the history): its trigger runs `a.target` through the gate.
    QAction *adopt(QAction *made, WindowAction a);

    // Runs the action's target when the gate allows it; false when refused or unknown.
    bool run(const QString &name);
    bool idle() const { return m_idle(); }
    QAction *action(const QString &name) const;

    struct Entry {
        WindowAction spec;
        QAction *action;
    };
    // In the order of registration.
    const std::vector<Entry> &entries() const { return m_entries; }
    // Menu text or hint of an entry in the window's language.
    static QString Text(const char *source);
    // "Ctrl+S  text" lines of every action with a shortcut, for a help window.
    QStringList ShortcutList() const;

private:
    QAction *registerEntry(QAction *action, WindowAction a);

    QWidget *m_window;
    std::function<bool()> m_idle;
    std::vector<Entry> m_entries;
};

} // namespace ramulet
