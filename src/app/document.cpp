#include "app/document.h"

#include "app/actions.h"
#include "app/dialogs.h"

#include <QAction>
#include <QUndoStack>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace ramulet {

namespace {

// Kept steps; older ones are dropped (each holds two small snapshots).
constexpr int UndoLimit = 1000;

} // namespace

// ---------------------------------------------------------------------------------------
// EditStep

EditStep::EditStep(TemplateDocument &doc, QString text, bool withFile, int mergeKey)
    : m_doc(doc), m_text(std::move(text)), m_withFile(withFile), m_mergeKey(mergeKey),
      m_before(doc.capture())
{
    if (m_withFile) {
        // The states after this step get a name of their own: a later save renames them,
        // not the states before it.
        m_doc.m_fileName = std::make_shared<QString>(*m_before.fileName);
    }
}

EditStep::~EditStep()
{
    if (m_withFile && !StatesDiffer(m_before, m_doc.capture(), true)) {
        // Nothing changed, so no step: the states stay one run with the old name.
        m_doc.m_fileName = m_before.fileName;
    }
    m_doc.record(m_text, m_before, m_withFile, m_mergeKey);
}

bool EditStep::changed() const { return StatesDiffer(m_before, m_doc.capture(), false); }

void EditStep::keepRowsBackInPlace()
{
    BranchTable &t = m_doc.m_table;
    if (m_before.table.BranchCount != t.BranchCount) {
        return;
    }
    for (int32_t i = 1; i <= std::clamp<int32_t>(t.BranchCount, 0, MaxBranches); ++i) {
        const TBranch &was = m_before.table.Branches[static_cast<size_t>(i)];
        TBranch &row = t.Branches[static_cast<size_t>(i)];
        // A row given exact values meanwhile (a snapped drag) keeps them.
        if (row.moved && row.screenStart == was.screenStart && row.screenEnd == was.screenEnd) {
            row.moved = was.moved;
        }
    }
}

// ---------------------------------------------------------------------------------------
// TemplateDocument

TemplateDocument::TemplateDocument(BranchTable &table, const ViewState &frame, QObject *parent)
    : QObject(parent), m_table(table), m_frame(frame), m_undo(new QUndoStack(this))
{
    m_undo->setUndoLimit(UndoLimit);
}

TemplateDocument::~TemplateDocument()
{
    // An open drag records nothing once the document goes.
    m_restoring = true;
    m_drag.reset();
}

int TemplateDocument::PenIndexFor(int32_t penWidthSetting)
{
    return std::clamp(penWidthSetting / 20, 0, 10);
}

int32_t TemplateDocument::PenWidthFor(int penIndex) { return std::clamp(penIndex, 0, 10) * 20; }

DrawSettings TemplateDocument::renderSettings() const
{
    DrawSettings s = m_settings;
    s.PenWidthSetting = PenWidthFor(m_penIndex);
    return s;
}

bool TemplateDocument::hasUnsavedChanges() const
{
    return !m_undo->isClean() || (m_drag && m_drag->changed());
}

void TemplateDocument::setColor(TColor DrawSettings::*which, TColor colour)
{
    m_settings.*which = colour;
    emit settingsChanged();
}

void TemplateDocument::setPenIndex(int index)
{
    m_penIndex = std::clamp(index, 0, 10);
    emit settingsChanged();
}

void TemplateDocument::applySettings(const DrawSettings &s)
{
    m_settings = s;
    m_penIndex = PenIndexFor(s.PenWidthSetting);
    emit settingsChanged();
}

void TemplateDocument::resetColors()
{
    const DrawSettings defaults;
    m_settings.BackColor = defaults.BackColor;
    m_settings.TipColor = defaults.TipColor;
    m_settings.TrunkColor = defaults.TrunkColor;
    emit settingsChanged();
}

void TemplateDocument::setFileName(const QString &path)
{
    *m_fileName = path;
    emit fileNameChanged(path);
}

void TemplateDocument::settlePenWidth() { m_settings.PenWidthSetting = PenWidthFor(m_penIndex); }

void TemplateDocument::beginDrag(const QString &text) { m_drag.emplace(*this, text); }

void TemplateDocument::endDrag()
{
    if (m_drag) {
        m_drag->keepRowsBackInPlace();
        m_drag.reset();
    }
}

TemplateState TemplateDocument::capture() const
{
    TemplateState s;
    s.table = m_table;
    s.settings = m_settings;
    s.penIndex = m_penIndex;
    s.fileName = m_fileName;
    // The frame of the pixel points: while the views have no area, their last size with area.
    s.viewSize = QSize(m_frame.frameWidth, m_frame.frameHeight);
    return s;
}

void TemplateDocument::record(const QString &text, const TemplateState &before, bool withFile,
                              int mergeKey)
{
    if (m_restoring) {
        return;
    }
    TemplateState after = capture();
    if (!StatesDiffer(before, after, withFile)) {
        return;
    }
    auto *step = new TemplateStepCommand(
        text, before, std::move(after), withFile,
        [this](const TemplateState &s, bool file) { restore(s, file); });
    step->setMergeKey(mergeKey);
    m_undo->push(step);
}

void TemplateDocument::restore(const TemplateState &s, bool withFile)
{
    m_restoring = true;
    const bool looksChanged = s.settings.BackColor != m_settings.BackColor ||
                              s.settings.TipColor != m_settings.TipColor ||
                              s.settings.TrunkColor != m_settings.TrunkColor ||
                              s.penIndex != m_penIndex;
    m_table = s.table;
    // The pixel points belong to the view size of their time; a resize since then has
    // rebuilt the others for the present size. Rows nobody moved are drawn from their exact
    // values again.
    MovePixelPoints(m_table, s.viewSize, QSize(m_frame.frameWidth, m_frame.frameHeight));
    m_settings = s.settings;
    m_penIndex = s.penIndex;
    emit settingsChanged();
    if (withFile) {
        m_fileName = s.fileName;
        emit fileNameChanged(*m_fileName);
    }
    emit restored(looksChanged);
    // A render derives the stored pen width from the list; the step brings back the value
    // of its time (a loaded file's own value stays until the next render of the user's).
    m_settings.PenWidthSetting = s.settings.PenWidthSetting;
    m_restoring = false;
}

void TemplateDocument::AddActions(WindowActions &actions, QWidget *window)
{
    // The history's own actions: their text names the step, their availability follows it.
    QUndoStack *stack = m_undo;
    WindowAction undo{.name = "actUndo",
                      .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "元に戻す(&U)"),
                      .keys = {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                      .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "最後の編集を取り消す"),
                      .menu = ActionMenu::Edit,
                      .group = 1,
                      .target = [stack] { stack->undo(); }};
    actions.adopt(stack->createUndoAction(window, WindowText(undo.text)), std::move(undo));
    WindowAction redo{.name = "actRedo",
                      .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "やり直し(&R)"),
                      .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                               QKeySequence(Qt::CTRL | Qt::Key_Y)},
                      .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "取り消した編集をやり直す"),
                      .menu = ActionMenu::Edit,
                      .group = 1,
                      .target = [stack] { stack->redo(); }};
    actions.adopt(stack->createRedoAction(window, WindowText(redo.text)), std::move(redo));
}

} // namespace ramulet
