// The main window's live tree: the check box "プレビュー" with Ctrl+L, the editor painted with
// the live tree under its arrows, and hover and drag steps whose repaints join while one is
// drawn, so that the editor always shows the latest position and never works through old
// ones.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/pictureview.h"
#include "editor/editordraw.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace ramulet {

QCheckBox *TMainform::MakeSideBarToggle(const char *name, const QString &text, QPoint pos,
                                        const QString &tip, void (TMainform::*onToggled)())
{
    // In the automatic-fit box's font; the shortcut works wherever the focus is in the window.
    auto *box = new QCheckBox(text, Panel4);
    box->setObjectName(QLatin1String(name));
    box->setFont(cboxWide->font());
    box->move(pos);
    box->adjustSize();
    box->setStatusTip(tip);
    connect(box, &QCheckBox::toggled, this, onToggled);
    return box;
}

void TMainform::BuildLiveTree()
{
    m_liveTree = std::make_unique<LiveTree>();
    cboxPreview = MakeSideBarToggle("cboxPreview", tr("プレビュー"), {10, 33},
                                    tr("編集画面に木を重ねて表示 (Ctrl+L)"),
                                    &TMainform::cboxPreviewClick);
    m_actions->add({"actPreview", QT_TR_NOOP("プレビュー"), {QKeySequence(Qt::CTRL | Qt::Key_L)},
                    "", ActionMenu::View, [this] { cboxPreview->toggle(); }, true});
}

void TMainform::cboxPreviewClick()
{
    m_state.setLiveTree(cboxPreview->isChecked());
    // On: the tree appears under the arrows; off: the classic editor again. Either way the
    // hover mark is gone until the next move, as after any repaint.
    DrawEditor();
}

void TMainform::PaintEditorImage(QImage &img, const ViewState &editorView)
{
    ++m_editorPaints;
    const QColor textColor = palette().color(QPalette::WindowText);
    QPainter p(&img);
    if (!LiveTreeShown()) {
        PaintEditor(p, img.size(), m_table, editorView, textColor);
        return;
    }
    m_liveTree->Update(m_table, LiveTree::ShownDepth(m_table, m_state.depth()), editorView,
                       m_doc.renderSettings());
    PaintEditor(p, img.size(), m_table, editorView, textColor,
                [this](QPainter &painter) { m_liveTree->Draw(painter); });
}

void TMainform::ScheduleEditorRepaint(const EditorRepaint &r)
{
    m_pendingRepaint = r;
    m_pendingPaints = m_editorPaints;
    // The mark is as good as shown: a move away from it asks for the repaint that erases it.
    m_editor.HighlightShown = r.highlight != HighlightKind::None;
    if (m_repaintPosted) {
        return;
    }
    m_repaintPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_repaintPosted = false;
        // A repaint since the step (a command) has shown it already, and its mark may name a
        // row that is gone.
        if (m_editorPaints != m_pendingPaints) {
            return;
        }
        const EditorRepaint step = m_pendingRepaint;
        DrawEditor();
        if (step.highlight == HighlightKind::Point) {
            HighlightPoint(step.row);
        } else if (step.highlight == HighlightKind::Branch) {
            HighlightBranch(step.row);
        }
    });
}

void TMainform::RefreshLiveTree()
{
    // The hidden editor waits until it is shown again.
    if (!LiveTreeShown() || !editMode() || Img1->image().isNull()) {
        return;
    }
    ViewState editorView = m_view;
    editorView.ResetView();
    if (m_liveTree->Changed(m_table, LiveTree::ShownDepth(m_table, m_state.depth()), editorView,
                            m_doc.renderSettings())) {
        DrawEditor();
    }
}

} // namespace ramulet
