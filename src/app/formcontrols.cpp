#include "app/formcontrols.h"

#include "app/bevelpanel.h"
#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/glyphs.h"
#include "app/pictureview.h"
#include "app/swatch.h"
#include "core/segments.h"
#include "editor/editordraw.h"
#include "view/picture.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ramulet {

namespace {

QString T(const char *source) { return WindowText(source); }

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

QToolButton *MakeGlyphButton(QWidget *parent, const char *name, const QRect &geometry,
                             const QPixmap &glyph, const QString &hint)
{
    QToolButton *b = MakeToolButton(parent, name, geometry);
    b->setIcon(QIcon(glyph));
    // The classic 20-pixel glyph, smaller where the button is narrower than the others.
    const int side = std::min(20, geometry.width() - 6);
    b->setIconSize({side, side});
    b->setStatusTip(hint);
    return b;
}

} // namespace

QSize InitialClientSize(int screenHeight)
{
    // The classic window is 704 high outside and 672 inside; on a 600-pixel screen it was
    // made 560 high outside, that is 144 less.
    if (screenHeight == 600) {
        return {DesignClientWidth, DesignClientHeight - (704 - 560)};
    }
    return {DesignClientWidth, DesignClientHeight};
}

QSize FormControls::FitViewsToPanel()
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
    return size;
}

void FormControls::ShowDrawSettings(const DrawSettings &s, int penIndex)
{
    ShapeP->setFill(ToQColor(s.TipColor));
    ShapeP->setOutline(ToQColor(s.TipColor));
    Shape1->setFill(ToQColor(s.TrunkColor));
    Shape1->setOutline(ToQColor(s.TrunkColor));
    shapeB->setFill(ToQColor(s.BackColor));
    shapeB->setOutline(Qt::black);
    // setCurrentIndex does not emit activated(), so cboxPenWidthChange does not run.
    cboxPenWidth->setCurrentIndex(penIndex);
}

QString WindowCaption(const QString &path)
{
    const QString caption = QString::fromUtf8(AppCaption);
    return path.isEmpty() ? caption : caption + QStringLiteral(" : ") + QFileInfo(path).fileName();
}

void PlaceWindow(QWidget *form, QSize outer)
{
    form->resize(outer);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        form->move(avail.center() - QPoint(outer.width() / 2, outer.height() / 2));
    }
}

void LayOutNow(QMainWindow *form)
{
    for (QWidget *w : {static_cast<QWidget *>(form), form->centralWidget()}) {
        if (w->layout()) {
            w->layout()->activate();
        }
    }
}

std::array<QToolButton *, 17> FindDepthButtons(QWidget *form)
{
    std::array<QToolButton *, 17> table{};
    const QList<QToolButton *> buttons = form->findChildren<QToolButton *>();
    for (int n = 1; n <= MaxDepth; ++n) {
        const QString wanted = QStringLiteral("speedbutton") + QString::number(n);
        for (QToolButton *b : buttons) {
            if (b->objectName().compare(wanted, Qt::CaseInsensitive) == 0) {
                table[static_cast<size_t>(n)] = b;
                b->setProperty("tag", n);
                const QString hint = QCoreApplication::translate("ramulet::TMainform",
                                                                 "%n重に繰り返し", nullptr, n);
                b->setStatusTip(hint);
                b->setToolTip(hint);
                break;
            }
        }
    }
    return table;
}

void FormControls::SetupForm(QMainWindow *form)
{
    form->setObjectName(QStringLiteral("Mainform"));
    form->setWindowTitle(QStringLiteral("Ramulet ver.2"));
    form->setFont(UiFont(15));

    auto *central = new QWidget(form);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The image panel: an 8-pixel bevel around the two views, which lie on top of each
    // other. Qt paints every widget through a back buffer, so the panel is double-buffered.
    ImagePanel = new BevelPanel(central);
    ImagePanel->setObjectName(QStringLiteral("ImagePanel"));
    ImagePanel->setBevels(BevelPanel::Bevel::Lowered, BevelPanel::Bevel::Raised, ImageBevelWidth);
    ImagePanel->setColor(form->palette().color(QPalette::Button));
    row->addWidget(ImagePanel, 1);

    const QRect viewRect(2 * ImageBevelWidth, 2 * ImageBevelWidth, DesignViewWidth,
                         DesignViewHeight);
    CImg = new PictureView(ImagePanel);
    CImg->setObjectName(QStringLiteral("CImg"));
    CImg->setGeometry(viewRect);
    CImg->ResetImage(viewRect.size());
    CImg->setStatusTip(T(QT_TRANSLATE_NOOP(
        "ramulet::TMainform", "左クリック：拡大，右クリック：縮小，Shift+クリック：中央へ移動")));
    CImg->hide();

    Img1 = new PictureView(ImagePanel);
    Img1->setObjectName(QStringLiteral("Img1"));
    Img1->setGeometry(viewRect);
    Img1->ResetImage(viewRect.size());
    Img1->setStatusTip(T(QT_TRANSLATE_NOOP(
        "ramulet::TMainform",
        "点のドラッグで移動，枝のドラッグで平行移動，枝の右クリックで属性変更と削除")));

    sbAdd = new QToolButton(ImagePanel);
    sbAdd->setObjectName(QStringLiteral("sbAdd"));
    sbAdd->setText(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の追加")));
    sbAdd->resize(81, 33);
    sbAdd->setFocusPolicy(Qt::NoFocus);
    sbAdd->move(viewRect.right() + 1 - 81 - AddButtonRightGap,
                viewRect.bottom() + 1 - 33 - AddButtonBottomGap);

    SetupSideBar(form);
    row->addWidget(ScrollBox1);
    form->setCentralWidget(central);

    QStatusBar *bar = form->statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(StatusBarHeight);

    SetupPopupMenu(form);
    SetupAdditions();
}

void FormControls::SetupSideBar(QWidget *form)
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

    SetupPanel1(form);
    SetupPanel2();
    SetupPanel3();
    SetupPanel4();
    ScrollBox1->setWidget(content);
}

