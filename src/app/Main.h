#pragma once

// The main window. It keeps the form's controls under their classic names (FormControls)
// and the classic handlers, each a delegation to the part that does the work: the template
// document with its history, the window state, the dialogs, the editor and tree panes, the
// values window, the file, export, variation and animation commands and the table of actions
// (which the shortcuts, the menu bar and Help are made from). It builds the parts and wires
// them.

#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/editorpane.h"
#include "app/exportpicture.h"
#include "app/filecommands.h"
#include "app/formcontrols.h"
#include "app/treepane.h"
#include "app/windowstate.h"

#include <QCursor>
#include <QMainWindow>
#include <QStringList>

#include <map>
#include <memory>

class QDragEnterEvent;
class QDropEvent;

namespace ramulet {

class BranchValuesWindow;
class EditorKeys;
class ExploreCommands;
struct LoadedTemplate;
class ValuesPane;

class TMainform : public QMainWindow, private FormControls {
    Q_OBJECT
public:
    explicit TMainform(QWidget *parent = nullptr);
    // `arguments` are the program's arguments without the program name (Qt's own options
    // removed); FormCreate opens the file they name, as a command line does.
    explicit TMainform(const QStringList &arguments, QWidget *parent = nullptr);
    ~TMainform() override;

    // The parts. A new window or pane reads the document and the state and hears about
    // changes through their signals; it adds its actions to actions() and asks its
    // questions through dialogs() (replaceable, so that tests can answer them).
    TemplateDocument &document() { return m_doc; }
    WindowState &state() { return m_state; }
    Dialogs &dialogs() { return *m_dialogs; }
    void setDialogs(std::unique_ptr<Dialogs> dialogs);
    WindowActions &actions() { return *m_actions; }
    EditorPane &editorPane() { return *m_editorPane; }
    TreePane &treePane() { return *m_treePane; }

    // Shortcuts to the parts' values, for the commands that build on the window and tests.
    BranchTable &table() { return m_table; }
    const ViewState &view() const { return m_view; }
    const Tseglines &store() const { return m_treePane->store(); }
    int32_t depth() const { return m_state.depth(); }
    const DrawSettings &settings() const { return m_doc.settings(); }
    const ColorRampTable &colorRamp() const { return m_treePane->colorRamp(); }
    std::shared_ptr<const TreePicture> treePicture() const { return m_treePane->picture(); }
    EditorController &editor() { return m_editorPane->controller(); }
    bool mouseIsDown() const { return m_state.mouseHeld(); }
    bool editMode() const { return m_state.editMode(); }
    const QString &fileName() const { return m_doc.fileName(); }
    QUndoStack *undoStack() const { return m_doc.undoStack(); }
    bool HasUnsavedChanges() const { return m_doc.hasUnsavedChanges(); }
    bool LiveTreeShown() const { return m_state.liveTree(); }
    bool SmoothShown() const { return m_state.smooth(); }
    const LiveTree &liveTree() const { return m_editorPane->liveTree(); }
    QCursor cursorById(int id) const;
    PictureView *treeView() const { return CImg; }
    PictureView *editorView() const { return Img1; }
    QToolButton *depthButton(int n) const;
    BranchValuesWindow *branchValues() const;
    // The window size whose client area below the menu bar is `client`.
    QSize WindowSizeFor(QSize client) const;
    // Help: every shortcut of the window and the mouse gestures of both views, as rich text.
    QString ShortcutsText() const;
    // Whether a file or folder can be written (where the save dialogs open); tests replace it.
    void setWritableTest(const WritableTest &test);

    // The current file name and the caption that shows it: "Ramulet 2.3" without a file,
    // "Ramulet 2.3 : " and the file's name otherwise.
    void SetCurrentFile(const QString &path);
    // Applies all four drawing settings (a loaded file): the swatches and the pen-width list
    // (its index the pen width div 20, clamped to 0..10) show them; the pen width setting
    // itself is kept until the next render.
    void ApplySettings(const DrawSettings &s);
    // The window's part of the default template: rows, colours, the file name, the caption
    // and edit mode. The pen width is not touched.
    void SetDefaultTemplate();
    // Reset to the default template and the default view, regrown, in edit mode.
    void ResetAll();
    // Files: LoadFromFile reads the whole file first and changes nothing when it is refused.
    void LoadFromFile(const QString &path);
    void ApplyLoadedTemplate(const LoadedTemplate &loaded, const QString &path);
    // Rebuilds both views for the current size of the image panel and regrows the tree.
    void FormResize();
    void GenerateTree();
    void RenderPicture();
    void DrawEditor();
    void HighlightPoint(int32_t row);
    void HighlightBranch(int32_t row);
    void DisplayHint(const QString &hint);

