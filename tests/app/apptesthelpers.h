#pragma once

// Helpers for driving the real main window in tests: a shown window with answered dialogs,
// and mouse events that carry the buttons held (QTest::mouseMove alone sends none).

#include "app/Main.h"
#include "app/pictureview.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include <memory>
#include <optional>

namespace ramulet_test {

using namespace ramulet;

// What the window asked; the answers the test gives.
struct DialogLog {
    int beeps = 0;
    QStringList questions;
    QStringList warnings;
    int colorRequests = 0;
    bool answerYes = false;
    std::optional<QColor> colorAnswer;
};

// The warnings hold exactly one refusal to open `path`: the warning's own first line, then
// the path, then the reason.
inline bool IsOpenRefusal(const QStringList &warnings, const QString &path)
{
    if (warnings.size() != 1) {
        return false;
    }
    const QStringList lines = warnings.first().split(QLatin1Char('\n'));
    return lines.size() == 3 && lines[0] == QStringLiteral("このファイルは開けません") &&
           lines[1] == QDir::toNativeSeparators(path) && !lines[2].trimmed().isEmpty();
}

inline std::unique_ptr<TMainform> MakeShownWindow(DialogLog &log)
{
    auto w = std::make_unique<TMainform>();
    DialogHooks hooks;
    hooks.beep = [&log] { ++log.beeps; };
    hooks.askYesNo = [&log](const QString &text) {
        log.questions << text;
        return log.answerYes;
    };
    hooks.warn = [&log](const QString &text) { log.warnings << text; };
    hooks.chooseColor = [&log](const QColor &) {
        ++log.colorRequests;
        return log.colorAnswer;
    };
    w->setDialogHooks(hooks);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) {
        return nullptr;
    }
    return w;
}

inline void SendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                  modifiers);
    QApplication::sendEvent(target, &e);
}

// A move with `held` buttons down (none for a hover).
inline void Move(QWidget *target, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    SendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, held);
}

inline void Press(QWidget *target, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  Qt::MouseButtons alsoHeld = Qt::NoButton)
{
    SendMouse(target, QEvent::MouseButtonPress, pos, button, alsoHeld | button, modifiers);
}

inline void Release(QWidget *target, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    Qt::MouseButtons stillHeld = Qt::NoButton)
{
    SendMouse(target, QEvent::MouseButtonRelease, pos, button, stillHeld, modifiers);
}

inline void Drag(QWidget *target, QPoint from, std::initializer_list<QPoint> path)
{
    Move(target, from);
    Press(target, from);
    QPoint last = from;
    for (QPoint p : path) {
        Move(target, p, Qt::LeftButton);
        last = p;
    }
    Release(target, last);
}

inline QString StatusText(TMainform &w) { return w.statusBar()->currentMessage(); }

// Runs `act` on the first modal dialog of type T once it is shown (from the event loop of
// the dialog's exec()).
template <typename T> void OnModal(std::function<void(T *)> act)
{
    auto attempt = std::make_shared<std::function<void(int)>>();
    *attempt = [act, attempt](int left) {
        auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dlg && dlg->isVisible()) {
            act(dlg);
        } else if (left > 0) {
            QTimer::singleShot(10, [attempt, left] { (*attempt)(left - 1); });
        }
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(300); });
}

} // namespace ramulet_test
