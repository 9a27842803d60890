#pragma once

// The table of the window's actions: every command with its name, text, shortcuts, hint,
// menu and target, whether it can run now and whether it may run while a view holds the
// mouse. The shortcuts, the menu bar (menubar.h) and Help's list of shortcuts are all made
// from it. A feature adds its commands with one add() each.

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QWidget;

namespace ramulet {

// The menus an action can belong to, in the order of the menu bar; Depth is the View menu's
// submenu of depths.
enum class ActionMenu { None, File, Edit, View, Depth, Help };

struct WindowAction {
    const char *name = "";  // object name of the QAction, "act" + a word
    const char *text = "";  // menu text with its access key, the Japanese source (context
                            // "ramulet::TMainform"); empty: the text is set elsewhere
    QList<QKeySequence> keys; // window-wide shortcuts; the first is the one shown
    const char *hint = "";  // status-bar hint, the Japanese source; empty for none
    ActionMenu menu = ActionMenu::None;
    int group = 0; // a menu's items are ordered by group, with a separator between groups
    std::function<void()> target;
    // Whether the command can run now; it also enables the menu item. None: always.
    std::function<bool()> enabled;
    // A toggle: what its menu item shows as checked. None: not a toggle.
    std::function<bool()> checked;
    bool whileHeld = false; // may also run while a mouse button is held in a view
};

class WindowActions : public QObject {
    Q_OBJECT
public:
    // `idle` is the one gate: whether no view holds the mouse (and no edit is half made).
    WindowActions(QWidget *window, std::function<bool()> idle);

    // Makes the QAction of `a` on the window (shortcuts window-wide) and registers it.
    QAction *add(WindowAction a);
    // Registers an action made elsewhere (the history's undo and redo, whose text and
    // availability follow the history): its trigger runs `a.target` through the gate.
    QAction *adopt(QAction *made, WindowAction a);

    // Runs the action's target when the gate allows it and it can run now; false when
    // refused or unknown.
    bool run(const QString &name);
    // Every action's availability and check mark as they are now (before a menu opens).
    void refresh();
    bool idle() const { return m_idle(); }
    QAction *action(const QString &name) const;

    struct Entry {
        WindowAction command;
        QAction *action;
    };
    // In the order of registration.
    const std::vector<Entry> &entries() const { return m_entries; }
    // Menu text or hint of an entry in the window's language.
    static QString Text(const char *source);
    // The keys and the command, without its access key and dots, of every action with a
    // shortcut, in the order of registration: for Help's list.
    std::vector<std::pair<QString, QString>> ShortcutList() const;

private:
    QAction *registerEntry(QAction *action, WindowAction a);

    QWidget *m_window;
    std::function<bool()> m_idle;
    std::vector<Entry> m_entries;
};

} // namespace ramulet
