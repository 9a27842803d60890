#include "app/actions.h"

#include <QAction>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QWidget>

#include <utility>

namespace ramulet {

WindowActions::WindowActions(QWidget *window, std::function<bool()> idle)
    : QObject(window), m_window(window), m_idle(std::move(idle))
{
}

QString WindowActions::Text(const char *source)
{
    return *source == '\0' ? QString()
                           : QCoreApplication::translate("ramulet::TMainform", source);
}

QAction *WindowActions::add(WindowAction a)
{
    auto *action = new QAction(Text(a.text), m_window);
    action->setCheckable(static_cast<bool>(a.checked));
    return registerEntry(action, std::move(a));
}

QAction *WindowActions::adopt(QAction *made, WindowAction a)
{
    // The maker's own trigger connection goes: the gate decides.
    disconnect(made, &QAction::triggered, nullptr, nullptr);
    return registerEntry(made, std::move(a));
}

QAction *WindowActions::registerEntry(QAction *action, WindowAction a)
{
    action->setObjectName(QString::fromLatin1(a.name));
    action->setShortcuts(a.keys);
    action->setShortcutContext(Qt::WindowShortcut);
    if (*a.hint != '\0') {
        action->setStatusTip(Text(a.hint));
    }
    m_window->addAction(action);
    const QString name = action->objectName();
    connect(action, &QAction::triggered, this, [this, name] { run(name); });
    m_entries.push_back({std::move(a), action});
    return action;
}

bool WindowActions::run(const QString &name)
{
    for (const Entry &e : m_entries) {
        if (e.action->objectName() != name) {
            continue;
        }
        // A shortcut reaches a command that its menu would show disabled: it does nothing.
        const bool may = (e.command.whileHeld || m_idle()) && (!e.command.enabled || e.command.enabled());
        if (may) {
            e.command.target();
        }
        // A toggle's mark follows the state, whether or not the command ran.
        if (e.command.checked) {
            e.action->setChecked(e.command.checked());
        }
        return may;
    }
    return false;
}

void WindowActions::refresh()
{
    for (const Entry &e : m_entries) {
        if (e.command.enabled) {
            e.action->setEnabled(e.command.enabled());
        }
        if (e.command.checked) {
            e.action->setChecked(e.command.checked());
        }
    }
}

QAction *WindowActions::action(const QString &name) const
{
    for (const Entry &e : m_entries) {
        if (e.action->objectName() == name) {
            return e.action;
        }
    }
    return nullptr;
}

std::vector<std::pair<QString, QString>> WindowActions::ShortcutList() const
{
    std::vector<std::pair<QString, QString>> rows;
    for (const Entry &e : m_entries) {
        if (e.command.keys.isEmpty()) {
            continue;
        }
        QStringList keys;
        for (const QKeySequence &k : e.command.keys) {
            keys << k.toString(QKeySequence::NativeText);
        }
        // "元に戻す(&U)" is listed as "元に戻す", "&Undo" and "Open..." as "Undo" and "Open".
        QString what = Text(*e.command.text ? e.command.text : e.command.hint);
        what.remove(QRegularExpression(QStringLiteral("\\(&\\w\\)")));
        what.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
        rows.emplace_back(keys.join(QStringLiteral(", ")), what.trimmed());
    }
    return rows;
}

} // namespace ramulet
