// The main window's gallery of example templates: the side-bar button in the credits panel,
// Ctrl+Shift+O (in BuildShortcuts) and opening the chosen example.

#include "app/Main.h"

#include "app/bevelpanel.h"
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
}

void TMainform::SBGalleryClick() { m_actions->run(QStringLiteral("actGallery")); }

void TMainform::OpenGallery()
{
    const QStringList examples = InstalledExamples();
    if (examples.isEmpty()) {
        m_dialogs->warn(tr("見本のテンプレートが見つかりません"));
        return;
    }
    const QString chosen = m_dialogs->chooseExample(examples);
    if (chosen.isEmpty()) {
        return;
    }
    LoadFromFile(chosen);
}

} // namespace ramulet
