// The main window's Variations: the side-bar button in the credits panel, Ctrl+Shift+V (in
// BuildShortcuts) and putting the chosen variation into the window as one undoable step.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/variationdialog.h"
#include "io/variationfile.h"

#include <QComboBox>
#include <QFont>
#include <QRandomGenerator>
#include <QToolButton>

namespace ramulet {

void TMainform::BuildVariations()
{
    // A flat text button like the gallery's, below it, in a smaller size of its font so that
    // its longer text stays clear of the credits' pictures.
    SBVariation = new QToolButton(Panel4);
    SBVariation->setObjectName(QStringLiteral("SBVariation"));
    SBVariation->setGeometry(VariationButtonRect);
    SBVariation->setAutoRaise(true);
    SBVariation->setFocusPolicy(Qt::NoFocus);
    QFont font = SBInit->font();
    font.setPixelSize(13);
    SBVariation->setFont(font);
    SBVariation->setText(tr("バリエーション"));
    SBVariation->setStatusTip(tr("いまのテンプレートの変化形から選ぶ (Ctrl+Shift+V)"));
    SBVariation->raise();
    connect(SBVariation, &QToolButton::clicked, this, &TMainform::SBVariationClick);
}

void TMainform::SBVariationClick()
{
    // Not while a button is held in a view (the shortcut during a drag).
    if (m_mouseIsDown) {
        return;
    }
    // The template as the editor shows it (a drag since the last growth included), with the
    // window's colours, as a file would hold it.
    BranchTable shown = m_table;
    NormalizeTemplate(shown);
    const int penIndex = cboxPenWidth->currentIndex();
    TemplateSettings file;
    file.BackColor = static_cast<int32_t>(m_settings.BackColor);
    file.TipColor = static_cast<int32_t>(m_settings.TipColor);
    file.TrunkColor = static_cast<int32_t>(m_settings.TrunkColor);
    file.PenWidthSetting = penIndex * 20;
    const VariationTemplate parent = VariationParent(shown, file);
    VariationLook look;
    look.settings = m_settings;
    look.settings.PenWidthSetting = penIndex * 20;
    look.depth = m_depth;

    VariationDialog dialog(parent, look, QRandomGenerator::global()->generate64(), this);
    const bool accepted = m_hooks.runVariations ? m_hooks.runVariations(dialog)
                                                : dialog.exec() == QDialog::Accepted;
    if (!accepted || SameTemplate(dialog.centre(), parent)) {
        return;
    }
    const VariationTemplate &chosen = dialog.centre();
    const TemplateState before = CaptureTemplateState();
    TemplateState after = before;
    after.table.BranchCount = chosen.table.BranchCount;
    for (int32_t i = 0; i <= chosen.table.BranchCount; ++i) {
        after.table.Branches[static_cast<size_t>(i)] = chosen.table.Branches[static_cast<size_t>(i)];
    }
    ViewState editorView = m_view; // the editor always works in the default view
    editorView.ResetView();
    UpdateAllScreenPoints(after.table, editorView);
    after.settings.TipColor = chosen.colors.tip;
    after.settings.TrunkColor = chosen.colors.trunk;
    RestoreTemplateState(after, false);
    RecordStep(tr("バリエーション"), before);
}

} // namespace ramulet
