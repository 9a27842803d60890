#pragma once

// The main window: its controls and layout, start-up, resizing, the edit and view modes,
// the tree view's zoom, the picture controls, the editor's mouse handlers, the kind menu and
// the confirmations. The handlers keep their classic names and stay thin: the work is done
// by the core (growth, view state), the tree picture and the editor controller.

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "editor/editorcontroller.h"
#include "editor/livetree.h"
#include "view/pictureoutput.h"
#include "view/record.h"
#include "app/exportpicture.h"
#include "app/saveplaces.h"
#include "app/undo.h"

#include <QCursor>
#include <QRect>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QKeySequence;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QMessageBox;
class QScrollArea;
class QToolButton;
class QUndoStack;

namespace ramulet {

class BevelPanel;
class BranchValuesWindow;
class ColorSwatch;
struct RowValues;
class PictureView;
class ThumbnailCache;
class VariationDialog;
struct LoadedTemplate;

// Cursor identifiers of the views.
constexpr int crHandPoint = 2; // editor, over a branch end point
constexpr int crZoom = 4;      // tree view
constexpr int crMove = 13;     // editor, over a branch line

// The window's design sizes (logical pixels).
constexpr int DesignClientWidth = 798;
constexpr int DesignClientHeight = 672;
constexpr int SideBarWidth = 146;
constexpr int StatusBarHeight = 22;
constexpr int ImageBevelWidth = 4; // outer lowered and inner raised bevel, each this wide
constexpr int Panel3Height = 98;
constexpr int SideBarRange = 620; // vertical scroll range of the side bar
// The buttons beside the classic controls, in free strips that move none of them: export
// right of the copy button in Panel3, undo and redo right of the depth buttons in Panel1.
inline constexpr QRect ExportButtonRect{121, 16, 22, 29};
inline constexpr QRect UndoButtonRect{107, 40, 29, 29};
inline constexpr QRect RedoButtonRect{107, 72, 29, 29};
// The gallery button in the credits panel Panel4.
inline constexpr QRect GalleryButtonRect{10, 84, 83, 27};
// The branch values window's button, right of the gallery's.
inline constexpr QRect ValuesButtonRect{96, 84, 44, 27};
// The variations button below the gallery's.
inline constexpr QRect VariationButtonRect{10, 112, 90, 27};

// Texts of the window, in the program's own language; the window shows them through tr().
// The caption is the same in every language.
inline constexpr const char *AppCaption = "Ramulet 2.3";
inline constexpr const char *WarningCaption = QT_TRANSLATE_NOOP("ramulet::TMainform", "警告");
inline constexpr const char *ResetQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "未記録データを消去します");
inline constexpr const char *CloseQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "終了しますよ");
inline constexpr const char *ZoomRefusal = QT_TRANSLATE_NOOP(
    "ramulet::TMainform", "［自動ｻｲｽﾞ調整］がチェックされているときはズームできません.");

// A text of the window in the window's language.
QString WindowText(const char *source);

// A warning message box (caption "警告", warning icon): with `question` the buttons
// "はい(&Y)" (default) and "いいえ(&N)" (Escape), otherwise the single button "OK".
QMessageBox *MakeWarningBox(QWidget *parent, const QString &text, bool question);

// The client size of the window at start: the design size, but 528 high (a 560-pixel outer
// window) on a screen exactly 600 pixels high.
QSize InitialClientSize(int screenHeight);

struct AnimationSource;

// The window's questions and dialogs, replaceable so that tests can answer them.
struct DialogHooks {
    std::function<void()> beep;                                     // information beep
    std::function<bool(const QString &text)> askYesNo;              // true only for Yes
    std::function<void(const QString &text)> warn;                  // box with one OK button
    std::function<std::optional<QColor>(const QColor &)> chooseColor; // nullopt = cancelled
    std::function<void(QMenu *menu, const QPoint &globalPos)> popup; // the modal kind menu
    // The file dialogs: the chosen path, or an empty text when cancelled. The save dialog
    // gets the name it is pre-filled with.
    std::function<QString()> chooseOpenFile;
    std::function<QString(const QString &preset)> chooseSaveFile;
    // The gallery of examples, given their paths: the chosen one, or an empty text when
    // cancelled.
    std::function<QString(const QStringList &examples)> chooseExample;
    // The animation dialog, given what the tree view shows.
    std::function<void(const AnimationSource &)> animation;
    // Help's windows: a title and a rich text to show.
    std::function<void(const QString &title, const QString &text)> inform;
    // Runs the variations dialog (modally); true when it was accepted.
    std::function<bool(VariationDialog &dialog)> runVariations;
};

