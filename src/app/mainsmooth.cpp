// The main window's smooth pictures: the check box "なめらか" with Ctrl+Shift+A. Checked, the
// tree view, the live tree, the clipboard's bitmap and PNG exports are drawn antialiased by
// area coverage; SVG and PDF are vector pictures either way. The setting belongs to the
// window, not to the template: files do not store it.

#include "app/Main.h"

#include "app/pictureview.h"

#include <QCheckBox>
#include <QKeySequence>

namespace ramulet {

void TMainform::BuildSmooth()
{
    cboxSmooth = MakeSideBarToggle("cboxSmooth", tr("なめらか"), {10, 58},
                                   tr("木をなめらかに描く (Ctrl+Shift+A)"),
                                   &TMainform::cboxSmoothClick);
    m_actions->add({"actSmooth", QT_TR_NOOP("なめらか"),
                    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)}, "", ActionMenu::View,
                    [this] { cboxSmooth->toggle(); }, true});
}

void TMainform::cboxSmoothClick()
{
    m_state.setSmooth(cboxSmooth->isChecked());
    // The same pictures in the other look: nothing is grown or recorded again.
    m_liveTree->SetSmooth(SmoothShown());
    if (m_picture && !CImg->image().isNull()) {
        ShowTreePicture(CImg->image(), *m_picture, m_doc.settings().BackColor, SmoothShown());
        CImg->update();
    }
    if (LiveTreeShown() && editMode()) {
        DrawEditor();
    }
}

} // namespace ramulet
