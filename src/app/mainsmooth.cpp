// The main window's smooth pictures: the check box "なめらか" with Ctrl+Shift+A. Checked, the
// tree view, the live tree, the clipboard's bitmap and PNG exports are drawn antialiased by
// area coverage; SVG and PDF are vector pictures either way. The setting belongs to the
// window, not to the template: files do not store it.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/pictureview.h"

#include <QAction>
#include <QCheckBox>
#include <QKeySequence>

namespace ramulet {

void TMainform::BuildSmooth()
{
    cboxSmooth = new QCheckBox(tr("なめらか"), Panel4);
    cboxSmooth->setObjectName(QStringLiteral("cboxSmooth"));
    cboxSmooth->setFont(cboxWide->font());
    cboxSmooth->move(10, 58);
    cboxSmooth->adjustSize();
    cboxSmooth->setStatusTip(tr("木をなめらかに描く (Ctrl+Shift+A)"));
    connect(cboxSmooth, &QCheckBox::toggled, this, &TMainform::cboxSmoothClick);

    auto *toggle = new QAction(this);
    toggle->setObjectName(QStringLiteral("actSmooth"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    toggle->setShortcutContext(Qt::WindowShortcut);
    addAction(toggle);
    connect(toggle, &QAction::triggered, cboxSmooth, &QCheckBox::toggle);
}

bool TMainform::SmoothShown() const { return cboxSmooth != nullptr && cboxSmooth->isChecked(); }

void TMainform::cboxSmoothClick()
{
    // The same pictures in the other look: nothing is grown or recorded again.
    m_liveTree->SetSmooth(SmoothShown());
    if (m_picture && !CImg->image().isNull()) {
        ShowTreePicture(CImg->image(), *m_picture, m_settings.BackColor, SmoothShown());
        CImg->update();
    }
    if (LiveTreeShown() && editMode()) {
        DrawEditor();
    }
}

} // namespace ramulet
