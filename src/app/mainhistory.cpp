// The main window's undo and redo, picture export and keyboard shortcuts. Each template edit
// is recorded after it is made, as the states before and after it; undo and redo put one of
// them back.

#include "app/Main.h"

#include "app/bevelpanel.h"
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
    // Export beside the copy button; undo and redo in Panel1, right of the depth buttons.
    SBExport = MakeGlyphButton(Panel3, "SBExport", ExportButtonRect, ExportGlyph(),
                               tr("画像の書き出し"));
    SBUndo = MakeGlyphButton(Panel1, "SBUndo", UndoButtonRect, UndoGlyph(),
                             tr("元に戻す"));
    SBRedo = MakeGlyphButton(Panel1, "SBRedo", RedoButtonRect, RedoGlyph(),
                             tr("やり直し"));
    QUndoStack *stack = m_doc.undoStack();
    SBUndo->setEnabled(stack->canUndo());
    SBRedo->setEnabled(stack->canRedo());
    connect(SBExport, &QToolButton::clicked, this, &TMainform::SBExportClick);
    connect(SBUndo, &QToolButton::clicked, this, &TMainform::UndoClick);
    connect(SBRedo, &QToolButton::clicked, this, &TMainform::RedoClick);
    connect(stack, &QUndoStack::canUndoChanged, SBUndo, &QToolButton::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, SBRedo, &QToolButton::setEnabled);
}

void TMainform::BuildActions()
{
    m_actions = new WindowActions(this, [this] { return Idle(); });
    QUndoStack *stack = m_doc.undoStack();
    m_actions->adopt(stack->createUndoAction(this, tr("元に戻す")),
                     {"actUndo", QT_TR_NOOP("元に戻す"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                      "", ActionMenu::Edit, [stack] { stack->undo(); }});
    m_actions->adopt(stack->createRedoAction(this, tr("やり直し")),
                     {"actRedo",
                      QT_TR_NOOP("やり直し"),
                      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                       QKeySequence(Qt::CTRL | Qt::Key_Y)},
                      "",
                      ActionMenu::Edit,
                      [stack] { stack->redo(); }});
    m_actions->add({"actOpen", QT_TR_NOOP("データの読み出し"),
                    {QKeySequence(Qt::CTRL | Qt::Key_O)}, "", ActionMenu::File,
                    [this] { OpenFileCommand(); }});
    m_actions->add({"actSave", QT_TR_NOOP("データの記録"), {QKeySequence(Qt::CTRL | Qt::Key_S)},
                    "", ActionMenu::File, [this] { SaveFileCommand(); }});
    m_actions->add({"actCopy", QT_TR_NOOP("コピー"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, "",
                    ActionMenu::Edit, [this] { CopyPicture(); }});
    m_actions->add({"actExport", QT_TR_NOOP("画像の書き出し"),
                    {QKeySequence(Qt::CTRL | Qt::Key_E)}, "", ActionMenu::File,
                    [this] { ExportPicture(); }});
    m_actions->add({"actGallery", QT_TR_NOOP("見本"),
                    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, "", ActionMenu::File,
                    [this] { OpenGallery(); }});
}

// ---------------------------------------------------------------------------------------
// Undo and redo

void TMainform::UndoClick()
{
    // Not in the middle of an editor drag: the step it makes is not finished yet.
    if (m_doc.undoStack()->canUndo()) {
        m_actions->run(QStringLiteral("actUndo"));
    }
}

void TMainform::RedoClick()
{
    if (m_doc.undoStack()->canRedo()) {
        m_actions->run(QStringLiteral("actRedo"));
    }
}

void TMainform::ShowRestored(bool looksChanged)
{
    // The rows the hover state named may be gone or elsewhere.
    m_editor.clearHover();
    ApplyEditorCursor();
    DrawEditor();
    if (!editMode() && !DepthUsable(EstimateSegmentCount(m_table, m_state.depth()))) {
        // The template brought back is too large for the depth on show, whose button is no
        // longer offered: back to the editor, as if the user had chosen it.
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
}

// ---------------------------------------------------------------------------------------
// Export

void TMainform::SBExportClick() { m_actions->run(QStringLiteral("actExport")); }

void TMainform::ExportPicture()
{
    // Hold the picture through the dialogs: a resize meanwhile records a new one.
    const std::shared_ptr<const TreePicture> picture = m_picture;
    if (!picture) {
        m_dialogs->beep();
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
    const QString preset = ExportPreset(m_lastExport, m_doc.fileName(), shownFormat);
    QString filter = m_exportFilter;
    const QString chosen = m_dialogs->chooseExportFile(preset, &filter);
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
        !m_dialogs->askYesNo(tr("%1 は既にあります。置き換えますか?")
                      .arg(QFileInfo(path).fileName()))) {
        return;
    }

    const PictureFormat format = PictureFormatForPath(path);
    int pngWidth = m_view.viewWidth;
    if (format == PictureFormat::Png) {
        const std::optional<int> width =
            m_dialogs->choosePngWidth(m_view.viewWidth, picture->pictureHeight());
        if (!width) {
            return;
        }
        pngWidth = std::clamp(*width, 1, MaxPngWidth(picture->pictureHeight()));
    }

    QString error;
    if (!WriteTreePicture(*picture, path, ExportPageSize(format, pngWidth, picture->pictureHeight()),
                          &error, SmoothShown())) {
        m_dialogs->warn(tr("画像を書き出せません: %1\n%2").arg(path, error));
        return;
    }
    m_lastExport = path;
}

} // namespace ramulet
