#include "app/variationdialog.h"

#include "app/gallerydialog.h"
#include "core/random.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/picture.h"
#include "view/record.h"
#include "view/renderpipeline.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace ramulet {

namespace {

constexpr int CentreCell = 4;

// The ring's neighbours fill the cells around the centre, row by row.
int RingIndex(int cell) { return cell < CentreCell ? cell : cell - 1; }

QPixmap Blank(TColor back)
{
    QPixmap blank(VariationThumbnailSide, VariationThumbnailSide);
    blank.fill(back == White ? QColor(Qt::white) : ToQColor(back));
    return blank;
}

// A dynamic property that the style sheet frames; the style reads it again only when the
// widget is polished anew.
void SetFramed(QWidget *w, const char *property, bool on)
{
    if (w->property(property).toBool() == on) {
        return;
    }
    w->setProperty(property, on);
    w->style()->unpolish(w);
    w->style()->polish(w);
}

} // namespace

QImage VariationThumbnail(const VariationTemplate &v, const VariationLook &look, QSize size)
{
    if (size.isEmpty()) {
        return {};
    }
    // The window's path for a template: its rows placed in the default view of this size,
    // grown, recorded with the automatic fit.
    BranchTable table = v.table;
    RenderRequest r;
    r.view = PlaceTemplate(table, size.width(), size.height());
    r.depth = DeepestOfferedDepth(table, std::min(look.depth, ThumbnailDepthLimit));
    r.settings = look.settings;
    r.settings.TipColor = v.colors.tip;
    r.settings.TrunkColor = v.colors.trunk;
    r.fit = true;
    RenderPipeline pipeline;
    const auto picture = pipeline.Render(table, r);
    return ThumbnailImage(*picture, size);
}

void StartVariationThumbnails(QThreadPool &pool, const std::vector<VariationTemplate> &templates,
                              const VariationLook &look, QSize size,
                              const std::function<void(int, const QImage &)> &done)
{
    for (size_t i = 0; i < templates.size(); ++i) {
        pool.start([v = templates[i], look, size, done, i] {
            done(static_cast<int>(i), VariationThumbnail(v, look, size));
        });
    }
}

// ---------------------------------------------------------------------------------------

VariationDialog::VariationDialog(const VariationTemplate &current, const VariationLook &look,
                                 uint64_t seed, QWidget *parent)
    : QDialog(parent), m_look(look), m_centre(current), m_seeds(seed)
{
    setObjectName(QStringLiteral("DlgVariation"));
    setWindowTitle(tr("バリエーション"));
    m_centreTip = tr("いまのテンプレート");
    m_ringSeed = SplitMix64(m_seeds);
    BuildControls();
    MakeRing();
}

VariationDialog::~VariationDialog()
{
    // The workers post their images to this object: they finish while it is whole.
    m_pool.clear();
    m_pool.waitForDone();
}

QWidget *VariationDialog::BuildGrid()
{
    auto *grid = new QWidget(this);
    grid->setObjectName(QStringLiteral("VariationGrid"));
    grid->setFocusPolicy(Qt::StrongFocus);
    auto *layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(0, 0, 0, 0);
    const QPixmap blank = Blank(m_look.settings.BackColor);
    for (int i = 0; i < 9; ++i) {
        auto *b = new QToolButton(grid);
        b->setObjectName(QStringLiteral("VariationCell%1").arg(i));
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize({VariationThumbnailSide, VariationThumbnailSide});
        b->setIcon(QIcon(blank));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, i] { moveToCentre(i); });
        layout->addWidget(b, i / 3, i % 3);
        m_cells[static_cast<size_t>(i)] = b;
    }
    // The centre framed in grey, the neighbour the arrow keys chose in the selection colour.
    grid->setStyleSheet(QStringLiteral(
        "QToolButton { border: 3px solid transparent; border-radius: 4px; padding: 1px; }"
        "QToolButton[centre=\"true\"] { border-color: gray; }"
        "QToolButton[chosen=\"true\"] { border-color: palette(highlight); }"
        "QToolButton:hover { background: palette(midlight); }"));
    SetFramed(m_cells[CentreCell], "centre", true);
    return grid;
}

