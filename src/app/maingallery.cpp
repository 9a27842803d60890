// The main window's gallery of example templates: the side-bar button in the credits panel,
// Ctrl+Shift+O (in BuildShortcuts) and opening the chosen example.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/gallerydialog.h"
#include "io/examples.h"

#include <QToolButton>

namespace ramulet {

void TMainform::BuildGallery()
{
    // A flat text button like SBInit, in its font.
    SBGallery = new QToolButton(Panel4);
    SBGallery->setObjectName(QStringLiteral("SBGallery"));
    SBGallery->setGeometry(GalleryButtonRect);
    SBGallery->setAutoRaise(true);
    SBGallery->setFocusPolicy(Qt::NoFocus);
    SBGallery->setFont(SBInit->font());
    SBGallery->setText(tr("見本"));
    SBGallery->setStatusTip(tr("見本のテンプレートを開く (Ctrl+Shift+O)"));
    SBGallery->raise();
    connect(SBGallery, &QToolButton::clicked, this, &TMainform::SBGalleryClick);

    m_thumbnails =
        new ThumbnailCache(QSize(GalleryThumbnailSide, GalleryThumbnailSide), this);
}

void TMainform::SBGalleryClick()
{
    // Not while a button is held in a view (the shortcut during a drag).
    if (m_mouseIsDown) {
        return;
    }
    const QStringList examples = InstalledExamples();
    if (examples.isEmpty()) {
        Warn(tr("見本のテンプレートが見つかりません"));
        return;
    }
    const QString chosen = ChooseExample(examples);
    if (chosen.isEmpty()) {
        return;
    }
    LoadFromFile(chosen);
}

QString TMainform::ChooseExample(const QStringList &examples)
{
    if (m_hooks.chooseExample) {
        return m_hooks.chooseExample(examples);
    }
    GalleryDialog dialog(examples, *m_thumbnails, this);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedPath();
}

} // namespace ramulet
