#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/controlactions.h"
#include "app/editorkeys.h"
#include "app/explorecommands.h"
#include "app/glyphs.h"
#include "app/menubar.h"
#include "app/pictureview.h"
#include "app/swatch.h"
#include "app/valuespane.h"
#include "io/paths.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QUndoStack>

namespace ramulet {

TMainform::TMainform(QWidget *parent) : TMainform(QStringList(), parent) {}

TMainform::TMainform(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), m_table(ProgramTemplate()), m_doc(m_table, m_view),
      m_dialogs(std::make_unique<QtDialogs>(this)), m_arguments(arguments)
{
    SetupForm(this);
    BuildParts();
    WireControls();
    BuildActions();
    FormCreate();
    // The history starts with the window as opened, a file named on the command line included.
    m_doc.undoStack()->clear();
}

TMainform::~TMainform() = default;

void TMainform::setDialogs(std::unique_ptr<Dialogs> dialogs) { m_dialogs = std::move(dialogs); }
bool TMainform::Idle() const { return !m_state.mouseHeld() && !m_doc.dragOpen(); }

QCursor TMainform::cursorById(int id) const
{
    const auto it = m_cursors.find(id);
    return it != m_cursors.end() ? it->second : QCursor(Qt::ArrowCursor);
}

QToolButton *TMainform::depthButton(int n) const
{
    return n >= 1 && n <= MaxDepth ? m_depthButtons[static_cast<size_t>(n)] : nullptr;
}

BranchValuesWindow *TMainform::branchValues() const { return m_values->window(); }

QSize TMainform::WindowSizeFor(QSize client) const
{
    return client + QSize(0, menuBar()->sizeHint().height());
}

QString TMainform::ShortcutsText() const
{
    return ramulet::ShortcutsText(*m_actions, Img1->statusTip(), CImg->statusTip());
}

void TMainform::setWritableTest(const WritableTest &test)
{
    m_files->setWritableTest(test);
    m_treePane->setWritableTest(test);
}

// ---------------------------------------------------------------------------------------
// The parts and their wiring

void TMainform::BuildParts()
{
    m_view.SetViewSize(DesignViewWidth, DesignViewHeight);
    m_cursors[crHandPoint] = MakeHandCursor();
    m_cursors[crZoom] = MakeZoomCursor();
    m_cursors[crMove] = MakeMoveCursor();
    m_editorPane = new EditorPane(m_doc, m_state, m_view, Img1, this, m_cursors);
    m_editorPane->setAddButton(sbAdd);
    m_treePane = new TreePane(m_doc, m_state, m_view, CImg, m_dialogs, cursorById(crZoom),
                              [this] { RenderPicture(); }, this);
    m_files = std::make_unique<FileCommands>(
        m_doc, m_view, m_dialogs, [this] { return Idle(); }, [this] { ResetAll(); },
        [this] { DrawEditor(); });
    m_values = new ValuesPane(m_doc, m_state, *m_editorPane, this,
                              [this] { ShowChangedTemplate(false); });
    m_explore = std::make_unique<ExploreCommands>(m_doc, m_state, m_view, m_dialogs, this);
    m_keys = new EditorKeys(this, m_state, *m_editorPane, [this] { m_treePane->DefaultView(); });
    m_depthButtons = FindDepthButtons(this);
    m_editorPane->setDepthButtons(m_depthButtons);
    connect(&m_doc, &TemplateDocument::settingsChanged, this, &TMainform::ShowSettings);
    connect(&m_doc, &TemplateDocument::fileNameChanged, this, &TMainform::SetCurrentFile);
    connect(&m_doc, &TemplateDocument::restored, this, &TMainform::ShowRestored);
    connect(&m_state, &WindowState::changed, this, &TMainform::ShowMode);
}

void TMainform::WireControls()
{
    connect(ImagePanel, &BevelPanel::resized, this, [this] { ResizeViews(false); });
    connect(CImg, &PictureView::mouseDown, this, &TMainform::CImgMouseDown);
    connect(CImg, &PictureView::mouseMove, this, &TMainform::CImgMouseMove);
    connect(CImg, &PictureView::mouseUp, this, &TMainform::CImgMouseUp);
    connect(CImg, &PictureView::wheelTurned, this, &TMainform::CImgMouseWheel);
    connect(CImg, &PictureView::doubleClicked, this, &TMainform::CImgDblClick);
    connect(Img1, &PictureView::mouseDown, this, &TMainform::Img1MouseDown);
    connect(Img1, &PictureView::mouseMove, this, &TMainform::Img1MouseMove);
    connect(Img1, &PictureView::mouseUp, this, &TMainform::Img1MouseUp);
    connect(Img1, &PictureView::contextMenuRequested, this, &TMainform::Img1ContextMenu);
    const std::pair<QToolButton *, void (TMainform::*)()> buttons[] = {
        {sbAdd, &TMainform::sbAddClick},       {SBEdit, &TMainform::SBEditClick},
        {SBInit, &TMainform::SBInitClick},     {BBclose, &TMainform::BBCloseClick},
        {SBload, &TMainform::SBloadClick},     {SpeedButton17, &TMainform::SpeedButton17Click},
        {SBSave, &TMainform::SBSaveClick},     {SBExport, &TMainform::SBExportClick},
        {SBUndo, &TMainform::UndoClick},       {SBRedo, &TMainform::RedoClick},
        {SBGallery, &TMainform::SBGalleryClick}, {SBValues, &TMainform::SBValuesClick},
        {SBVariation, &TMainform::SBVariationClick}};
    for (const auto &[button, handler] : buttons) {
        connect(button, &QToolButton::clicked, this, handler);
    }
    connect(shapeB, &ColorSwatch::released, this, &TMainform::shapeBMouseUp);
    connect(ShapeP, &ColorSwatch::released, this, &TMainform::ShapePMouseUp);
    connect(Shape1, &ColorSwatch::released, this, &TMainform::Shape1MouseUp);
    // Only the user's choices run the handler; a file load sets the index silently.
    connect(cboxPenWidth, &QComboBox::activated, this, &TMainform::cboxPenWidthChange);
    connect(cboxWide, &QCheckBox::clicked, this, &TMainform::cboxWideClick);
    connect(cboxPreview, &QCheckBox::toggled, this, &TMainform::cboxPreviewClick);
    connect(cboxSmooth, &QCheckBox::toggled, this, &TMainform::cboxSmoothClick);
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TMainform::PopupMenu2Popup);
    connect(m_kindGroup, &QActionGroup::triggered, this, &TMainform::mnorderClick);
    connect(MnDelete, &QAction::triggered, this, &TMainform::MnDeleteClick);
    QUndoStack *stack = m_doc.undoStack();
    SBUndo->setEnabled(stack->canUndo());
    SBRedo->setEnabled(stack->canRedo());
    connect(stack, &QUndoStack::canUndoChanged, SBUndo, &QToolButton::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, SBRedo, &QToolButton::setEnabled);
}