void VariationDialog::BuildControls()
{
    QWidget *grid = BuildGrid();
    m_strength = new QSlider(Qt::Horizontal, this);
    m_strength->setObjectName(QStringLiteral("VariationStrength"));
    m_strength->setRange(VariationMinStrength, VariationMaxStrength);
    m_strength->setValue(VariationDefaultStrength);
    m_strength->setPageStep(1);
    m_strength->setTickPosition(QSlider::TicksBelow);
    auto box = [this](const char *name, const QString &text) {
        auto *b = new QCheckBox(text, this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QCheckBox::toggled, this, &VariationDialog::MakeRing);
        return b;
    };
    m_keepSymmetry = box("VariationKeepSymmetry", tr("対称を保つ"));
    m_keepCount = box("VariationKeepCount", tr("枝の数を保つ"));
    m_colors = box("VariationColors", tr("色も変える"));
    connect(m_strength, &QSlider::valueChanged, this, &VariationDialog::MakeRing);

    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_random = button("VariationRandom", tr("ランダム"));
    m_back = button("VariationBack", tr("戻る"));
    m_use = button("VariationUse", tr("使う"));
    QPushButton *cancel = button("VariationCancel", tr("キャンセル"));
    m_use->setDefault(true);
    m_back->setEnabled(false);
    connect(m_random, &QPushButton::clicked, this, &VariationDialog::randomCentre);
    connect(m_back, &QPushButton::clicked, this, &VariationDialog::back);
    connect(m_use, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LayOutControls(grid, cancel);
    grid->setFocus();
    ShowSelection();
}

void VariationDialog::LayOutControls(QWidget *grid, QPushButton *cancel)
{
    auto *strengthRow = new QHBoxLayout;
    strengthRow->addWidget(new QLabel(tr("控えめ"), this));
    strengthRow->addWidget(m_strength, 1);
    strengthRow->addWidget(new QLabel(tr("大胆"), this));
    auto *boxes = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_keepSymmetry), static_cast<QWidget *>(m_keepCount),
                       static_cast<QWidget *>(m_colors)}) {
        boxes->addWidget(w);
    }
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_random, m_back}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_use);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grid, 0, Qt::AlignHCenter);
    layout->addLayout(strengthRow);
    layout->addLayout(boxes);
    layout->addLayout(buttons);
}

VariationOptions VariationDialog::options() const
{
    VariationOptions o;
    o.strength = m_strength->value();
    o.keepSymmetry = m_keepSymmetry->isChecked();
    o.keepCount = m_keepCount->isChecked();
    o.colors = m_colors->isChecked();
    return o;
}

const VariationTemplate &VariationDialog::neighbour(int cell) const
{
    if (cell == CentreCell || cell < 0 || cell > 8 ||
        static_cast<size_t>(RingIndex(cell)) >= m_ring.size()) {
        return m_centre;
    }
    return m_ring[static_cast<size_t>(RingIndex(cell))].variation;
}

uint64_t VariationDialog::neighbourSeed(int cell) const
{
    if (cell == CentreCell || cell < 0 || cell > 8 ||
        static_cast<size_t>(RingIndex(cell)) >= m_ring.size()) {
        return 0;
    }
    return m_ring[static_cast<size_t>(RingIndex(cell))].seed;
}

