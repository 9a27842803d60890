// The main window's menu bar (File, Edit, View, Help), made from its window actions: the
// shortcuts' actions get their menu texts and hints, the commands without a shortcut action get
// one, and every item is available exactly when its command can run. Also Help's windows and
// the quick save.

#include "app/Main.h"

#include "app/commandline.h"
#include "app/pictureview.h"
#include "app/saveplaces.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include <iterator>

namespace ramulet {

namespace {

// The menus of the bar, in order (Japanese source).
constexpr const char *kMenuTitles[] = {
    QT_TRANSLATE_NOOP("ramulet::TMainform", "ファイル(&F)"),
    QT_TRANSLATE_NOOP("ramulet::TMainform", "編集(&E)"),
    QT_TRANSLATE_NOOP("ramulet::TMainform", "表示(&V)"),
    QT_TRANSLATE_NOOP("ramulet::TMainform", "ヘルプ(&H)"),
};
enum Menu { FileMenu, EditMenu, ViewMenu, HelpMenu };

// One item: the window action of that object name, its menu text and status-bar hint.
struct MenuItem {
    const char *name;
    Menu menu;
    const char *text;
    const char *hint;
    bool separatorBefore = false;
};

// The menu bar's items in order. Depth items follow "actEditMode" in a submenu.
const MenuItem kItems[] = {
    {"actOpen", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "開く(&O)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートのファイルを開く")},
    {"actGallery", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "見本(&X)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "見本のテンプレートを開く")},
    {"actSave", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "上書き保存(&S)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "今のファイルに記録する (ファイルがなければ名前を聞く)"),
     true},
    {"actSaveAs", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "名前を付けて保存(&A)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "名前を付けてテンプレートを記録する")},
    {"actExport", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "画像の書き出し(&E)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の絵を SVG, PNG, PDF のファイルに書き出す"), true},
    {"actCopy", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "画像のコピー(&C)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の絵をクリップボードにコピーする")},
    {"actQuit", FileMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "終了(&Q)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "プログラムを終了する"), true},
    {"actUndo", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "元に戻す(&U)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "最後の編集を取り消す")},
    {"actRedo", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "やり直し(&R)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "取り消した編集をやり直す")},
    {"actAddBranch", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の追加(&B)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートに枝を 1 本加える"), true},
    {"actBranchValues", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値(&V)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値を数値で編集する"), true},
    {"actVariation", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "バリエーション(&T)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "いまのテンプレートの変化形から選ぶ")},
    {"actAnimation", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "アニメーション(&N)..."),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木が育つ・揺れる・変わるアニメーションを作る")},
    {"actReset", EditMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "初期化(&I)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "最初のテンプレートに戻す"), true},
    {"actEditMode", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "編集(&E)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートの編集画面を表示する")},
    {"actPreview", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "プレビュー(&L)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "編集画面に木を重ねて表示 (Ctrl+L)"), true},
    {"actSmooth", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "なめらか(&M)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "絵をなめらかに描く (Ctrl+Shift+A)")},
    {"actFit", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "自動サイズ調整(&F)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の全体を画面に合わせる")},
    {"actZoomIn", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "拡大(&I)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の中央を拡大する"), true},
    {"actZoomOut", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "縮小(&O)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の中央を縮小する")},
    {"actDefaultView", ViewMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "標準の表示(&D)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の拡大と移動を元に戻す")},
    {"actShortcuts", HelpMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "キーボードショートカット(&K)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "ショートカットとマウスの操作の一覧")},
    {"actAbout", HelpMenu, QT_TRANSLATE_NOOP("ramulet::TMainform", "Ramulet について(&A)"),
     QT_TRANSLATE_NOOP("ramulet::TMainform", "版とライセンス")},
};

} // namespace

QAction *TMainform::AddWindowAction(const QString &name, const QKeySequence &key,
                                    std::function<void()> run, std::function<bool()> canRun)
{
    auto *a = new QAction(this);
    a->setObjectName(name);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(a);
    // Not while a view holds the mouse, and only when the command can run now (a shortcut
    // reaches an item that the menu would show disabled).
    connect(a, &QAction::triggered, this, [this, run, canRun] {
        if (!m_mouseIsDown && (!canRun || canRun())) {
            run();
        }
    });
    if (canRun) {
        m_menuChecks.push_back({a, std::move(canRun)});
    }
    return a;
}

void TMainform::BuildMenuActions()
{
    const auto viewMode = [this] { return !editMode(); };
    AddWindowAction(QStringLiteral("actSaveAs"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                    [this] { SBSaveClick(); });
    AddWindowAction(QStringLiteral("actQuit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                    [this] { BBCloseClick(); });
    AddWindowAction(QStringLiteral("actAddBranch"), {}, [this] { sbAddClick(); },
                    [this] { return !sbAdd->isHidden() && m_table.BranchCount < MaxBranches; });
    AddWindowAction(QStringLiteral("actReset"), {}, [this] { SBInitClick(); });
    AddWindowAction(QStringLiteral("actEditMode"), {}, [this] { SBEdit->click(); });
    for (int n = 1; n <= MaxDepth; ++n) {
        QAction *a = AddWindowAction(
            QStringLiteral("actDepth%1").arg(n), {}, [this, n] { depthButton(n)->click(); },
            [this, n] { return depthButton(n)->isEnabled(); });
        a->setText(QString::number(n));
        a->setStatusTip(depthButton(n)->statusTip());
    }
    AddWindowAction(QStringLiteral("actFit"), {}, [this] { cboxWide->click(); });
    const auto zoomable = [this] { return !editMode() && !cboxWide->isChecked() && m_view.HasArea(); };
    AddWindowAction(QStringLiteral("actZoomIn"), QKeySequence(Qt::CTRL | Qt::Key_Plus),
                    [this] { ZoomAtCentre(MouseButton::Left); }, zoomable);
    AddWindowAction(QStringLiteral("actZoomOut"), QKeySequence(Qt::CTRL | Qt::Key_Minus),
                    [this] { ZoomAtCentre(MouseButton::Right); }, zoomable);
    AddWindowAction(QStringLiteral("actDefaultView"), QKeySequence(Qt::CTRL | Qt::Key_0),
                    [this] {
                        m_view.ResetView();
                        RenderPicture();
                    },
                    viewMode);
    AddWindowAction(QStringLiteral("actShortcuts"), QKeySequence(Qt::Key_F1),
                    [this] { ShowShortcuts(); });
    AddWindowAction(QStringLiteral("actAbout"), {}, [this] { ShowAbout(); });
}

void TMainform::BuildMenuBar()
{
    BuildMenuActions();
    QMenu *menus[std::size(kMenuTitles)] = {};
    for (size_t m = 0; m < std::size(kMenuTitles); ++m) {
        menus[m] = menuBar()->addMenu(tr(kMenuTitles[m]));
        // Availability is looked at when a menu opens; the shortcuts ask for themselves.
        connect(menus[m], &QMenu::aboutToShow, this, &TMainform::RefreshMenus);
    }
    for (const MenuItem &item : kItems) {
        QAction *a = findChild<QAction *>(QLatin1String(item.name));
        a->setText(tr(item.text));
        a->setStatusTip(tr(item.hint));
        QMenu *menu = menus[item.menu];
        if (item.separatorBefore && !menu->isEmpty()) {
            menu->addSeparator();
        }
        menu->addAction(a);
        if (QLatin1String(item.name) == QLatin1String("actReset")) {
            // The other windows' edit commands go before the reset (AddEditMenuItem).
            m_editMenuPlace = menu->insertSeparator(a);
        } else if (QLatin1String(item.name) == QLatin1String("actEditMode")) {
            QMenu *depths = menu->addMenu(Label2->text());
            for (int n = 1; n <= MaxDepth; ++n) {
                depths->addAction(findChild<QAction *>(QStringLiteral("actDepth%1").arg(n)));
            }
        }
    }
    for (const char *name : {"actEditMode", "actPreview", "actSmooth", "actFit"}) {
        findChild<QAction *>(QLatin1String(name))->setCheckable(true);
    }
    m_editMenu = menus[EditMenu];
}

void TMainform::AddEditMenuItem(QAction *action)
{
    m_editMenu->insertAction(m_editMenuPlace, action);
}

void TMainform::RefreshMenus()
{
    for (const auto &[action, canRun] : m_menuChecks) {
        action->setEnabled(canRun());
    }
    findChild<QAction *>(QStringLiteral("actEditMode"))->setChecked(editMode());
    findChild<QAction *>(QStringLiteral("actPreview"))->setChecked(LiveTreeShown());
    findChild<QAction *>(QStringLiteral("actSmooth"))->setChecked(SmoothShown());
    findChild<QAction *>(QStringLiteral("actFit"))->setChecked(cboxWide->isChecked());
    for (int n = 1; n <= MaxDepth; ++n) {
        QAction *a = findChild<QAction *>(QStringLiteral("actDepth%1").arg(n));
        a->setCheckable(true);
        a->setChecked(!editMode() && n == m_depth);
    }
}

void TMainform::ZoomAtCentre(MouseButton button)
{
    // A click at the middle of the tree view without modifiers: the same zoom, about the
    // model point shown there.
    m_view.ApplyClick(m_view.viewWidth / 2, m_view.viewHeight / 2, button, 0);
    RenderPicture();
}

QString TMainform::ShortcutsText() const
{
    auto row = [](const QString &left, const QString &right) {
        return QStringLiteral("<tr><td style=\"padding-right:16px\"><b>%1</b></td><td>%2</td></tr>")
            .arg(left.toHtmlEscaped(), right.toHtmlEscaped());
    };
    QString rows;
    // Every action of the window that has a shortcut, in the order they were made.
    for (const QAction *a : actions()) {
        if (a->shortcuts().isEmpty()) {
            continue;
        }
        QStringList keys;
        for (const QKeySequence &k : a->shortcuts()) {
            keys << k.toString(QKeySequence::NativeText);
        }
        QString what = a->text();
        // "元に戻す(&U)" is listed as "元に戻す", "&Undo" as "Undo".
        what.remove(QRegularExpression(QStringLiteral("\\(&\\w\\)")));
        rows += row(keys.join(QStringLiteral(", ")), what.remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    }
    rows += row(tr("編集画面"), Img1->statusTip());
    rows += row(tr("木の画面"), CImg->statusTip());
    return QStringLiteral("<table>") + rows + QStringLiteral("</table>");
}

void TMainform::ShowShortcuts()
{
    ShowInformation(tr("キーボードショートカット"), ShortcutsText());
}

void TMainform::ShowAbout()
{
    ShowInformation(
        tr("Ramulet について"),
        tr("<h3>Ramulet %1</h3><p>枝のテンプレートから自己相似の木を描くプログラム</p>"
           "<p>ライセンス: GPL-3.0-or-later</p><p>Qt %2</p>")
            .arg(QLatin1String(ProgramVersion), QLatin1String(qVersion())));
}

void TMainform::ShowInformation(const QString &title, const QString &richText)
{
    if (m_hooks.inform) {
        m_hooks.inform(title, richText);
        return;
    }
    QDialog dialog(this);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLabel(richText, &dialog);
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "OK")));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

void TMainform::SaveInPlace()
{
    if (m_mouseIsDown) {
        return;
    }
    if (!CanSaveInPlace(m_fileName, m_writable)) {
        SBSaveClick();
        return;
    }
    WriteTemplateTo(m_fileName);
}

} // namespace ramulet