void FormControls::SetupPanel1(QWidget *form)
{
    // Panel1: depth and mode.
    Label2 = MakeLabel(Panel1, "Label2", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "ネストの深さ")),
                       {16, 12}, UiFont(17));
    m_modeGroup = new QButtonGroup(form);
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
    }
    SBEdit = MakeToolButton(Panel1, "SBEdit", {18, 220, 83, 35});
    SBEdit->setText(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "編集")));
    {
        QFont f = UiFont(15);
        f.setUnderline(true);
        SBEdit->setFont(f);
    }
    SBEdit->setIcon(QIcon(EditGlyph()));
    SBEdit->setIconSize({24, 24});
    SBEdit->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SBEdit->setCheckable(true);
    SBEdit->setStatusTip(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "編集")));
    m_modeGroup->addButton(SBEdit);
}

void FormControls::SetupPanel2()
{
    // Panel2: colours and width.
    shapeB = new ColorSwatch(Panel2);
    shapeB->setObjectName(QStringLiteral("shapeB"));
    shapeB->setGeometry(18, 20, 39, 33);
    ShapeP = new ColorSwatch(Panel2);
    ShapeP->setObjectName(QStringLiteral("ShapeP"));
    ShapeP->setGeometry(26, 24, 23, 13);
    ShapeP->setStatusTip(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "先端の色")));
    Shape1 = new ColorSwatch(Panel2);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(26, 36, 23, 13);
    Shape1->setStatusTip(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "幹の色")));
    Label1 = MakeLabel(Panel2, "Label1", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "幹の太さ")),
                       {66, 12}, UiFont(13));
    cboxPenWidth = new QComboBox(Panel2);
    cboxPenWidth->setObjectName(QStringLiteral("cboxPenWidth"));
    for (int i = 0; i <= 10; ++i) {
        cboxPenWidth->addItem(QString::number(i));
    }
    cboxPenWidth->setCurrentIndex(2); // in the window's own font
    cboxPenWidth->setGeometry(66, 28, 53, 24);
    cboxWide = new QCheckBox(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "自動ｻｲｽﾞ調整")), Panel2);
    cboxWide->setObjectName(QStringLiteral("cboxWide"));
    cboxWide->setFont(UiFont(13));
    cboxWide->move(18, 64);
    cboxWide->adjustSize();
}

void FormControls::SetupPanel3()
{
    // Panel3: files and commands.
    SBload = MakeToolButton(Panel3, "SBload", {11, 16, 29, 29});
    SBload->setIcon(QIcon(OpenGlyph()));
    SBload->setIconSize({20, 20});
    SBload->setStatusTip(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "データの読み出し")));
    SBSave = MakeToolButton(Panel3, "SBSave", {50, 16, 29, 29});
    SBSave->setIcon(QIcon(SaveGlyph()));
    SBSave->setIconSize({20, 20});
    SBSave->setStatusTip(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "データの記録")));
    SpeedButton17 = MakeToolButton(Panel3, "SpeedButton17", {90, 16, 29, 29});
    SpeedButton17->setIcon(QIcon(CopyGlyph()));
    SpeedButton17->setIconSize({20, 20});
    QFont underlined = UiFont(15);
    underlined.setUnderline(true);
    SBInit = MakeToolButton(Panel3, "SBInit", {10, 59, 57, 27});
    SBInit->setText(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "初期化")));
    SBInit->setFont(underlined);
    BBclose = MakeToolButton(Panel3, "BBclose", {68, 59, 55, 27});
    BBclose->setText(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "終　了")));
    BBclose->setFont(underlined);
}

