#include "app/Main.h"

#include "app/bevelpanel.h"
#include "app/branchvalueswindow.h"
#include "app/glyphs.h"
#include "app/pictureview.h"
#include "app/swatch.h"
#include "editor/editordraw.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ramulet {

namespace {

// Design sizes of the views and their panel.
constexpr int DesignViewWidth = 636;
constexpr int DesignViewHeight = 634;
constexpr int AddButtonRightGap = 8;
constexpr int AddButtonBottomGap = 4;

// The window's Japanese UI face and the stand-ins for the classic Latin faces.
QFont UiFont(int pixelSize, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans CJK"),
                   QStringLiteral("Noto Sans")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// The classic face where it is installed, else its metric-compatible stand-in.
QFont LatinFont(const QString &classic, const QString &standIn, int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies({classic, standIn});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void SetTextColor(QWidget *w, const QColor &c)
{
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::ButtonText, c);
        pal.setColor(group, QPalette::WindowText, c);
        pal.setColor(group, QPalette::Text, c);
    }
    w->setPalette(pal);
}

// 0x00BBGGRR colours of the side bar.
QColor Bgr(uint32_t bgr) { return ToQColor(bgr); }

QToolButton *MakeToolButton(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(geometry);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus); // speed buttons never take the keyboard focus
    return b;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, const QPoint &pos,
                  const QFont &font)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setFont(font);
    l->move(pos);
    l->adjustSize();
    return l;
}

} // namespace

QString WindowText(const char *source)
{
    return QCoreApplication::translate("ramulet::TMainform", source);
}

QMessageBox *MakeWarningBox(QWidget *parent, const QString &text, bool question)
{
    auto *box =
        new QMessageBox(QMessageBox::Warning, WindowText(WarningCaption), text,
                        question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box->setFont(UiFont(15));
    if (question) {
        box->button(QMessageBox::Yes)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "はい(&Y)")));
        box->button(QMessageBox::No)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "いいえ(&N)")));
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->button(QMessageBox::Ok)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "OK")));
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    // A line is not broken where the screen has room for it: Japanese text would otherwise
    // break anywhere, even before its last character.
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        }
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const int room = screen ? screen->availableGeometry().width() * 3 / 4 : widest;
        label->setMinimumWidth(std::min(widest + 2, room));
    }
    return box;
}

QSize TMainform::WindowSizeFor(QSize client) const
{
    return client + QSize(0, menuBar()->sizeHint().height());
}

QSize InitialClientSize(int screenHeight)
{
    // The classic window is 704 high outside and 672 inside; on a 600-pixel screen it was
    // made 560 high outside, that is 144 less.
    if (screenHeight == 600) {
        return {DesignClientWidth, DesignClientHeight - (704 - 560)};
    }
    return {DesignClientWidth, DesignClientHeight};
}

TMainform::TMainform(QWidget *parent) : TMainform(QStringList(), parent) {}

TMainform::TMainform(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), m_table(ProgramTemplate()), m_editor(m_table, m_mouseIsDown),
      m_arguments(arguments)
{
    BuildControls();
    FormCreate();
    // The history starts with the window as opened, a file named on the command line included.
    m_undoStack->clear();
}

TMainform::~TMainform() = default;

void TMainform::setDialogHooks(DialogHooks hooks) { m_hooks = std::move(hooks); }

bool TMainform::editMode() const { return SBEdit->isChecked(); }

QCursor TMainform::cursorById(int id) const
{
    const auto it = m_cursors.find(id);
    return it != m_cursors.end() ? it->second : QCursor(Qt::ArrowCursor);
}

QToolButton *TMainform::depthButton(int n) const
{
    return n >= 1 && n <= MaxDepth ? m_depthButtons[static_cast<size_t>(n)] : nullptr;
}

// ---------------------------------------------------------------------------------------
// Controls

