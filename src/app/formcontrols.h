#pragma once

// The controls of the main window as the form lays them out, under their classic names, and
// the building of them. TMainform inherits them, as a window inherits a designer form, and
// wires them to its parts.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>
#include <array>

class QActionGroup;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QScrollArea;
class QToolButton;
class QWidget;

namespace ramulet {

class BevelPanel;
struct DrawSettings;
class ColorSwatch;
class PictureView;

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

// Cursor identifiers of the views.
constexpr int crHandPoint = 2; // editor, over a branch end point
constexpr int crZoom = 4;      // tree view
constexpr int crMove = 13;     // editor, over a branch line

// Texts of the window, in the program's own language; the window shows them through tr().
// The caption is the same in every language.
inline constexpr const char *AppCaption = "Ramulet 2.3";
inline constexpr const char *ResetQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "未記録データを消去します");
inline constexpr const char *CloseQuestion =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "終了しますよ");

// Design sizes of the views.
constexpr int DesignViewWidth = 636;
constexpr int DesignViewHeight = 634;
// The add button's distance from the views' lower right corner.
constexpr int AddButtonRightGap = 8;
constexpr int AddButtonBottomGap = 4;

// The client size of the window at start: the design size, but 528 high (a 560-pixel outer
// window) on a screen exactly 600 pixels high.
QSize InitialClientSize(int screenHeight);

// The caption: "Ramulet 2.3" without a file, "Ramulet 2.3 : " and the file's name otherwise.
QString WindowCaption(const QString &path);

// The window `form` at `outer` size, centred on the primary screen's available area.
void PlaceWindow(QWidget *form, QSize outer);
// Lays out the window `form` and its client area now (before it is first shown).
void LayOutNow(QMainWindow *form);

// The depth-button table, found on `form` by name (ignoring case) as "speedbutton" + n:
// [n] is depth button n, its tag n and its hint set; [0] is unused.
std::array<QToolButton *, 17> FindDepthButtons(QWidget *form);

struct FormControls {
    // Makes every control below on `form`, in the form's order (which is the tab order).
    void SetupForm(QMainWindow *form);
    // Gives both views the interior of the image panel, with fresh images, and moves the add
    // button to its corner; the views' new size.
    QSize FitViewsToPanel();
    // The swatches and the pen-width list show `s` and `penIndex` (silently: the list's
    // handler does not run).
    void ShowDrawSettings(const DrawSettings &s, int penIndex);

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
    QButtonGroup *m_modeGroup = nullptr; // the depth buttons and SBEdit, one checked
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
    // Beside the classic controls: export, undo, redo, the live tree, smooth, the gallery,
    // the branch values window and the variations.
    QToolButton *SBExport = nullptr;
    QToolButton *SBUndo = nullptr;
    QToolButton *SBRedo = nullptr;
    QCheckBox *cboxPreview = nullptr;
    QCheckBox *cboxSmooth = nullptr;
    QToolButton *SBGallery = nullptr;
    QToolButton *SBValues = nullptr;
    QToolButton *SBVariation = nullptr;

private:
    void SetupSideBar(QWidget *form);
    void SetupPanel1(QWidget *form);
    void SetupPanel2();
    void SetupPanel3();
    void SetupPanel4();
    void SetupPopupMenu(QWidget *form);
    void SetupAdditions();
    QToolButton *MakeSmallTextButton(const char *name, const QRect &geometry, const QString &text,
                                     const QString &tip);
    QCheckBox *MakeSideBarToggle(const char *name, const QString &text, QPoint pos,
                                 const QString &tip);
};

} // namespace ramulet