void TMainform::BuildActions()
{
    // Each part registers its own commands; the menus order them by their groups.
    m_actions = new WindowActions(this, [this] { return Idle(); });
    m_files->AddActions(*m_actions);
    m_doc.AddActions(*m_actions, this);
    m_treePane->AddActions(*m_actions);
    m_editorPane->AddActions(*m_actions);
    m_values->AddActions(*m_actions);
    m_explore->AddActions(*m_actions);
    AddControlActions(*m_actions, *this, m_depthButtons, m_state);
    AddHelpActions(*m_actions, m_dialogs, [this] { return ShortcutsText(); });
    BuildMenuBar(menuBar(), *m_actions, Label2->text());
}

void TMainform::FormCreate()
{
    lblMyname->setText(QString::fromUtf8(AppCaption));
    lblMyname->adjustSize();
    lblToday->setText(QStringLiteral("Aug.2004"));
    lblToday->adjustSize();

    for (QToolButton *b : m_depthButtons) {
        if (b != nullptr) {
            connect(b, &QToolButton::clicked, this, [this, b] { SpeedButton1Click(b); });
        }
    }

    // Hints reach DisplayHint through event(): every control's status tip is routed there.

    // The menu bar comes on top of the client area, which keeps its size.
    const QScreen *screen = QGuiApplication::primaryScreen();
    PlaceWindow(this, WindowSizeFor(InitialClientSize(screen ? screen->geometry().height() : 0)));

    m_state.setDepth(1);

    // The window is not shown yet: lay it out now, so that the steps below (and a file
    // named on the command line) work at the views' real size.
    LayOutNow(this);
    const QSize size = FitViewsToPanel();
    m_view.SetViewSize(size.width(), size.height());
    m_view.ResetView();
    SetDefaultTemplate();
    DrawEditor();

    m_state.setMouseHeld(false);

    // Files dropped anywhere on the window, and a file named on the command line.
    setAcceptDrops(true);
    if (!m_arguments.isEmpty()) {
        LoadFromFile(LongPathName(JoinArguments(m_arguments)));
    }
}

void TMainform::FormResize() { ResizeViews(true); }

