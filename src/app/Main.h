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
#include "view/picture.h"
#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/exportpicture.h"
#include "app/windowstate.h"

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
class ColorSwatch;
class PictureView;
class ThumbnailCache;
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

// Texts of the window, in the program's own language; the window shows them through tr().
// The caption is the same in every language.
inline constexpr const char *AppCaption = "Ramulet 2.3";
inline constexpr const char *ResetQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "未記録データを消去します");
inline constexpr const char *CloseQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "終了しますよ");
inline constexpr const char *ZoomRefusal = QT_TRANSLATE_NOOP(
    "ramulet::TMainform", "［自動ｻｲｽﾞ調整］がチェックされているときはズームできません.");

// The client size of the window at start: the design size, but 528 high (a 560-pixel outer
// window) on a screen exactly 600 pixels high.
QSize InitialClientSize(int screenHeight);

class TMainform : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainform(QWidget *parent = nullptr);
    // `arguments` are the program's arguments without the program name (Qt's own options
    // removed); FormCreate opens the file they name, as a command line does.
    explicit TMainform(const QStringList &arguments, QWidget *parent = nullptr);
    ~TMainform() override;

    // The parts: the document with its history, the window's own state, the questions it
    // asks (replaceable, so that tests can answer them) and its actions.
    TemplateDocument &document() { return m_doc; }
    WindowState &state() { return m_state; }
    Dialogs &dialogs() { return *m_dialogs; }
    void setDialogs(std::unique_ptr<Dialogs> dialogs);
    WindowActions &actions() { return *m_actions; }

    // State, for the commands that build on the window (files, undo) and for tests.
    BranchTable &table() { return m_table; }
    const ViewState &view() const { return m_view; }
    const Tseglines &store() const { return *m_store; }
    int32_t depth() const { return m_state.depth(); }
    const DrawSettings &settings() const { return m_doc.settings(); }
    const ColorRampTable &colorRamp() const { return m_ramp; }
    std::shared_ptr<const TreePicture> treePicture() const { return m_picture; }
    EditorController &editor() { return m_editor; }
    bool mouseIsDown() const { return m_state.mouseHeld(); }
    bool editMode() const { return m_state.editMode(); }
    const QString &fileName() const { return m_doc.fileName(); }
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
    QUndoStack *undoStack() const { return m_doc.undoStack(); }
    void UndoClick();
    void RedoClick();
    // Whether the template differs from the last save or load (or the window as opened).
    bool HasUnsavedChanges() const { return m_doc.hasUnsavedChanges(); }
    // Writes the current tree picture to a file chosen in a save dialog (SVG, PNG, PDF).
    void SBExportClick();

    // The live tree under the editor's arrows: the check box "プレビュー" and Ctrl+L.
    void cboxPreviewClick();
    bool LiveTreeShown() const { return m_state.liveTree(); }
    const LiveTree &liveTree() const { return *m_liveTree; }
    // Smooth pictures: the check box "なめらか" and Ctrl+Shift+A.
    void cboxSmoothClick();
    bool SmoothShown() const { return m_state.smooth(); }
    // The gallery of example templates (button SBGallery, Ctrl+Shift+O): the chosen example
    // is opened with LoadFromFile, as a file from the open dialog is.
    void SBGalleryClick();

protected:
    bool event(QEvent *e) override;
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
    // The swatches and the pen-width list show the document's settings.
    void ShowSettings();
    // The mode buttons show the window state's mode.
    void ShowMode();
    void ChooseColor(TColor DrawSettings::*which);
    // Puts a step undone or redone on show.
    void ShowRestored(bool looksChanged);
    // Whether no view holds the mouse and no edit is half made: the gate of what may not
    // run meanwhile.
    bool Idle() const;
    void ApplyEditorCursor();
    void OpenCommandLine();

    // Model and state.
    BranchTable &m_table;
    std::unique_ptr<Tseglines> m_store;
    ViewState m_view;
    WindowState m_state;
    TemplateDocument m_doc;
    ColorRampTable m_ramp{};
    std::shared_ptr<const TreePicture> m_picture;
    EditorController m_editor;
    std::map<int, QCursor> m_cursors;
    std::unique_ptr<Dialogs> m_dialogs;
    WindowActions *m_actions = nullptr;
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

    // Undo, redo and export.
    void BuildCommandRow();
    void BuildActions();
    // The commands behind the actions, run through the actions' gate.
    void OpenFileCommand();
    void SaveFileCommand();
    void CopyPicture();
    void ExportPicture();
    void OpenGallery();
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
                                 const QString &tip, void (TMainform::*onToggled)());
    // Smooth pictures.
    void BuildSmooth();
    QCheckBox *cboxSmooth = nullptr;
    // The gallery of examples.
    void BuildGallery();
    QToolButton *SBGallery = nullptr;
};

} // namespace ramulet
