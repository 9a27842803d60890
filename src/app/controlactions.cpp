#include "app/controlactions.h"

#include "app/actions.h"
#include "app/formcontrols.h"
#include "app/windowstate.h"
#include "core/segments.h"

#include <QAction>
#include <QCheckBox>

namespace ramulet {

namespace {

constexpr const char *DepthActionNames[] = {
    "actDepth1",  "actDepth2",  "actDepth3",  "actDepth4",  "actDepth5",  "actDepth6",
    "actDepth7",  "actDepth8",  "actDepth9",  "actDepth10", "actDepth11", "actDepth12",
    "actDepth13", "actDepth14", "actDepth15", "actDepth16",
};
static_assert(std::size(DepthActionNames) == MaxDepth);

void AddModeActions(WindowActions &actions, const FormControls &form,
                    const std::array<QToolButton *, 17> &depthButtons, const WindowState &state)
{
    actions.add({.name = "actEditMode",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "編集(&E)"),
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートの編集画面を表示する"),
                 .menu = ActionMenu::View,
                 .group = 1,
                 .target = [b = form.SBEdit] { b->click(); },
                 .checked = [&state] { return state.editMode(); }});
    for (int n = 1; n <= MaxDepth; ++n) {
        QToolButton *b = depthButtons[static_cast<size_t>(n)];
        QAction *a = actions.add({.name = DepthActionNames[n - 1],
                                  .menu = ActionMenu::Depth,
                                  .target = [b] { b->click(); },
                                  .enabled = [b] { return b->isEnabled(); },
                                  .checked = [&state, n] {
                                      return !state.editMode() && state.depth() == n;
                                  }});
        a->setText(QString::number(n));
        a->setStatusTip(b->statusTip());
    }
}

void AddToggleActions(WindowActions &actions, const FormControls &form, const WindowState &state)
{
    // The live tree and smooth boxes may change while a view holds the mouse: they change
    // only how it is drawn.
    actions.add({.name = "actPreview",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "プレビュー(&L)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_L)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "編集画面に木を重ねて表示 (Ctrl+L)"),
                 .menu = ActionMenu::View,
                 .group = 2,
                 .target = [box = form.cboxPreview] { box->toggle(); },
                 .checked = [&state] { return state.liveTree(); },
                 .whileHeld = true});
    actions.add({.name = "actSmooth",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "なめらか(&M)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "絵をなめらかに描く (Ctrl+Shift+A)"),
                 .menu = ActionMenu::View,
                 .group = 2,
                 .target = [box = form.cboxSmooth] { box->toggle(); },
                 .checked = [&state] { return state.smooth(); },
                 .whileHeld = true});
    actions.add({.name = "actFit",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "自動サイズ調整(&F)"),
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "木の全体を画面に合わせる"),
                 .menu = ActionMenu::View,
                 .group = 2,
                 .target = [box = form.cboxWide] { box->click(); },
                 .checked = [&state] { return state.fit(); }});
}

} // namespace

void AddControlActions(WindowActions &actions, const FormControls &form,
                       const std::array<QToolButton *, 17> &depthButtons,
                       const WindowState &state)
{
    actions.add({.name = "actQuit",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "終了(&Q)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_Q)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "プログラムを終了する"),
                 .menu = ActionMenu::File,
                 .group = 4,
                 .target = [b = form.BBclose] { b->click(); }});
    actions.add({.name = "actReset",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "初期化(&I)"),
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "最初のテンプレートに戻す"),
                 .menu = ActionMenu::Edit,
                 .group = 4,
                 .target = [b = form.SBInit] { b->click(); }});
    AddModeActions(actions, form, depthButtons, state);
    AddToggleActions(actions, form, state);
}

} // namespace ramulet