void TMainform::BuildControls()
{
    setObjectName(QStringLiteral("Mainform"));
    setWindowTitle(QStringLiteral("Ramulet ver.2"));
    setFont(UiFont(15));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The image panel: an 8-pixel bevel around the two views, which lie on top of each
    // other. Qt paints every widget through a back buffer, so the panel is double-buffered.
    ImagePanel = new BevelPanel(central);
    ImagePanel->setObjectName(QStringLiteral("ImagePanel"));
    ImagePanel->setBevels(BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised,
                          ImageBevelWidth);
    ImagePanel->setColor(palette().color(QPalette::Button));
    row->addWidget(ImagePanel, 1);

    const QRect viewRect(2 * ImageBevelWidth, 2 * ImageBevelWidth, DesignViewWidth,
                         DesignViewHeight);
    CImg = new PictureView(ImagePanel);
    CImg->setObjectName(QStringLiteral("CImg"));
    CImg->setGeometry(viewRect);
    CImg->ResetImage(viewRect.size());
    CImg->setStatusTip(tr("左クリック：拡大，右クリック：縮小，Shift+クリック：中央へ移動"));
    CImg->hide();

    Img1 = new PictureView(ImagePanel);
    Img1->setObjectName(QStringLiteral("Img1"));
    Img1->setGeometry(viewRect);
    Img1->ResetImage(viewRect.size());
    Img1->setStatusTip(
        tr("点のドラッグで移動，枝のドラッグで平行移動，枝の右クリックで属性変更と削除"));
    m_view.SetViewSize(DesignViewWidth, DesignViewHeight);

    sbAdd = new QToolButton(ImagePanel);
    sbAdd->setObjectName(QStringLiteral("sbAdd"));
    sbAdd->setText(tr("枝の追加"));
    sbAdd->resize(81, 33);
    sbAdd->setFocusPolicy(Qt::NoFocus);
    sbAdd->move(viewRect.right() + 1 - 81 - AddButtonRightGap,
                viewRect.bottom() + 1 - 33 - AddButtonBottomGap);

    BuildSideBar();
    row->addWidget(ScrollBox1);
    setCentralWidget(central);

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(StatusBarHeight);

    BuildPopupMenu();
    BuildCommandRow();
    BuildShortcuts();
    BuildLiveTree();
    BuildSmooth();
    BuildGallery();
    BuildEditing();
    BuildVariations();

    // Wiring.
    connect(ImagePanel, &BevelPanel::resized, this, [this] { ResizeViews(false); });
    connect(CImg, &PictureView::mouseDown, this, &TMainform::CImgMouseDown);
    connect(CImg, &PictureView::mouseMove, this, &TMainform::CImgMouseMove);
    connect(CImg, &PictureView::mouseUp, this, &TMainform::CImgMouseUp);
    connect(Img1, &PictureView::mouseDown, this, &TMainform::Img1MouseDown);
    connect(Img1, &PictureView::mouseMove, this, &TMainform::Img1MouseMove);
    connect(Img1, &PictureView::mouseUp, this, &TMainform::Img1MouseUp);
    connect(Img1, &PictureView::contextMenuRequested, this, &TMainform::Img1ContextMenu);
    connect(sbAdd, &QToolButton::clicked, this, &TMainform::sbAddClick);
    connect(SBEdit, &QToolButton::clicked, this, &TMainform::SBEditClick);
    connect(SBInit, &QToolButton::clicked, this, &TMainform::SBInitClick);
    connect(BBclose, &QToolButton::clicked, this, &TMainform::BBCloseClick);
    connect(SpeedButton17, &QToolButton::clicked, this, &TMainform::SpeedButton17Click);
    connect(SBload, &QToolButton::clicked, this, &TMainform::SBloadClick);
    connect(SBSave, &QToolButton::clicked, this, &TMainform::SBSaveClick);
    connect(shapeB, &ColorSwatch::released, this, &TMainform::shapeBMouseUp);
    connect(ShapeP, &ColorSwatch::released, this, &TMainform::ShapePMouseUp);
    connect(Shape1, &ColorSwatch::released, this, &TMainform::Shape1MouseUp);
    // Only the user's choices run the handler; a file load sets the index silently.
    connect(cboxPenWidth, &QComboBox::activated, this, &TMainform::cboxPenWidthChange);
    connect(cboxWide, &QCheckBox::clicked, this, &TMainform::cboxWideClick);
}