class TMainform : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainform(QWidget *parent = nullptr);
    // `arguments` are the program's arguments without the program name (Qt's own options
    // removed); FormCreate opens the file they name, as a command line does.
    explicit TMainform(const QStringList &arguments, QWidget *parent = nullptr);
    ~TMainform() override;

    // Replaces the dialogs; an empty function keeps the real one.
    void setDialogHooks(DialogHooks hooks);

    // State, for the commands that build on the window (files, undo) and for tests.
    BranchTable &table() { return m_table; }
    const ViewState &view() const { return m_view; }
    const Tseglines &store() const { return *m_store; }
    int32_t depth() const { return m_depth; }
    const DrawSettings &settings() const { return m_settings; }
    const ColorRampTable &colorRamp() const { return m_ramp; }
    std::shared_ptr<const TreePicture> treePicture() const { return m_picture; }
    EditorController &editor() { return m_editor; }
    bool mouseIsDown() const { return m_mouseIsDown; }
    bool editMode() const;
    const QString &fileName() const { return m_fileName; }
    QCursor cursorById(int id) const;
    PictureView *treeView() const { return CImg; }
    PictureView *editorView() const { return Img1; }
    QToolButton *depthButton(int n) const;

    // The current file name and the caption that shows it: "Ramulet 2.3" without a file,
    // "Ramulet 2.3 : " and the file's name otherwise.
    void SetCurrentFile(const QString &path);
    // Applies all four drawing settings (a loaded file): the swatches and the pen-width list,
    // whose index is the pen width div 20 clamped to 0..10. The list's change handler does
    // not run; the pen width setting itself is kept until the next render.
    void ApplySettings(const DrawSettings &s);

    // The window's part of the default template: rows, colours and swatches, the file name,
    // the caption and edit mode. The pen width is not touched.
    void SetDefaultTemplate();
    // Reset to the default template and the default view, regrown, in edit mode.
    void ResetAll();

    // Files. LoadFromFile reads the whole file first: a refused or unreadable file shows a
    // warning and changes nothing; an accepted one goes to ApplyLoadedTemplate, which resets
    // the window and puts the file's rows and settings in place without regrowing.
    void LoadFromFile(const QString &path);
    void ApplyLoadedTemplate(const LoadedTemplate &loaded, const QString &path);
    void SBSaveClick();
    void SBloadClick();
    // Ctrl+S: writes straight to the current file when there is one and it can be written,
    // otherwise asks as SBSaveClick does (which Ctrl+Shift+S and the save button run).
    void SaveInPlace();
    // Whether a file or folder can be written; tests replace it.
    void setWritableTest(WritableTest test) { m_writable = std::move(test); }

    // The menu bar (mainmenu.cpp). Windows of their own put their edit commands into the Edit
    // menu here, before the reset.
    void AddEditMenuItem(QAction *action);
    // The window size whose client area below the menu bar is `client`.
    QSize WindowSizeFor(QSize client) const;
    // Help: every shortcut of the window and the mouse gestures of both views, as rich text.
    QString ShortcutsText() const;
    void ShowShortcuts();
    void ShowAbout();

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

    // Undo and redo of template edits, the picture export and the keyboard shortcuts.
    QUndoStack *undoStack() const { return m_undoStack; }
    void setExportHooks(ExportHooks hooks);
    // The state that a template edit can change, and putting such a state back: rows and
    // count, the four settings and the pen-width list, with `withFile` the file name and
    // caption; then the editor is repainted and, in view mode, the tree regrown.
    TemplateState CaptureTemplateState() const;
    void RestoreTemplateState(const TemplateState &s, bool withFile);
    void UndoClick();
    void RedoClick();
    // Whether the template differs from the last save or load (or the window as opened):
    // the history is not at its clean step, or an editor drag has changed it meanwhile.
    bool HasUnsavedChanges() const;
    // Writes the current tree picture to a file chosen in a save dialog (SVG, PNG, PDF).
    void SBExportClick();

    // The live tree under the editor's arrows: the check box "プレビュー" and Ctrl+L.
    void cboxPreviewClick();
    bool LiveTreeShown() const;
    const LiveTree &liveTree() const { return *m_liveTree; }
    // Smooth pictures: the check box "なめらか" and Ctrl+Shift+A.
    void cboxSmoothClick();
    bool SmoothShown() const;
    // The gallery of example templates (button SBGallery, Ctrl+Shift+O): the chosen example
    // is opened with LoadFromFile, as a file from the open dialog is.
    void SBGalleryClick();
    // The animation dialog "アニメーション" (Ctrl+Shift+N).
    void AnimationClick();

    // Precise editing and navigation: the branch values window (its button SBValues and
    // Ctrl+T), the editor's keys on the selected branch (arrows nudge its end point, Delete,
    // Escape during a drag), the tree view's wheel, pan and default view (Home, a middle
    // double-click).
    void SBValuesClick();
    BranchValuesWindow *branchValues() const { return m_values; }
    void CImgMouseWheel(ShiftState shift, int x, int y, int eighths);
    void CImgDblClick(MouseButton button, ShiftState shift, int x, int y);
    // Variations of the template (button SBVariation, Ctrl+Shift+V): the centre the dialog
    // is accepted with becomes the template, one undoable step "バリエーション".
    void SBVariationClick();

