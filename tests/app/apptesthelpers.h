#pragma once

// Helpers for driving the real main window in tests: a shown window with answered dialogs,
// and mouse events that carry the buttons held (QTest::mouseMove alone sends none).

#include "app/Main.h"
#include "app/animationdialog.h"
#include "app/pictureview.h"
#include "app/variationdialog.h"

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

// Scripted answers to the window's questions: each question that has an answer here is
// answered by it, the others by the real dialog (which a test may drive with OnModal).
struct DialogHooks {
    std::function<void()> beep;
    std::function<bool(const QString &text)> askYesNo;
    std::function<void(const QString &text)> warn;
    std::function<std::optional<QColor>(const QColor &)> chooseColor;
    std::function<void(QMenu *menu, const QPoint &globalPos)> popup;
    std::function<QString()> chooseOpenFile;
    std::function<QString(const QString &preset)> chooseSaveFile;
    std::function<QString(const QStringList &examples)> chooseExample;
    std::function<void(const AnimationSource &)> animation;
    std::function<void(const QString &title, const QString &text)> inform;
    std::function<bool(VariationDialog &dialog)> runVariations;
};
struct ExportHooks {
    std::function<QString(const QString &preset, QString *selectedFilter)> chooseFile;
    std::function<std::optional<int>(int defaultWidth, int pictureHeight)> choosePngWidth;
};

class ScriptedDialogs : public Dialogs {
public:
    explicit ScriptedDialogs(QWidget *parent) : m_real(parent) {}

    DialogHooks hooks;
    ExportHooks exportHooks;

    void beep() override { hooks.beep ? hooks.beep() : m_real.beep(); }
    bool askYesNo(const QString &text) override
    {
        return hooks.askYesNo ? hooks.askYesNo(text) : m_real.askYesNo(text);
    }
    void warn(const QString &text) override
    {
        hooks.warn ? hooks.warn(text) : m_real.warn(text);
    }
    std::optional<QColor> chooseColor(const QColor &initial) override
    {
        return hooks.chooseColor ? hooks.chooseColor(initial) : m_real.chooseColor(initial);
    }
    void popupMenu(QMenu *menu, const QPoint &globalPos) override
    {
        hooks.popup ? hooks.popup(menu, globalPos) : m_real.popupMenu(menu, globalPos);
    }
    QString chooseOpenFile() override
    {
        return hooks.chooseOpenFile ? hooks.chooseOpenFile() : m_real.chooseOpenFile();
    }
    QString chooseSaveFile(const QString &preset) override
    {
        return hooks.chooseSaveFile ? hooks.chooseSaveFile(preset) : m_real.chooseSaveFile(preset);
    }
    QString chooseExample(const QStringList &examples) override
    {
        return hooks.chooseExample ? hooks.chooseExample(examples)
                                   : m_real.chooseExample(examples);
    }
    QString chooseExportFile(const QString &preset, QString *filter) override
    {
        return exportHooks.chooseFile ? exportHooks.chooseFile(preset, filter)
                                      : m_real.chooseExportFile(preset, filter);
    }
    std::optional<int> choosePngWidth(int defaultWidth, int pictureHeight) override
    {
        return exportHooks.choosePngWidth ? exportHooks.choosePngWidth(defaultWidth, pictureHeight)
                                          : m_real.choosePngWidth(defaultWidth, pictureHeight);
    }

    void inform(const QString &title, const QString &text) override
    {
        hooks.inform ? hooks.inform(title, text) : m_real.inform(title, text);
    }
    bool runVariations(VariationDialog &dialog) override
    {
        return hooks.runVariations ? hooks.runVariations(dialog) : m_real.runVariations(dialog);
    }
    void runAnimation(const AnimationSource &source) override
    {
        hooks.animation ? hooks.animation(source) : m_real.runAnimation(source);
    }

private:
    QtDialogs m_real;
};

// The window's scripted dialogs, put in place on first use.
inline ScriptedDialogs &Scripted(TMainform &w)
{
    if (auto *s = dynamic_cast<ScriptedDialogs *>(&w.dialogs())) {
        return *s;
    }
    auto owned = std::make_unique<ScriptedDialogs>(&w);
    ScriptedDialogs &s = *owned;
    w.setDialogs(std::move(owned));
    return s;
}

// Replaces the answers to the window's questions (the export's are kept).
inline void SetDialogHooks(TMainform &w, DialogHooks hooks) { Scripted(w).hooks = std::move(hooks); }
inline void SetExportHooks(TMainform &w, ExportHooks hooks)
{
    Scripted(w).exportHooks = std::move(hooks);
}

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
    SetDialogHooks(*w, hooks);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) {
        return nullptr;
    }
    return w;
}

// A shown window at the design size: its views 636 x 634 (the menu bar above them).
inline std::unique_ptr<TMainform> MakeDesignSizeWindow(DialogLog &log)
{
    auto w = MakeShownWindow(log);
    if (!w) {
        return nullptr;
    }
    w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
    if (!QTest::qWaitFor([&w] { return w->editorView()->size() == QSize(636, 634); })) {
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