    // Handlers.
    void SpeedButton1Click(QToolButton *button);
    void SBEditClick();
    void BBCloseClick();
    void CImgMouseDown(MouseButton button, ShiftState shift, int x, int y);
    void CImgMouseMove(ShiftState shift, int x, int y);
    void CImgMouseUp(MouseButton button, ShiftState shift, int x, int y);
    void Img1MouseDown(MouseButton button, ShiftState shift, int x, int y);
    void Img1MouseMove(ShiftState shift, int x, int y);
    void Img1MouseUp(MouseButton button, ShiftState shift, int x, int y);
    // A right-click on the editor: opens the kind menu while a branch line is hovered.
    void Img1ContextMenu(const QPoint &globalPos);
    void PopupMenu2Popup();
    void mnorderClick(QAction *item);
    void MnDeleteClick();
    void sbAddClick();
    void SBInitClick();
    void shapeBMouseUp();
    void ShapePMouseUp();
    void Shape1MouseUp();
    void cboxPenWidthChange();
    void cboxWideClick();
    void SpeedButton17Click();
    void SBSaveClick();
    void SBloadClick();
    void UndoClick();
    void RedoClick();
    void SBExportClick();    // the tree picture into an SVG, PNG or PDF file
    void cboxPreviewClick(); // the live tree under the editor's arrows (Ctrl+L)
    void cboxSmoothClick();  // smooth pictures (Ctrl+Shift+A)
    void SBGalleryClick();   // the gallery of examples (Ctrl+Shift+O)
    void SaveInPlace();      // Ctrl+S: the current file, else as SBSaveClick
    void SBValuesClick();    // the branch values window (Ctrl+T)
    void SBVariationClick(); // variations of the template (Ctrl+Shift+V)
    void AnimationClick();   // the animation dialog (Ctrl+Shift+N)
    // The tree view's wheel zoom and a middle double-click's default view.
    void CImgMouseWheel(ShiftState shift, int x, int y, int eighths);
    void CImgDblClick(MouseButton button, ShiftState shift, int x, int y);

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override; // FormCloseQuery
    // Files dropped anywhere on the window (WMDropFiles): the first local file is opened.
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    void BuildParts();
    void WireControls();
    void BuildActions();
    void FormCreate();
    // FormResize's work; a size change of the image panel rebuilds the pixel points only when
    // the views' frame (their last size with area) changes, a reset always does.
    void ResizeViews(bool rebuildPoints);
    // The swatches and the pen-width list show the document's settings; the mode buttons
    // and the views show the state's mode.
    void ShowSettings();
    void ShowMode();
    // Puts a step undone or redone on show.
    void ShowRestored(bool looksChanged);
    // A changed template in the editor and, in view mode, regrown; back to the editor when
    // the depth on show is no longer offered. `looksChanged`: the colours or pen width too.
    void ShowChangedTemplate(bool looksChanged);
    // Whether no view holds the mouse and no edit is half made: the gate of what may not
    // run meanwhile.
    bool Idle() const;
    // Whether the template may be dropped: at once for a saved trunk alone, else after a beep
    // and `question` answered Yes.
    bool MayDiscard(const char *question);

    BranchTable &m_table;
    ViewState m_view;
    WindowState m_state;
    TemplateDocument m_doc;
    std::map<int, QCursor> m_cursors;
    std::unique_ptr<Dialogs> m_dialogs;
    WindowActions *m_actions = nullptr;
    EditorPane *m_editorPane = nullptr;
    TreePane *m_treePane = nullptr;
    std::unique_ptr<FileCommands> m_files;
    ValuesPane *m_values = nullptr;
    std::unique_ptr<ExploreCommands> m_explore;
    EditorKeys *m_keys = nullptr;
    std::array<QToolButton *, 17> m_depthButtons{}; // [n] is depth button n; [0] unused
    QStringList m_arguments; // the command line, opened at the end of FormCreate
};

} // namespace ramulet