protected:
    bool event(QEvent *e) override;
    // The editor's keys and Home, taken where they have something to do.
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override; // FormCloseQuery
    // Files dropped anywhere on the window (WMDropFiles): the first local file is opened.
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    void BuildControls();
    void BuildSideBar();
    void BuildPopupMenu();
    void FormCreate();
    // Gives both views the interior of the image panel, with fresh images, and the view
    // state that size; false for a view without area.
    bool FitViewsToPanel();
    // FormResize's work; a size change of the image panel rebuilds the pixel points only when
    // the views' frame (their last size with area) changes, a reset always does.
    void ResizeViews(bool rebuildPoints);
    void ShowColors();
    void ChooseColor(ColorSwatch *swatch, TColor &setting, bool outlineFollows);
    void Beep();
    bool AskYesNo(const QString &text);
    void Warn(const QString &text);
    void ApplyEditorCursor();
    void OpenCommandLine();
    QString ChooseOpenFile();
    QString ChooseSaveFile(const QString &preset);
    // Writes the template to `target`; a failure is shown and changes nothing.
    bool WriteTemplateTo(const QString &target);
    WritableTest m_writable = IsWritable;
    // The menu bar.
    void BuildMenuBar();
    void BuildMenuActions();
    // A window action with its shortcut (none when empty): runs `run` unless a view holds the
    // mouse or `canRun` says no; `canRun` also decides whether its menu item is enabled.
    QAction *AddWindowAction(const QString &name, const QKeySequence &key,
                             std::function<void()> run, std::function<bool()> canRun = {});
    void RefreshMenus();
    void ZoomAtCentre(MouseButton button);
    void ShowInformation(const QString &title, const QString &richText);
    std::vector<std::pair<QAction *, std::function<bool()>>> m_menuChecks;
    QMenu *m_editMenu = nullptr;
    QAction *m_editMenuPlace = nullptr;

    // Model and state.
    BranchTable &m_table;
    std::unique_ptr<Tseglines> m_store;
    int32_t m_depth = 1;
    ViewState m_view;
    DrawSettings m_settings;
    ColorRampTable m_ramp{};
    std::shared_ptr<const TreePicture> m_picture;
    bool m_mouseIsDown = false;
    EditorController m_editor;
    QString m_fileName;
    std::map<int, QCursor> m_cursors;
    DialogHooks m_hooks;
    QStringList m_arguments; // the command line, opened at the end of FormCreate

    // Controls, named as in the form.
    BevelPanel *ImagePanel = nullptr;
    PictureView *CImg = nullptr;
    PictureView *Img1 = nullptr;
    QToolButton *sbAdd = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    BevelPanel *Panel1 = nullptr;
    BevelPanel *Panel2 = nullptr;
    BevelPanel *Panel3 = nullptr;
    BevelPanel *Panel4 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QToolButton *, 17> m_depthButtons{}; // [n] is depth button n; [0] unused
    QButtonGroup *m_modeGroup = nullptr;
    QToolButton *SBEdit = nullptr;
    ColorSwatch *shapeB = nullptr;
    ColorSwatch *ShapeP = nullptr;
    ColorSwatch *Shape1 = nullptr;
    QComboBox *cboxPenWidth = nullptr;
    QCheckBox *cboxWide = nullptr;
    QToolButton *SBload = nullptr;
    QToolButton *SBSave = nullptr;
    QToolButton *SpeedButton17 = nullptr;
    QToolButton *SBInit = nullptr;
    QToolButton *BBclose = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *lblMyname = nullptr;
    QLabel *lblIam = nullptr;
    QLabel *lblToday = nullptr;
    QMenu *PopupMenu2 = nullptr;
    QActionGroup *m_kindGroup = nullptr;
    QAction *mnorder = nullptr;
    QAction *mnreverse = nullptr;
    QAction *mnsegment = nullptr;
    QAction *MnDelete = nullptr;
    QFileDialog *DlgOpen = nullptr; // kept, with the name last chosen in it
    QString m_lastOpenName;

    // Undo, redo and export.
    void BuildCommandRow();
    void BuildShortcuts();
    // Pushes the step from `before` to the current state, unless nothing was changed.
    // Steps with the same `mergeKey` (>= 0) in a row join into one (the nudges of a branch).
    void RecordStep(const QString &text, const TemplateState &before, bool withFile = false,
                    int mergeKey = -1);
    void FinishDragStep();
    // After a save: the history's states of the template on show take the new file name.
    void KeepSavedNameInHistory();
    QUndoStack *m_undoStack = nullptr;
    std::optional<TemplateState> m_dragBefore; // state at the left press of an editor drag
    QString m_dragText;
    int m_penIndexCommitted = 2; // the pen-width list's index after the last command
    bool m_restoring = false;
    ExportHooks m_exportHooks;
    QString m_lastExport;
    QString m_exportFilter;
    QToolButton *SBExport = nullptr;
    QToolButton *SBUndo = nullptr;
    QToolButton *SBRedo = nullptr;

    // The live tree in the editor.
    void BuildLiveTree();
    // Paints the editor's image: with the live tree under the arrows while it is shown.
    void PaintEditorImage(QImage &img, const ViewState &editorView);
    // A hover or drag step's repaint while the live tree is shown: the step is already made;
    // its repaint, and that of every step made before it runs, is done once, on the next
    // turn of the event loop.
    void ScheduleEditorRepaint(const EditorRepaint &r);
    // Repaints the editor when the live tree it shows is out of date (settings, depth).
    void RefreshLiveTree();
    DrawSettings LiveTreeSettings() const;
    QCheckBox *cboxPreview = nullptr;
    std::unique_ptr<LiveTree> m_liveTree;
    PictureRecorder m_recorder; // the tree view's pictures
    EditorRepaint m_pendingRepaint;
    bool m_repaintPosted = false;
    int64_t m_editorPaints = 0;  // editor repaints so far
    int64_t m_pendingPaints = 0; // the count when the pending repaint was asked for
    // A check box of the credits panel at `pos` and its window-wide shortcut, both toggling
    // it; `onToggled` runs on every change.
    QCheckBox *MakeSideBarToggle(const char *name, const QString &text, QPoint pos,
                                 const QString &tip, const QKeySequence &key,
                                 void (TMainform::*onToggled)());
    // Smooth pictures.
    void BuildSmooth();
    QCheckBox *cboxSmooth = nullptr;
    // The gallery of examples.
    void BuildGallery();
    QString ChooseExample(const QStringList &examples);
    QToolButton *SBGallery = nullptr;
    void BuildVariations();
    QToolButton *SBVariation = nullptr;
    ThumbnailCache *m_thumbnails = nullptr; // kept for the run: the gallery opens at once
    // Precise editing and navigation (mainediting.cpp).
    void BuildEditing();
    void ApplyRowValues(int row, const RowValues &values);
    void ApplyRowKind(int row, int kind);
    // A template changed by a typed value or a key: the editor, and the tree in view mode.
    void ShowEditedTemplate();
    void NudgeSelected(int right, int up);
    void DeleteSelected();
    void CancelDrag();
    void SelectBranch(int row);
    void MarkSelection();
    void DefaultView();
    ViewState EditorDefaultView() const;
    QToolButton *SBValues = nullptr;
    BranchValuesWindow *m_values = nullptr;
    TreeViewGesture m_gesture; // the tree view's press: a click, or a pan once moved
    int m_wheelRest = 0;       // eighths of a degree short of a notch, kept for the next turn
};

} // namespace ramulet