void FormControls::SetupPanel4()
{
    // Panel4: credits.
    Image1 = new QLabel(Panel4);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(7, 7, 125, 150);
    Image1->setPixmap(DecorTree({125, 150}));
    Image2 = new QLabel(Panel4);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(100, 116, 28, 31);
    Image2->setPixmap(DecorSprout({28, 31}));
    lblMyname =
        MakeLabel(Panel4, "lblMyname", QString(), {10, 10},
                  LatinFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 15, true));
    SetTextColor(lblMyname, QColor(0, 0, 128));
    lblIam = MakeLabel(Panel4, "lblIam", QStringLiteral("Ramulet authors"), {8, 146}, UiFont(15));
    lblToday = MakeLabel(Panel4, "lblToday", QString(), {14, 166}, UiFont(15));
}

void FormControls::SetupPopupMenu(QWidget *form)
{
    PopupMenu2 = new QMenu(form);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->setFont(UiFont(15));
    m_kindGroup = new QActionGroup(form);
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
    mnorder = addKind("mnorder", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "正像")), 1, 1);
    mnreverse = addKind("mnreverse", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "鏡像")), 2, 2);
    mnsegment = addKind("mnsegment", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "線分")), 0, 0);
    PopupMenu2->addSeparator();
    MnDelete = PopupMenu2->addAction(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "削除")));
    MnDelete->setObjectName(QStringLiteral("MnDelete"));
}

QCheckBox *FormControls::MakeSideBarToggle(const char *name, const QString &text, QPoint pos,
                                           const QString &tip)
{
    // In the automatic-fit box's font.
    auto *box = new QCheckBox(text, Panel4);
    box->setObjectName(QLatin1String(name));
    box->setFont(cboxWide->font());
    box->move(pos);
    box->adjustSize();
    box->setStatusTip(tip);
    return box;
}

void FormControls::SetupAdditions()
{
    // Export beside the copy button; undo and redo in Panel1, right of the depth buttons.
    SBExport = MakeGlyphButton(Panel3, "SBExport", ExportButtonRect, ExportGlyph(),
                               T(QT_TRANSLATE_NOOP("ramulet::TMainform", "画像の書き出し")));
    SBUndo = MakeGlyphButton(Panel1, "SBUndo", UndoButtonRect, UndoGlyph(),
                             T(QT_TRANSLATE_NOOP("ramulet::TMainform", "元に戻す")));
    SBRedo = MakeGlyphButton(Panel1, "SBRedo", RedoButtonRect, RedoGlyph(),
                             T(QT_TRANSLATE_NOOP("ramulet::TMainform", "やり直し")));
    // The live tree and smooth pictures in the credits panel.
    cboxPreview = MakeSideBarToggle(
        "cboxPreview", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "プレビュー")), {10, 33},
        T(QT_TRANSLATE_NOOP("ramulet::TMainform", "編集画面に木を重ねて表示 (Ctrl+L)")));
    cboxSmooth = MakeSideBarToggle(
        "cboxSmooth", T(QT_TRANSLATE_NOOP("ramulet::TMainform", "なめらか")), {10, 58},
        T(QT_TRANSLATE_NOOP("ramulet::TMainform", "木をなめらかに描く (Ctrl+Shift+A)")));
    // The gallery: a flat text button like SBInit, in its font.
    SBGallery = MakeToolButton(Panel4, "SBGallery", GalleryButtonRect);
    SBGallery->setFont(SBInit->font());
    SBGallery->setText(T(QT_TRANSLATE_NOOP("ramulet::TMainform", "見本")));
    SBGallery->setStatusTip(
        T(QT_TRANSLATE_NOOP("ramulet::TMainform", "見本のテンプレートを開く (Ctrl+Shift+O)")));
    SBGallery->raise();
    // The branch values window right of the gallery's button and the variations below it:
    // flat text buttons like it, in a smaller size of its font so that their texts fit.
    SBValues = MakeSmallTextButton(
        "SBValues", ValuesButtonRect, T(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値")),
        T(QT_TRANSLATE_NOOP("ramulet::TMainform", "枝の値を数値で編集 (Ctrl+T)")));
    SBVariation = MakeSmallTextButton(
        "SBVariation", VariationButtonRect,
        T(QT_TRANSLATE_NOOP("ramulet::TMainform", "バリエーション")),
        T(QT_TRANSLATE_NOOP("ramulet::TMainform",
                            "いまのテンプレートの変化形から選ぶ (Ctrl+Shift+V)")));
}

QToolButton *FormControls::MakeSmallTextButton(const char *name, const QRect &geometry,
                                               const QString &text, const QString &tip)
{
    QToolButton *b = MakeToolButton(Panel4, name, geometry);
    QFont font = SBInit->font();
    font.setPixelSize(13);
    b->setFont(font);
    b->setText(text);
    b->setStatusTip(tip);
    b->raise();
    return b;
}

} // namespace ramulet
