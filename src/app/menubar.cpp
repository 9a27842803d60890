#include "app/menubar.h"

#include "app/actions.h"
#include "app/commandline.h"
#include "app/dialogs.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <iterator>

namespace ramulet {

namespace {

// The menus of the bar, in the order of ActionMenu from File on (Japanese source).
constexpr const char *MenuTitles[] = {
    QT_TRANSLATE_NOOP("ramulet::TMainform", "ファイル(&F)"),
    QT_TRANSLATE_NOOP("ramulet::TMainform", "編集(&E)"),
    QT_TRANSLATE_NOOP("ramulet::TMainform", "表示(&V)"),
    nullptr, // the depths: a submenu of View
    QT_TRANSLATE_NOOP("ramulet::TMainform", "ヘルプ(&H)"),
};

// Adds the entries of `menu` to `target` in the order of their groups, a separator between
// two groups.
void FillMenu(QMenu *target, const WindowActions &actions, ActionMenu menu)
{
    std::vector<const WindowActions::Entry *> items;
    for (const WindowActions::Entry &e : actions.entries()) {
        if (e.command.menu == menu) {
            items.push_back(&e);
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const auto *a, const auto *b) {
        return a->command.group < b->command.group;
    });
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0 && items[i]->command.group != items[i - 1]->command.group) {
            target->addSeparator();
        }
        target->addAction(items[i]->action);
    }
}

} // namespace

void BuildMenuBar(QMenuBar *bar, WindowActions &actions, const QString &depthTitle)
{
    for (int m = static_cast<int>(ActionMenu::File); m <= static_cast<int>(ActionMenu::Help);
         ++m) {
        const auto menu = static_cast<ActionMenu>(m);
        if (menu == ActionMenu::Depth) {
            continue;
        }
        QMenu *target = bar->addMenu(WindowText(MenuTitles[m - 1]));
        FillMenu(target, actions, menu);
        if (menu == ActionMenu::View) {
            // The depths follow the first group (the edit mode).
            QMenu *depths = new QMenu(depthTitle, target);
            FillMenu(depths, actions, ActionMenu::Depth);
            const QList<QAction *> items = target->actions();
            target->insertMenu(items.size() > 1 ? items[1] : nullptr, depths);
        }
        // Availability is looked at when a menu opens; the shortcuts ask for themselves.
        QObject::connect(target, &QMenu::aboutToShow, &actions, &WindowActions::refresh);
    }
}

QString ShortcutsText(const WindowActions &actions, const QString &editorGestures,
                      const QString &treeGestures)
{
    const auto row = [](const QString &left, const QString &right) {
        return QStringLiteral("<tr><td style=\"padding-right:16px\"><b>%1</b></td><td>%2</td></tr>")
            .arg(left.toHtmlEscaped(), right.toHtmlEscaped());
    };
    QString rows;
    for (const auto &[keys, what] : actions.ShortcutList()) {
        rows += row(keys, what);
    }
    // The keys that work on what the views show (EditorKeys), which are no actions.
    const auto key = [](Qt::Key k) { return QKeySequence(k).toString(QKeySequence::NativeText); };
    rows += row(QStringList{key(Qt::Key_Left), key(Qt::Key_Right), key(Qt::Key_Up),
                            key(Qt::Key_Down)}
                    .join(QStringLiteral(", ")),
                WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                             "選んだ枝の先を 0.01 動かす (Shift: 0.1)")));
    rows += row(key(Qt::Key_Delete),
                WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "選んだ枝を削除する")));
    rows += row(key(Qt::Key_Home), WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                                                 "木の画面を標準の表示に戻す")));
    rows += row(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "編集画面")), editorGestures);
    rows += row(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面")), treeGestures);
    return QStringLiteral("<table>") + rows + QStringLiteral("</table>");
}

QString AboutText()
{
    return WindowText(QT_TRANSLATE_NOOP(
                          "ramulet::TMainform",
                          "<h3>Ramulet %1</h3><p>枝のテンプレートから自己相似の木を描くプログラム</p>"
                          "<p>ライセンス: GPL-3.0-or-later</p><p>Qt %2</p>"))
        .arg(QLatin1String(ProgramVersion), QLatin1String(qVersion()));
}

void AddHelpActions(WindowActions &actions, const std::unique_ptr<Dialogs> &dialogs,
                    std::function<QString()> shortcutsText)
{
    actions.add({.name = "actShortcuts",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "キーボードショートカット(&K)"),
                 .keys = {QKeySequence(Qt::Key_F1)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "ショートカットとマウスの操作の一覧"),
                 .menu = ActionMenu::Help,
                 .group = 1,
                 .target = [&dialogs, text = std::move(shortcutsText)] {
                     dialogs->inform(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                                                  "キーボードショートカット")),
                                     text());
                 }});
    actions.add({.name = "actAbout",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "Ramulet について(&A)"),
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "版とライセンス"),
                 .menu = ActionMenu::Help,
                 .group = 1,
                 .target = [&dialogs] {
                     dialogs->inform(
                         WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "Ramulet について")),
                         AboutText());
                 }});
}

} // namespace ramulet
