// The main window's undo and redo, picture export and keyboard shortcuts. Each template edit
// is recorded after it is made, as the states before and after it; undo and redo put one of
// them back.

#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/branchvalueswindow.h"
#include "app/glyphs.h"
#include "app/pictureview.h"
#include "core/segments.h"
#include "editor/editordraw.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QToolButton>
#include <QUndoStack>

#include <algorithm>
#include <memory>

namespace ramulet {

namespace {

// Kept steps; older ones are dropped (each holds two small snapshots).
constexpr int UndoLimit = 1000;

QToolButton *MakeGlyphButton(QWidget *parent, const char *name, const QRect &geometry,
                             const QPixmap &glyph, const QString &hint)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(QIcon(glyph));
    // The classic 20-pixel glyph, smaller where the button is narrower than the others.
    const int side = std::min(20, geometry.width() - 6);
    b->setIconSize({side, side});
    b->setStatusTip(hint);
    return b;
}

} // namespace

void TMainform::BuildCommandRow()
{
    m_undoStack = new QUndoStack(this);
    m_undoStack->setUndoLimit(UndoLimit);

    // Export beside the copy button; undo and redo in Panel1, right of the depth buttons.
    SBExport = MakeGlyphButton(Panel3, "SBExport", ExportButtonRect, ExportGlyph(),
                               tr("画像の書き出し"));
    SBUndo = MakeGlyphButton(Panel1, "SBUndo", UndoButtonRect, UndoGlyph(),
                             tr("元に戻す"));
    SBRedo = MakeGlyphButton(Panel1, "SBRedo", RedoButtonRect, RedoGlyph(),
                             tr("やり直し"));
    SBUndo->setEnabled(false);
    SBRedo->setEnabled(false);
    connect(SBExport, &QToolButton::clicked, this, &TMainform::SBExportClick);
    connect(SBUndo, &QToolButton::clicked, this, &TMainform::UndoClick);
    connect(SBRedo, &QToolButton::clicked, this, &TMainform::RedoClick);
    connect(m_undoStack, &QUndoStack::canUndoChanged, SBUndo, &QToolButton::setEnabled);
    connect(m_undoStack, &QUndoStack::canRedoChanged, SBRedo, &QToolButton::setEnabled);

    m_penIndexCommitted = cboxPenWidth->currentIndex();
}

