#include "app/editorkeys.h"

#include "app/editorpane.h"
#include "app/windowstate.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include <utility>

namespace ramulet {

namespace {

// The nudges of the arrow keys, in hundredths of a trunk length.
struct NudgeKey {
    QKeyCombination key;
    int right;
    int up;
};
constexpr NudgeKey NudgeKeys[] = {
    {Qt::Key_Left, -1, 0},              {Qt::Key_Right, 1, 0},
    {Qt::Key_Up, 0, 1},                 {Qt::Key_Down, 0, -1},
    {Qt::SHIFT | Qt::Key_Left, -10, 0}, {Qt::SHIFT | Qt::Key_Right, 10, 0},
    {Qt::SHIFT | Qt::Key_Up, 0, 10},    {Qt::SHIFT | Qt::Key_Down, 0, -10},
};

} // namespace

EditorKeys::EditorKeys(QWidget *window, const WindowState &state, EditorPane &editor,
                       std::function<void()> defaultView)
    : QObject(window), m_window(window), m_state(state), m_editor(editor),
      m_defaultView(std::move(defaultView))
{
    qApp->installEventFilter(this);
}

bool EditorKeys::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() != QEvent::KeyPress) {
        return false;
    }
    auto *target = qobject_cast<QWidget *>(watched);
    // Keys for this window, not for a list or a text field that uses them itself.
    if (!target || target->window() != m_window || qobject_cast<QComboBox *>(target) ||
        qobject_cast<QAbstractSpinBox *>(target) || qobject_cast<QLineEdit *>(target)) {
        return false;
    }
    const auto *key = static_cast<QKeyEvent *>(e);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::NoModifier && key->key() == Qt::Key_Home && !m_state.editMode() &&
        !m_state.mouseHeld()) {
        m_defaultView();
        return true;
    }
    if (!m_editor.CanEditSelection() || (mods != Qt::NoModifier && mods != Qt::ShiftModifier)) {
        return false;
    }
    if (key->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
        m_editor.DeleteSelected();
        return true;
    }
    for (const NudgeKey &n : NudgeKeys) {
        if (QKeyCombination(mods, Qt::Key(key->key())) == n.key) {
            m_editor.NudgeSelected(n.right, n.up);
            return true;
        }
    }
    return false;
}

} // namespace ramulet