void VariationDialog::MakeRing()
{
    ++m_generation;
    m_pendingCount = 0;
    m_ring = MakeVariationRing(m_centre, m_ringSeed, 8, options());
    std::vector<VariationTemplate> templates;
    const QPixmap blank = Blank(m_look.settings.BackColor);
    for (int cell = 0; cell < 9; ++cell) {
        templates.push_back(neighbour(cell));
        QToolButton *b = m_cells[static_cast<size_t>(cell)];
        if (cell != CentreCell) {
            b->setIcon(QIcon(blank));
            b->setToolTip(tr("シード %1").arg(neighbourSeed(cell)));
        } else {
            b->setToolTip(m_centreTip);
        }
    }
    const uint64_t generation = m_generation;
    StartVariationThumbnails(
        m_pool, templates, m_look, {VariationThumbnailSide, VariationThumbnailSide},
        [this, generation](int i, const QImage &image) {
            QMetaObject::invokeMethod(
                this, [this, generation, i, image] { ThumbnailDrawn(generation, i, image); },
                Qt::QueuedConnection);
        });
}

void VariationDialog::ThumbnailDrawn(uint64_t generation, int index, const QImage &image)
{
    if (generation != m_generation) {
        return; // of a ring no longer on show
    }
    m_pending[static_cast<size_t>(index)] = image;
    if (++m_pendingCount < 9) {
        return;
    }
    // All together, so that the grid changes once.
    for (size_t i = 0; i < m_pending.size(); ++i) {
        m_cells[i]->setIcon(QIcon(QPixmap::fromImage(m_pending[i])));
        m_pending[i] = QImage();
    }
    m_shownGeneration = generation;
}

void VariationDialog::waitForThumbnails()
{
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void VariationDialog::moveToCentre(int cell)
{
    if (cell == CentreCell || cell < 0 || cell > 8 ||
        static_cast<size_t>(RingIndex(cell)) >= m_ring.size()) {
        return;
    }
    m_history.push_back({m_centre, m_ringSeed, m_centreTip});
    m_centre = neighbour(cell);
    m_centreTip = tr("シード %1").arg(neighbourSeed(cell));
    m_ringSeed = SplitMix64(m_seeds);
    // The neighbour's picture is the new centre's at once.
    m_cells[CentreCell]->setIcon(m_cells[static_cast<size_t>(cell)]->icon());
    m_back->setEnabled(true);
    MakeRing();
}

void VariationDialog::back()
{
    if (m_history.empty()) {
        return;
    }
    const Step step = std::move(m_history.back());
    m_history.pop_back();
    m_centre = step.centre;
    m_ringSeed = step.ringSeed;
    m_centreTip = step.centreTip;
    m_back->setEnabled(!m_history.empty());
    MakeRing();
}

void VariationDialog::randomCentre()
{
    m_history.push_back({m_centre, m_ringSeed, m_centreTip});
    const uint64_t seed = SplitMix64(m_seeds) >> 32;
    m_centre = RandomTemplate(seed, m_centre.colors, options());
    m_centreTip = tr("ランダム %1").arg(seed);
    m_ringSeed = SplitMix64(m_seeds);
    m_back->setEnabled(true);
    MakeRing();
}

void VariationDialog::selectBy(int dx, int dy)
{
    int row = m_selected / 3;
    int column = m_selected % 3;
    // Over the centre to the cell beyond it.
    do {
        row = (row + dy + 3) % 3;
        column = (column + dx + 3) % 3;
    } while (row * 3 + column == CentreCell);
    m_selected = row * 3 + column;
    ShowSelection();
}

void VariationDialog::ShowSelection()
{
    for (int i = 0; i < 9; ++i) {
        SetFramed(m_cells[static_cast<size_t>(i)], "chosen", i == m_selected);
    }
}

void VariationDialog::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Left:
        selectBy(-1, 0);
        return;
    case Qt::Key_Right:
        selectBy(1, 0);
        return;
    case Qt::Key_Up:
        selectBy(0, -1);
        return;
    case Qt::Key_Down:
        selectBy(0, 1);
        return;
    case Qt::Key_Space:
        moveToCentre(m_selected);
        return;
    case Qt::Key_Backspace:
        back();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

} // namespace ramulet