void TMainform::ResizeViews(bool rebuildPoints)
{
    const QSize frame(m_view.frameWidth, m_view.frameHeight);
    const QSize size = FitViewsToPanel();
    const bool hasArea = m_view.SetViewSize(size.width(), size.height());
    CImg->setVisible(!m_state.editMode());

    // Without area the view resets to the default view of its last size with area, so that
    // pixel points made meanwhile (a reset, a load, an added branch) keep their precision.
    m_view.ResetView();
    // The pixel points belong to that default view. A resize that keeps it (into a view
    // without area, or back to the size the view had before) keeps them as they are: made
    // afresh there, a drag would only be rounded once more.
    if (rebuildPoints || QSize(m_view.frameWidth, m_view.frameHeight) != frame) {
        // A drag made since the last growth lives in the pixel points only: it is taken into
        // the model values before the pixel points are made afresh for the new size.
        NormalizeMovedRows(m_table);
        UpdateAllScreenPoints(m_table, m_view);
    }
    // Also without area: the depth buttons follow the template (a reset meanwhile).
    DrawEditor();
    // Nothing to draw in and no picture geometry: the last tree stays until the view has a
    // size again.
    if (!hasArea) {
        return;
    }
    GenerateTree();
}

void TMainform::SetDefaultTemplate()
{
    ramulet::SetDefaultTemplate(m_table, m_view);
    m_state.setEditMode(true);
    ShowMode();
    m_doc.resetColors();
    m_doc.setFileName(QString());
}

void TMainform::ShowSettings() { ShowDrawSettings(m_doc.settings(), m_doc.penIndex()); }

void TMainform::ShowMode()
{
    const bool edit = m_state.editMode();
    if (edit) {
        SBEdit->setChecked(true);
    } else if (QToolButton *b = depthButton(m_state.depth())) {
        b->setChecked(true);
    }
    Img1->setVisible(edit);
    sbAdd->setVisible(edit);
    CImg->setVisible(!edit);
}

void TMainform::ApplySettings(const DrawSettings &s) { m_doc.applySettings(s); }

void TMainform::SetCurrentFile(const QString &path)
{
    if (path != m_doc.fileName()) {
        m_doc.setFileName(path); // comes back here through the document's signal
        return;
    }
    setWindowTitle(WindowCaption(path));
}

void TMainform::ShowRestored(bool looksChanged)
{
    // The rows the hover state named may be gone or elsewhere.
    m_editorPane->ForgetHover();
    ShowChangedTemplate(looksChanged);
}