void TMainform::BuildSideBar()
{
    ScrollBox1 = new QScrollArea;
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFixedWidth(SideBarWidth);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    {
        QPalette pal = ScrollBox1->palette();
        pal.setColor(QPalette::Window, Bgr(0x84C1FF));
        ScrollBox1->setPalette(pal);
        ScrollBox1->viewport()->setPalette(pal);
        ScrollBox1->viewport()->setAutoFillBackground(true);
    }

    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollBox1Contents"));
    content->setMinimumHeight(SideBarRange);
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto makePanel = [&](const char *name, uint32_t bgr, int height) {
        auto *p = new BevelPanel(content);
        p->setObjectName(QString::fromLatin1(name));
        p->setColor(Bgr(bgr));
        if (height > 0) {
            p->setFixedHeight(height);
        }
        stack->addWidget(p, height > 0 ? 0 : 1);
        return p;
    };
    Panel1 = makePanel("Panel1", 0xBFD9FF, 265);
    Panel2 = makePanel("Panel2", 0xBFE1FF, 94);
    Panel3 = makePanel("Panel3", 0xC0EFFF, Panel3Height);
    Panel4 = makePanel("Panel4", 0xC3FFFF, 0);

    // Panel1: depth and mode.
    Label2 = MakeLabel(Panel1, "Label2", tr("ネストの深さ"), {16, 12}, UiFont(17));
    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->setExclusive(true);
    const QFont depthFont =
        LatinFont(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), 15, true);
    for (int n = 1; n <= MaxDepth; ++n) {
        // Left column: 8 at the top down to 1; right column: 16 at the top down to 9.
        const bool left = n <= 8;
        const int x = left ? 18 : 60;
        const int y = left ? 50 + (8 - n) * 20 : 38 + (16 - n) * 20;
        const QByteArray name = "SpeedButton" + QByteArray::number(n);
        QToolButton *b = MakeToolButton(Panel1, name.constData(), {x, y, 42, 20});
        b->setText(QString::number(n));
        b->setCheckable(true);
        b->setFont(depthFont);
        SetTextColor(b, Qt::blue);
        m_modeGroup->addButton(b);
        connect(b, &QToolButton::clicked, this, [this, b] { SpeedButton1Click(b); });
    }
    SBEdit = MakeToolButton(Panel1, "SBEdit", {18, 220, 83, 35});
    SBEdit->setText(tr("編集"));
    {
        QFont f = UiFont(15);
        f.setUnderline(true);
        SBEdit->setFont(f);
    }
    SBEdit->setIcon(QIcon(EditGlyph()));
    SBEdit->setIconSize({24, 24});
    SBEdit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SBEdit->setCheckable(true);
    SBEdit->setStatusTip(tr("編集"));
    m_modeGroup->addButton(SBEdit);

    // Panel2: colours and width.
    shapeB = new ColorSwatch(Panel2);
    shapeB->setObjectName(QStringLiteral("shapeB"));
    shapeB->setGeometry(18, 20, 39, 33);
    ShapeP = new ColorSwatch(Panel2);
    ShapeP->setObjectName(QStringLiteral("ShapeP"));
    ShapeP->setGeometry(26, 24, 23, 13);
    ShapeP->setStatusTip(tr("先端の色"));
    Shape1 = new ColorSwatch(Panel2);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(26, 36, 23, 13);
    Shape1->setStatusTip(tr("幹の色"));
    Label1 = MakeLabel(Panel2, "Label1", tr("幹の太さ"), {66, 12}, UiFont(13));
    cboxPenWidth = new QComboBox(Panel2);
    cboxPenWidth->setObjectName(QStringLiteral("cboxPenWidth"));
    for (int i = 0; i <= 10; ++i) {
        cboxPenWidth->addItem(QString::number(i));
    }
    cboxPenWidth->setCurrentIndex(2); // in the window's own font
    cboxPenWidth->setGeometry(66, 28, 53, 24);
    cboxWide = new QCheckBox(tr("自動ｻｲｽﾞ調整"), Panel2);
    cboxWide->setObjectName(QStringLiteral("cboxWide"));
    cboxWide->setFont(UiFont(13));
    cboxWide->move(18, 64);
    cboxWide->adjustSize();

    // Panel3: files and commands.
    SBload = MakeToolButton(Panel3, "SBload", {11, 16, 29, 29});
    SBload->setIcon(QIcon(OpenGlyph()));
    SBload->setIconSize({20, 20});
    SBload->setStatusTip(tr("データの読み出し"));
    SBSave = MakeToolButton(Panel3, "SBSave", {50, 16, 29, 29});
    SBSave->setIcon(QIcon(SaveGlyph()));
    SBSave->setIconSize({20, 20});
    SBSave->setStatusTip(tr("データの記録"));
    SpeedButton17 = MakeToolButton(Panel3, "SpeedButton17", {90, 16, 29, 29});
    SpeedButton17->setIcon(QIcon(CopyGlyph()));
    SpeedButton17->setIconSize({20, 20});
    QFont underlined = UiFont(15);
    underlined.setUnderline(true);
    SBInit = MakeToolButton(Panel3, "SBInit", {10, 59, 57, 27});
    SBInit->setText(tr("初期化"));
    SBInit->setFont(underlined);
    BBclose = MakeToolButton(Panel3, "BBclose", {68, 59, 55, 27});
    BBclose->setText(tr("終　了"));
    BBclose->setFont(underlined);

    // Panel4: credits.
    Image1 = new QLabel(Panel4);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(7, 7, 125, 150);
    Image1->setPixmap(DecorTree({125, 150}));
    Image2 = new QLabel(Panel4);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(100, 116, 28, 31);
    Image2->setPixmap(DecorSprout({28, 31}));
    lblMyname = MakeLabel(
        Panel4, "lblMyname", QString(), {10, 10},
        LatinFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 15, true));
    SetTextColor(lblMyname, QColor(0, 0, 128));
    lblIam = MakeLabel(Panel4, "lblIam", QStringLiteral("Ramulet authors"), {8, 146},
                       UiFont(15));
    lblToday = MakeLabel(Panel4, "lblToday", QString(), {14, 166}, UiFont(15));

    ScrollBox1->setWidget(content);
}

