#include "app/actions.h"

#include <QAction>
#include <QCoreApplication>
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
    action->setCheckable(a.checkable);
    return registerEntry(action, std::move(a));
}

QAction *WindowActions::add(const char *name, const char *text, QList<QKeySequence> keys,
                            ActionMenu menu, std::function<void()> target, bool whileHeld)
{
    WindowAction a;
    a.name = name;
    a.text = text;
    a.keys = std::move(keys);
    a.menu = menu;
    a.target = std::move(target);
    a.whileHeld = whileHeld;
    return add(std::move(a));
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
        if (e.action->objectName() == name) {
            if (!e.spec.whileHeld && !m_idle()) {
                return false;
            }
            e.spec.target();
            return true;
        }
    }
    return false;
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

QStringList WindowActions::ShortcutList() const
{
    QStringList lines;
    for (const Entry &e : m_entries) {
        if (!e.spec.keys.isEmpty()) {
            lines << e.spec.keys.first().toString(QKeySequence::NativeText) +
                         QStringLiteral("  ") + Text(*e.spec.text ? e.spec.text : e.spec.hint);
        }
    }
    return lines;
}

} // namespace ramulet