void TMainform::ShowChangedTemplate(bool looksChanged)
{
    DrawEditor();
    if (!editMode() && !DepthUsable(EstimateSegmentCount(m_table, m_state.depth()))) {
        // Too large for the depth on show, whose button is no longer offered: back to the
        // editor, as if the user had chosen it.
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

void TMainform::GenerateTree()
{
    m_treePane->Grow();
    RenderPicture();
}

void TMainform::RenderPicture()
{
    if (cboxPenWidth->hasFocus()) {
        cboxPenWidth->clearFocus();
    }
    if (m_treePane->Render()) {
        m_editorPane->Refresh();
    }
}

void TMainform::DrawEditor() { m_editorPane->Draw(); }
void TMainform::HighlightPoint(int32_t row) { m_editorPane->HighlightPoint(row); }
void TMainform::HighlightBranch(int32_t row) { m_editorPane->HighlightBranch(row); }

// ---------------------------------------------------------------------------------------
// Handlers

void TMainform::SpeedButton1Click(QToolButton *button)
{
    m_state.setDepth(button->property("tag").toInt());
    m_state.setEditMode(false); // the state's views show (ShowMode)
    GenerateTree();
}

void TMainform::SBEditClick()
{
    m_state.setEditMode(true);
    // The editor's last painting was made in the default view and stays valid.
    m_view.ResetView();
    m_editorPane->Refresh(); // unless the live tree's depth has changed meanwhile
}

void TMainform::DisplayHint(const QString &hint)
{
    statusBar()->showMessage(QStringLiteral("  ") + hint);
}

bool TMainform::event(QEvent *e)
{
    if (e->type() == QEvent::StatusTip) {
        DisplayHint(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TMainform::BBCloseClick() { close(); }

void TMainform::closeEvent(QCloseEvent *e)
{
    if (MayDiscard(CloseQuestion)) {
        e->accept();
    } else {
        e->ignore();
    }
}

void TMainform::CImgMouseDown(MouseButton, ShiftState, int x, int y)
{
    m_treePane->MouseDown(x, y);
}
void TMainform::CImgMouseMove(ShiftState, int x, int y) { m_treePane->MouseMove(x, y); }
void TMainform::CImgMouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    m_treePane->MouseUp(button, shift, x, y);
}
void TMainform::CImgMouseWheel(ShiftState, int x, int y, int eighths)
{
    m_treePane->Wheel(x, y, eighths);
}
void TMainform::CImgDblClick(MouseButton button, ShiftState, int, int)
{
    m_treePane->DoubleClick(button);
}

void TMainform::Img1MouseMove(ShiftState shift, int x, int y)
{
    m_editorPane->MouseMove(x, y, (shift & ssShift) != 0);
}

void TMainform::Img1MouseDown(MouseButton button, ShiftState, int x, int y)
{
    m_editorPane->MouseDown(button, x, y);
}

void TMainform::Img1MouseUp(MouseButton, ShiftState, int, int) { m_editorPane->MouseUp(); }

void TMainform::Img1ContextMenu(const QPoint &globalPos)
{
    // Not while a button is held (the menu key during a drag): the drag's step is open.
    if (editor().popupAttached() && Idle()) {
        PopupMenu2Popup(); // the menu opens with the hovered branch's kind checked
        m_dialogs->popupMenu(PopupMenu2, globalPos);
    }
}

void TMainform::PopupMenu2Popup()
{
    const int position = editor().popupCheckedPosition();
    QAction *items[] = {mnorder, mnreverse, mnsegment};
    if (position >= 0 && position <= 2) {
        items[position]->setChecked(true);
    }
}

void TMainform::mnorderClick(QAction *item) { m_editorPane->SetHoveredKind(item->data().toInt()); }
void TMainform::MnDeleteClick() { m_editorPane->DeleteHovered(); }
void TMainform::sbAddClick() { m_editorPane->AddBranch(); }

bool TMainform::MayDiscard(const char *question)
{
    // A template of the trunk alone that the history has as saved is lost without asking.
    if (m_table.BranchCount == 1 && !HasUnsavedChanges()) {
        return true;
    }
    m_dialogs->beep();
    return m_dialogs->askYesNo(WindowText(question));
}

void TMainform::SBInitClick()
{
    if (MayDiscard(ResetQuestion)) {
        const EditStep step(m_doc, tr("初期化"), true);
        ResetAll();
    }
}

void TMainform::ResetAll()
{
    SetDefaultTemplate();
    // The rows the hover state and the selection named are gone.
    m_editorPane->ForgetHover();
    m_editorPane->ForgetSelection();
    FormResize();
    // The editor and its add button shown at once, also after a reset begun in view mode.
    ShowMode();
    sbAdd->raise();
}

void TMainform::shapeBMouseUp() { m_treePane->ChooseColor(&DrawSettings::BackColor); }
void TMainform::ShapePMouseUp() { m_treePane->ChooseColor(&DrawSettings::TipColor); }
void TMainform::Shape1MouseUp() { m_treePane->ChooseColor(&DrawSettings::TrunkColor); }
void TMainform::cboxPenWidthChange() { m_treePane->SetPenIndex(cboxPenWidth->currentIndex()); }

void TMainform::cboxWideClick()
{
    m_state.setFit(cboxWide->isChecked());
    GenerateTree();
}

void TMainform::SpeedButton17Click() { m_actions->run(QStringLiteral("actCopy")); }
void TMainform::SBSaveClick() { m_actions->run(QStringLiteral("actSaveAs")); }
void TMainform::SBloadClick() { m_actions->run(QStringLiteral("actOpen")); }
void TMainform::SBExportClick() { m_actions->run(QStringLiteral("actExport")); }
void TMainform::SBGalleryClick() { m_actions->run(QStringLiteral("actGallery")); }
void TMainform::SaveInPlace() { m_actions->run(QStringLiteral("actSave")); }
void TMainform::SBValuesClick() { m_values->Open(); }
void TMainform::SBVariationClick() { m_actions->run(QStringLiteral("actVariation")); }
void TMainform::AnimationClick() { m_actions->run(QStringLiteral("actAnimation")); }

// Not in the middle of an editor drag: the step it makes is not finished yet.
void TMainform::UndoClick() { m_actions->run(QStringLiteral("actUndo")); }
void TMainform::RedoClick() { m_actions->run(QStringLiteral("actRedo")); }

void TMainform::cboxPreviewClick()
{
    // On: the tree appears under the arrows; off: the classic editor again. Either way the
    // hover mark is gone until the next move, as after any repaint.
    m_state.setLiveTree(cboxPreview->isChecked());
    DrawEditor();
}

void TMainform::cboxSmoothClick()
{
    m_state.setSmooth(cboxSmooth->isChecked());
    m_treePane->SmoothChanged();
    m_editorPane->SmoothChanged();
}

void TMainform::LoadFromFile(const QString &path) { m_files->Load(path); }

void TMainform::ApplyLoadedTemplate(const LoadedTemplate &loaded, const QString &path)
{
    m_files->Apply(loaded, path);
}

void TMainform::dragEnterEvent(QDragEnterEvent *e) { FileCommands::AcceptDrag(e); }
void TMainform::dropEvent(QDropEvent *e) { m_files->Drop(e, this); }

} // namespace ramulet