void TMainform::BuildPopupMenu()
{
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->setFont(UiFont(15));
    m_kindGroup = new QActionGroup(this);
    m_kindGroup->setExclusive(true);
    auto addKind = [&](const char *name, const QString &caption, int tag, int image) {
        QAction *a = PopupMenu2->addAction(QIcon(KindMenuImage(image)), caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setData(tag);
        a->setIconVisibleInMenu(true);
        m_kindGroup->addAction(a);
        return a;
    };
    mnorder = addKind("mnorder", tr("正像"), 1, 1);
    mnreverse = addKind("mnreverse", tr("鏡像"), 2, 2);
    mnsegment = addKind("mnsegment", tr("線分"), 0, 0);
    PopupMenu2->addSeparator();
    MnDelete = PopupMenu2->addAction(tr("削除"));
    MnDelete->setObjectName(QStringLiteral("MnDelete"));

    connect(PopupMenu2, &QMenu::aboutToShow, this, &TMainform::PopupMenu2Popup);
    connect(m_kindGroup, &QActionGroup::triggered, this, &TMainform::mnorderClick);
    connect(MnDelete, &QAction::triggered, this, &TMainform::MnDeleteClick);
}

// ---------------------------------------------------------------------------------------
// Start-up and resizing

void TMainform::FormCreate()
{
    lblMyname->setText(QString::fromUtf8(AppCaption));
    lblMyname->adjustSize();
    lblToday->setText(QStringLiteral("Aug.2004"));
    lblToday->adjustSize();

    m_cursors[crHandPoint] = MakeHandCursor();
    m_cursors[crZoom] = MakeZoomCursor();
    m_cursors[crMove] = MakeMoveCursor();

    // The depth-button table, found by name (ignoring case) as "speedbutton" + n.
    const QList<QToolButton *> buttons = findChildren<QToolButton *>();
    for (int n = 1; n <= MaxDepth; ++n) {
        const QString wanted = QStringLiteral("speedbutton") + QString::number(n);
        for (QToolButton *b : buttons) {
            if (b->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
                m_depthButtons[static_cast<size_t>(n)] = b;
                b->setProperty("tag", n);
                const QString hint = tr("%n重に繰り返し", nullptr, n);
                b->setStatusTip(hint);
                b->setToolTip(hint);
                break;
            }
        }
    }

    // Hints reach DisplayHint through event(): every control's status tip is routed there.
    BuildMenuBar();

    // The menu bar comes on top of the client area, which keeps its size.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize outer = WindowSizeFor(InitialClientSize(screen ? screen->geometry().height() : 0));
    resize(outer);
    if (screen) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(outer.width() / 2, outer.height() / 2));
    }

    m_store = std::make_unique<Tseglines>();
    m_depth = 1;

    // The window is not shown yet: lay it out now, so that the steps below (and a file
    // named on the command line) work at the views' real size.
    for (QWidget *w : {static_cast<QWidget *>(this), centralWidget()}) {
        if (w->layout()) {
            w->layout()->activate();
        }
    }
    FitViewsToPanel();

    m_view.ResetView();
    SetDefaultTemplate();
    DrawEditor();

    m_mouseIsDown = false;

    // Files dropped anywhere on the window, and a file named on the command line.
    setAcceptDrops(true);
    OpenCommandLine();
}