void TMainform::BuildShortcuts()
{
    auto add = [this](const char *name, const QList<QKeySequence> &keys, auto slot) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction *undo = add("actUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &TMainform::UndoClick);
    QAction *redo = add("actRedo",
                        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                         QKeySequence(Qt::CTRL | Qt::Key_Y)},
                        &TMainform::RedoClick);
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(m_undoStack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    add("actOpen", {QKeySequence(Qt::CTRL | Qt::Key_O)}, &TMainform::SBloadClick);
    add("actSave", {QKeySequence(Qt::CTRL | Qt::Key_S)}, &TMainform::SaveInPlace);
    add("actCopy", {QKeySequence(Qt::CTRL | Qt::Key_C)}, &TMainform::SpeedButton17Click);
    add("actExport", {QKeySequence(Qt::CTRL | Qt::Key_E)}, &TMainform::SBExportClick);
    add("actGallery", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        &TMainform::SBGalleryClick);
    add("actAnimation", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
        &TMainform::AnimationClick);
    add("actVariation", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
        &TMainform::SBVariationClick);
}

void TMainform::setExportHooks(ExportHooks hooks) { m_exportHooks = std::move(hooks); }

// ---------------------------------------------------------------------------------------
// Undo and redo

TemplateState TMainform::CaptureTemplateState() const
{
    TemplateState s;
    s.table = m_table;
    s.settings = m_settings;
    s.penIndex = cboxPenWidth->currentIndex();
    s.fileName = m_fileName;
    // The frame of the pixel points: while the views have no area, their last size with area.
    s.viewSize = QSize(m_view.frameWidth, m_view.frameHeight);
    return s;
}

void TMainform::RecordStep(const QString &text, const TemplateState &before, bool withFile,
                           int mergeKey)
{
    m_penIndexCommitted = cboxPenWidth->currentIndex();
    if (m_restoring) {
        return;
    }
    TemplateState after = CaptureTemplateState();
    if (!StatesDiffer(before, after, withFile)) {
        return;
    }
    auto *step = new TemplateStepCommand(
        text, before, std::move(after), withFile,
        [this](const TemplateState &s, bool file) { RestoreTemplateState(s, file); });
    step->setMergeKey(mergeKey);
    m_undoStack->push(step);
}

void TMainform::FinishDragStep()
{
    if (!m_dragBefore) {
        return;
    }
    const TemplateState before = std::move(*m_dragBefore);
    m_dragBefore.reset();
    // A row dragged away and back to its very pixels is as it was: it keeps its exact values.
    if (before.table.BranchCount == m_table.BranchCount) {
        for (int32_t i = 1; i <= std::clamp<int32_t>(m_table.BranchCount, 0, MaxBranches); ++i) {
            const TBranch &was = before.table.Branches[static_cast<size_t>(i)];
            TBranch &row = m_table.Branches[static_cast<size_t>(i)];
            // A row given exact values meanwhile (a snapped drag) keeps them.
            if (row.moved && row.screenStart == was.screenStart && row.screenEnd == was.screenEnd) {
                row.moved = was.moved;
            }
        }
    }
    RecordStep(m_dragText, before);
    // A row back in place has its exact values again, which the values window shows.
    if (m_values && m_values->isVisible()) {
        m_values->refresh();
    }
}

void TMainform::KeepSavedNameInHistory()
{
    // Every command on the stack is a TemplateStepCommand pushed by RecordStep; the stack
    // hands them out as const only.
    auto step = [this](int i) {
        return const_cast<TemplateStepCommand *>(
            dynamic_cast<const TemplateStepCommand *>(m_undoStack->command(i)));
    };
    // Only loads and resets put a file name back, so the name shown is the same all along
    // the steps between the nearest of them below and above the present state: after the
    // save it is the new one there. The file steps keep their own name on their far side.
    for (int i = m_undoStack->index() - 1; TemplateStepCommand *s = step(i); --i) {
        s->setAfterFileName(m_fileName);
        if (s->withFile()) {
            break;
        }
        s->setBeforeFileName(m_fileName);
    }
    for (int i = m_undoStack->index(); TemplateStepCommand *s = step(i); ++i) {
        s->setBeforeFileName(m_fileName);
        if (s->withFile()) {
            break;
        }
        s->setAfterFileName(m_fileName);
    }
}

void TMainform::RestoreTemplateState(const TemplateState &s, bool withFile)
{
    m_restoring = true;
    const bool looksChanged = s.settings.BackColor != m_settings.BackColor ||
                              s.settings.TipColor != m_settings.TipColor ||
                              s.settings.TrunkColor != m_settings.TrunkColor ||
                              s.penIndex != cboxPenWidth->currentIndex();

    m_table = s.table;
    // The pixel points belong to the view size of their time; a resize since then has
    // rebuilt the others for the present size. Rows nobody moved are drawn from their exact
    // values again.
    MovePixelPoints(m_table, s.viewSize, QSize(m_view.frameWidth, m_view.frameHeight));
    ApplySettings(s.settings);
    cboxPenWidth->setCurrentIndex(s.penIndex); // silently, as ApplySettings does
    m_penIndexCommitted = s.penIndex;
    if (withFile) {
        SetCurrentFile(s.fileName);
    }

    // The rows the hover state named may be gone or elsewhere.
    m_editor.clearHover();
    ApplyEditorCursor();
    DrawEditor();
    if (!editMode() && !DepthUsable(EstimateSegmentCount(m_table, m_depth))) {
        // The template brought back is too large for the depth on show, whose button is no
        // longer offered: back to the editor, as if the user had chosen it.
        SBEdit->setChecked(true);
        SBEditClick();
        if (looksChanged) {
            RenderPicture();
        }
    } else if (!editMode()) {
        GenerateTree();
    } else if (looksChanged) {
        // The picture that copy and export take follows the swatches, as after a choice.
        RenderPicture();
    }
    // A render derives the stored pen width from the list; the step brings back the value
    // of its time (a loaded file's own value stays until the next render of the user's).
    m_settings.PenWidthSetting = s.settings.PenWidthSetting;
    m_restoring = false;
}

bool TMainform::HasUnsavedChanges() const
{
    if (!m_undoStack->isClean()) {
        return true;
    }
    return m_dragBefore && StatesDiffer(*m_dragBefore, CaptureTemplateState(), false);
}

void TMainform::UndoClick()
{
    // Not in the middle of an editor drag: the step it makes is not finished yet.
    if (m_mouseIsDown || m_dragBefore || !m_undoStack->canUndo()) {
        return;
    }
    m_undoStack->undo();
}

void TMainform::RedoClick()
{
    if (m_mouseIsDown || m_dragBefore || !m_undoStack->canRedo()) {
        return;
    }
    m_undoStack->redo();
}

// ---------------------------------------------------------------------------------------
// Export

void TMainform::SBExportClick()
{
    // Not while a button is held in a view (a shortcut during a drag).
    if (m_mouseIsDown) {
        return;
    }
    // Hold the picture through the dialogs: a resize meanwhile records a new one.
    const std::shared_ptr<const TreePicture> picture = m_picture;
    if (!picture) {
        Beep();
        return;
    }
    if (m_exportFilter.isEmpty()) {
        m_exportFilter = PictureExportFilter(PictureFormat::Svg);
    }
    PictureFormat shownFormat = PictureFormat::Svg;
    for (PictureFormat f : {PictureFormat::Png, PictureFormat::Pdf}) {
        if (m_exportFilter == PictureExportFilter(f)) {
            shownFormat = f;
        }
    }
    // Next to the template, unless its folder cannot be written (an installed example).
    const QString preset = ProposedSavePath(ExportPreset(m_lastExport, m_fileName, shownFormat),
                                            DocumentsFolder(), m_writable);
    QString filter = m_exportFilter;
    QString chosen;
    if (m_exportHooks.chooseFile) {
        chosen = m_exportHooks.chooseFile(preset, &filter);
    } else {
        chosen = QFileDialog::getSaveFileName(this, tr("画像の書き出し"), preset,
                                              PictureExportFilters(), &filter);
    }
    if (chosen.isEmpty()) {
        return;
    }
    if (!filter.isEmpty()) {
        m_exportFilter = filter;
    }

    // The dialog asked about replacing the name as chosen; an appended extension names
    // another file, so ask again for that one.
    const QString path = WithPictureExtension(chosen, filter);
    if (path != chosen && QFileInfo::exists(path) &&
        !AskYesNo(tr("%1 は既にあります。置き換えますか?")
                      .arg(QFileInfo(path).fileName()))) {
        return;
    }

    const PictureFormat format = PictureFormatForPath(path);
    int pngWidth = m_view.viewWidth;
    if (format == PictureFormat::Png) {
        std::optional<int> width;
        if (m_exportHooks.choosePngWidth) {
            width = m_exportHooks.choosePngWidth(m_view.viewWidth, picture->pictureHeight());
        } else {
            PngSizeDialog dialog(m_view.viewWidth, picture->pictureHeight(), this);
            if (dialog.exec() == QDialog::Accepted) {
                width = dialog.chosenWidth();
            }
        }
        if (!width) {
            return;
        }
        pngWidth = std::clamp(*width, 1, MaxPngWidth(picture->pictureHeight()));
    }

    QString error;
    if (!WriteTreePicture(*picture, path, ExportPageSize(format, pngWidth, picture->pictureHeight()),
                          &error, SmoothShown())) {
        Warn(tr("画像を書き出せません: %1\n%2").arg(path, error));
        return;
    }
    m_lastExport = path;
}

} // namespace ramulet
