// The main window's animation dialog "アニメーション" (Ctrl+Shift+N, in BuildShortcuts): what
// the tree view shows, handed to the dialog.

#include "app/Main.h"
#include "app/animationdialog.h"
#include "io/examples.h"

#include <QCheckBox>

namespace ramulet {

void TMainform::AnimationClick() {
    // Not while a button is held in a view (the shortcut during a drag).
    if (m_mouseIsDown) {
        return;
    }
    const AnimationSource source{m_table,      m_settings, m_view, m_depth, cboxWide->isChecked(),
                                 SmoothShown()};
    if (m_hooks.animation) {
        m_hooks.animation(source);
        return;
    }
    AnimationDialog dialog(source, InstalledExamples(), this);
    dialog.exec();
}

} // namespace ramulet