bool TMainform::FitViewsToPanel()
{
    const QRect inner = ImagePanel->contentsRect();
    const QSize size(std::max(0, inner.width()), std::max(0, inner.height()));

    // Fresh images of the new size for both views; the views keep their visibility,
    // handlers and hints.
    CImg->setGeometry(QRect(inner.topLeft(), size));
    CImg->ResetImage(size);
    Img1->setGeometry(QRect(inner.topLeft(), size));
    Img1->ResetImage(size);
    if (!size.isEmpty()) {
        sbAdd->move(inner.left() + size.width() - sbAdd->width() - AddButtonRightGap,
                    inner.top() + size.height() - sbAdd->height() - AddButtonBottomGap);
    }
    return m_view.SetViewSize(size.width(), size.height());
}

void TMainform::FormResize() { ResizeViews(true); }

void TMainform::ResizeViews(bool rebuildPoints)
{
    const QSize frame(m_view.frameWidth, m_view.frameHeight);
    const bool hasArea = FitViewsToPanel();
    CImg->setVisible(!SBEdit->isChecked());

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
    SBEdit->setChecked(true);
    const DrawSettings defaults;
    m_settings.BackColor = defaults.BackColor;
    m_settings.TipColor = defaults.TipColor;
    m_settings.TrunkColor = defaults.TrunkColor;
    ShowColors();
    SetCurrentFile(QString());
}

void TMainform::ShowColors()
{
    ShapeP->setFill(ToQColor(m_settings.TipColor));
    ShapeP->setOutline(ToQColor(m_settings.TipColor));
    Shape1->setFill(ToQColor(m_settings.TrunkColor));
    Shape1->setOutline(ToQColor(m_settings.TrunkColor));
    shapeB->setFill(ToQColor(m_settings.BackColor));
}

void TMainform::ApplySettings(const DrawSettings &s)
{
    m_settings = s;
    ShowColors();
    // setCurrentIndex does not emit activated(), so cboxPenWidthChange does not run.
    cboxPenWidth->setCurrentIndex(std::clamp(s.PenWidthSetting / 20, 0, 10));
    m_penIndexCommitted = cboxPenWidth->currentIndex();
}

