#pragma once

// The menu bar and Help's windows, made from the table of window actions: File, Edit, View
// (with the depths in a submenu) and Help, each item with its text, shortcut and hint, and
// available exactly when its command can run.

#include <QString>

#include <functional>
#include <memory>

class QMenuBar;

namespace ramulet {

class Dialogs;
class WindowActions;

// Help's items: the list of shortcuts (F1), made by `shortcutsText` when asked, and the
// window about the program.
void AddHelpActions(WindowActions &actions, const std::unique_ptr<Dialogs> &dialogs,
                    std::function<QString()> shortcutsText);

// Fills `bar` with the menus of every action that names one; `depthTitle` is the title of
// the View menu's submenu of depths.
void BuildMenuBar(QMenuBar *bar, WindowActions &actions, const QString &depthTitle);

// Help's list: every shortcut of the window, then the mouse gestures of both views (their
// hints), as rich text.
QString ShortcutsText(const WindowActions &actions, const QString &editorGestures,
                      const QString &treeGestures);

// Help's window about the program: its version, what it does and its licence, as rich text.
QString AboutText();

} // namespace ramulet
