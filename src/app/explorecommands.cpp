#include "app/explorecommands.h"

#include "app/actions.h"
#include "app/animationdialog.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/variationdialog.h"
#include "app/windowstate.h"
#include "io/variationfile.h"

#include <QRandomGenerator>

namespace ramulet {

ExploreCommands::ExploreCommands(TemplateDocument &doc, const WindowState &state,
                                 const ViewState &view, const std::unique_ptr<Dialogs> &dialogs,
                                 QWidget *parent)
    : m_doc(doc), m_state(state), m_view(view), m_dialogs(dialogs), m_parent(parent)
{
}

void ExploreCommands::Variations()
{
    // The template as the editor shows it (a drag since the last growth included), with the
    // window's colours, as a file would hold it.
    BranchTable shown = m_doc.table();
    NormalizeTemplate(shown);
    const DrawSettings settings = m_doc.renderSettings();
    TemplateSettings file;
    file.BackColor = static_cast<int32_t>(settings.BackColor);
    file.TipColor = static_cast<int32_t>(settings.TipColor);
    file.TrunkColor = static_cast<int32_t>(settings.TrunkColor);
    file.PenWidthSetting = settings.PenWidthSetting;
    const VariationTemplate parent = VariationParent(shown, file);
    VariationLook look;
    look.settings = settings;
    look.depth = m_state.depth();

    VariationDialog dialog(parent, look, QRandomGenerator::global()->generate64(), m_parent);
    if (!m_dialogs->runVariations(dialog) || SameTemplate(dialog.centre(), parent)) {
        return;
    }
    const VariationTemplate &chosen = dialog.centre();
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "バリエーション")));
    TemplateState after = m_doc.capture();
    after.table.BranchCount = chosen.table.BranchCount;
    for (int32_t i = 0; i <= chosen.table.BranchCount; ++i) {
        after.table.Branches[static_cast<size_t>(i)] = chosen.table.Branches[static_cast<size_t>(i)];
    }
    ViewState editorView = m_view; // the editor always works in the default view
    editorView.ResetView();
    UpdateAllScreenPoints(after.table, editorView);
    after.settings.TipColor = chosen.colors.tip;
    after.settings.TrunkColor = chosen.colors.trunk;
    m_doc.replace(after);
}

void ExploreCommands::Animation()
{
    m_dialogs->runAnimation(AnimationSource{m_doc.table(), m_doc.settings(), m_view,
                                            m_state.depth(), m_state.fit(), m_state.smooth()});
}

void ExploreCommands::AddActions(WindowActions &actions)
{
    actions.add({.name = "actVariation",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "バリエーション(&T)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "いまのテンプレートの変化形から選ぶ"),
                 .menu = ActionMenu::Edit,
                 .group = 3,
                 .target = [this] { Variations(); }});
    actions.add({.name = "actAnimation",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "アニメーション(&N)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform",
                                           "木が育つ・揺れる・変わるアニメーションを作る"),
                 .menu = ActionMenu::Edit,
                 .group = 3,
                 .target = [this] { Animation(); }});
}

} // namespace ramulet