void TMainform::SetCurrentFile(const QString &path)
{
    m_fileName = path;
    const QString caption = QString::fromUtf8(AppCaption);
    setWindowTitle(path.isEmpty() ? caption
                                  : caption + QStringLiteral(" : ") + QFileInfo(path).fileName());
}

// ---------------------------------------------------------------------------------------
// Tree and picture

void TMainform::GenerateTree()
{
    GrowTree(m_table, *m_store, m_depth);
    RenderPicture();
}

void TMainform::RenderPicture()
{
    BuildColorRamp(m_ramp, m_settings, m_depth);
    if (cboxPenWidth->hasFocus()) {
        cboxPenWidth->clearFocus();
    }
    // Also without a view to draw in: the setting is what a save writes.
    m_settings.PenWidthSetting = std::clamp(cboxPenWidth->currentIndex(), 0, 10) * 20;
    if (!m_view.HasArea() || CImg->image().isNull()) {
        return;
    }
    m_picture = m_recorder.Record(*m_store, m_view, m_settings, m_ramp, cboxWide->isChecked());
    ShowTreePicture(CImg->image(), *m_picture, m_settings.BackColor, SmoothShown());
    CImg->update();
    RefreshLiveTree();
}

void TMainform::DrawEditor()
{
    const std::array<bool, 16> usable = UpdateDepthButtons(m_table);
    for (int n = 1; n <= MaxDepth; ++n) {
        if (QToolButton *b = m_depthButtons[static_cast<size_t>(n)]) {
            b->setEnabled(usable[static_cast<size_t>(n - 1)]);
        }
    }
    QImage &img = Img1->image();
    if (!img.isNull()) {
        // Always in the default view, also when it is repainted hidden behind a zoomed tree.
        ViewState editorView = m_view;
        editorView.ResetView();
        PaintEditorImage(img, editorView);
    }
    m_editor.HighlightShown = false;
    sbAdd->raise();
    Img1->update();
    // Every change of the template is followed by a repaint of the editor.
    if (m_values && m_values->isVisible()) {
        m_values->refresh();
    }
}

void TMainform::HighlightPoint(int32_t row)
{
    QImage &img = Img1->image();
    if (!img.isNull()) {
        QPainter p(&img);
        PaintHighlightPoint(p, m_table, row);
    }
    m_editor.HighlightShown = true;
    Img1->update();
}

void TMainform::HighlightBranch(int32_t row)
{
    QImage &img = Img1->image();
    if (!img.isNull()) {
        QPainter p(&img);
        PaintHighlightBranch(p, m_table, row);
    }
    m_editor.HighlightShown = true;
    Img1->update();
}

// ---------------------------------------------------------------------------------------
// Modes, hints, closing

void TMainform::SpeedButton1Click(QToolButton *button)
{
    m_depth = std::clamp(button->property("tag").toInt(), 1, MaxDepth);
    Img1->hide();
    sbAdd->hide();
    CImg->show();
    GenerateTree();
}

void TMainform::SBEditClick()
{
    Img1->show();
    sbAdd->show();
    CImg->hide();
    // The editor's last painting was made in the default view and stays valid.
    m_view.ResetView();
    RefreshLiveTree(); // unless the live tree's depth has changed meanwhile
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
    if (m_table.BranchCount != 1 || HasUnsavedChanges()) {
        Beep();
        if (!AskYesNo(tr(CloseQuestion))) {
            e->ignore();
            return;
        }
    }
    e->accept();
}

void TMainform::Beep()
{
    if (m_hooks.beep) {
        m_hooks.beep();
    } else {
        QApplication::beep();
    }
}

bool TMainform::AskYesNo(const QString &text)
{
    if (m_hooks.askYesNo) {
        return m_hooks.askYesNo(text);
    }
    std::unique_ptr<QMessageBox> box(MakeWarningBox(this, text, true));
    box->exec();
    return box->clickedButton() == box->button(QMessageBox::Yes);
}

void TMainform::Warn(const QString &text)
{
    if (m_hooks.warn) {
        m_hooks.warn(text);
        return;
    }
    std::unique_ptr<QMessageBox> box(MakeWarningBox(this, text, false));
    box->exec();
}

// ---------------------------------------------------------------------------------------
// Tree view

void TMainform::CImgMouseDown(MouseButton button, ShiftState shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (cboxWide->isChecked()) {
        Beep();
        Warn(tr(ZoomRefusal));
        return;
    }
    m_mouseIsDown = true;
    m_gesture.press({x, y}, m_view);
}

void TMainform::CImgMouseMove(ShiftState shift, int x, int y)
{
    Q_UNUSED(shift);
    // Beyond 4 pixels from the press the click becomes a pan: the view follows the mouse.
    if (m_mouseIsDown && m_gesture.move({x, y}, m_view)) {
        RenderPicture();
    }
    CImg->setCursor(m_gesture.panning() ? QCursor(Qt::ClosedHandCursor) : cursorById(crZoom));
}

void TMainform::CImgMouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    if (!m_mouseIsDown) {
        return;
    }
    m_mouseIsDown = false;
    const bool panned = m_gesture.panning();
    m_gesture.clear();
    if (panned) {
        CImg->setCursor(cursorById(crZoom));
        return; // the view has followed the mouse already
    }
    m_view.ApplyClick(x, y, button, shift);
    RenderPicture();
}

// ---------------------------------------------------------------------------------------
// Editor

void TMainform::ApplyEditorCursor()
{
    switch (m_editor.cursor()) {
    case EditorCursor::Point:
        Img1->setCursor(cursorById(crHandPoint));
        break;
    case EditorCursor::Line:
        Img1->setCursor(cursorById(crMove));
        break;
    case EditorCursor::Arrow:
        Img1->setCursor(Qt::ArrowCursor);
        break;
    }
}

void TMainform::Img1MouseMove(ShiftState shift, int x, int y)
{
    // Shift during a drag snaps it; without Shift the move is as it always was.
    const int32_t selected = m_editor.SelectedIndex;
    const EditorRepaint r = m_editor.mouseMove(x, y, (shift & ssShift) != 0, EditorDefaultView());
    ApplyEditorCursor();
    if (m_editor.SelectedIndex != selected && m_editor.hasSelection()) {
        m_values->showSelectedRow(m_editor.SelectedIndex);
    }
    if (r.repaint && m_mouseIsDown && m_values->isVisible()) {
        m_values->refresh(); // at once, also when the live tree's repaint comes later
    }
    if (!r.repaint) {
        return;
    }
    if (LiveTreeShown()) {
        ScheduleEditorRepaint(r); // moves that come while it is drawn join it
        return;
    }
    DrawEditor();
    if (r.highlight == HighlightKind::Point) {
        HighlightPoint(r.row);
    } else if (r.highlight == HighlightKind::Branch) {
        HighlightBranch(r.row);
    }
}

void TMainform::Img1MouseDown(MouseButton button, ShiftState shift, int x, int y)
{
    Q_UNUSED(shift);
    // Press to release is one undoable step; a press that ends a drag ends its step.
    FinishDragStep();
    if (button == MouseButton::Left) {
        m_dragBefore = CaptureTemplateState();
        m_dragText = m_editor.PointIndex != -1 ? tr("点の移動") : tr("枝の平行移動");
    }
    m_editor.mouseDown(button, x, y);
}

void TMainform::Img1MouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    m_editor.mouseUp();
    FinishDragStep();
}

void TMainform::Img1ContextMenu(const QPoint &globalPos)
{
    // Not while a button is held (the menu key during a drag): the drag's step is open.
    if (!m_editor.popupAttached() || m_mouseIsDown) {
        return;
    }
    if (m_hooks.popup) {
        // The hook gets the menu as it would open, with the hovered branch's kind checked.
        PopupMenu2Popup();
        m_hooks.popup(PopupMenu2, globalPos);
        return;
    }
    PopupMenu2->exec(globalPos);
}

void TMainform::PopupMenu2Popup()
{
    const int position = m_editor.popupCheckedPosition();
    QAction *items[] = {mnorder, mnreverse, mnsegment};
    if (position >= 0 && position <= 2) {
        items[position]->setChecked(true);
    }
}

void TMainform::mnorderClick(QAction *item)
{
    const TemplateState before = CaptureTemplateState();
    m_editor.setKindByTag(item->data().toInt());
    DrawEditor();
    RecordStep(tr("属性変更"), before);
}

void TMainform::MnDeleteClick()
{
    const TemplateState before = CaptureTemplateState();
    m_editor.deleteHovered();
    ApplyEditorCursor();
    DrawEditor();
    RecordStep(tr("枝の削除"), before);
}

void TMainform::sbAddClick()
{
    const TemplateState before = CaptureTemplateState();
    m_editor.addBranch(m_view);
    DrawEditor();
    RecordStep(tr("枝の追加"), before);
}

void TMainform::SBInitClick()
{
    if (m_table.BranchCount != 1 || HasUnsavedChanges()) {
        Beep();
        if (!AskYesNo(tr(ResetQuestion))) {
            return;
        }
    }
    const TemplateState before = CaptureTemplateState();
    ResetAll();
    RecordStep(tr("初期化"), before, true);
}

void TMainform::ResetAll()
{
    SetDefaultTemplate();
    // The rows the hover state named are gone.
    m_editor.clearHover();
    m_editor.SelectedIndex = -1;
    ApplyEditorCursor();
    FormResize();
    SBEdit->setChecked(true);
    Img1->show();
    // Shown at once, also after a reset begun in view mode.
    sbAdd->show();
    sbAdd->raise();
}

// ---------------------------------------------------------------------------------------
// Picture controls

void TMainform::ChooseColor(ColorSwatch *swatch, TColor &setting, bool outlineFollows)
{
    const QColor initial = ToQColor(setting);
    std::optional<QColor> chosen;
    if (m_hooks.chooseColor) {
        chosen = m_hooks.chooseColor(initial);
    } else {
        const QColor c = QColorDialog::getColor(initial, this);
        if (c.isValid()) {
            chosen = c;
        }
    }
    // The step starts after the dialog: a resize while it was open is no part of it.
    const TemplateState before = CaptureTemplateState();
    // A cancelled dialog keeps the colour it was preset with.
    const TColor colour = chosen && chosen->isValid() ? FromQColor(*chosen) : setting;
    swatch->setFill(ToQColor(colour));
    swatch->setOutline(outlineFollows ? ToQColor(colour) : QColor(Qt::black));
    setting = colour;
    RenderPicture();
    RecordStep(tr("色の変更"), before);
}

void TMainform::shapeBMouseUp() { ChooseColor(shapeB, m_settings.BackColor, false); }

void TMainform::ShapePMouseUp() { ChooseColor(ShapeP, m_settings.TipColor, true); }

void TMainform::Shape1MouseUp() { ChooseColor(Shape1, m_settings.TrunkColor, true); }

void TMainform::cboxPenWidthChange()
{
    // The list has already moved when its handler runs: the step starts from its last index.
    TemplateState before = CaptureTemplateState();
    before.penIndex = m_penIndexCommitted;
    RenderPicture();
    RecordStep(tr("幹の太さ"), before);
}

void TMainform::cboxWideClick() { GenerateTree(); }

void TMainform::SpeedButton17Click()
{
    // Not while a button is held in a view (a shortcut during a drag).
    if (m_mouseIsDown || !m_picture) {
        return;
    }
    QGuiApplication::clipboard()->setMimeData(
        MakeClipboardData(*m_picture, QSize(m_view.viewWidth, m_view.viewHeight), SmoothShown()));
}

} // namespace ramulet
