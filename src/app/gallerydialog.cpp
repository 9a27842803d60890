#include "app/gallerydialog.h"

#include "app/filecommands.h"
#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "io/examples.h"
#include "io/templatefile.h"
#include "view/pictureoutput.h"
#include "view/renderpipeline.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <memory>

namespace ramulet {

namespace {

// Room around a thumbnail in the list: the name below it and a margin.
constexpr int GridWidth = GalleryThumbnailSide + 28;
constexpr int GridHeight = GalleryThumbnailSide + 44;
constexpr int GridColumns = 5;
constexpr int GridRows = 3;

QDateTime Modified(const QString &path) { return QFileInfo(path).lastModified(); }

// What a list item shows until its thumbnail is drawn: nothing, at the thumbnail's size, so
// that nothing moves when it arrives.
QIcon BlankIcon()
{
    QPixmap blank(GalleryThumbnailSide, GalleryThumbnailSide);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

} // namespace

QImage ThumbnailImage(const TreePicture &picture, QSize size)
{
    return TreePictureToImage(picture, size, true);
}

QImage ExampleThumbnail(const QString &path, QSize size)
{
    const LoadResult loaded = ReadTemplateFile(path);
    if (loaded.status != LoadStatus::Accepted || size.isEmpty()) {
        return {};
    }
    // The window's path: the file's rows placed in the default view of this size, grown at
    // the depth, the picture recorded with the automatic fit in the file's settings (the
    // pen width as the pen-width list makes it from the file's setting).
    DrawSettings s;
    if (loaded.data.hasSettings) {
        s = ToDrawSettings(loaded.data.settings);
    }
    s.PenWidthSetting = PenIndexForSetting(s.PenWidthSetting) * 20;
    BranchTable table = loaded.data.table;
    RenderRequest r;
    r.depth = DeepestOfferedDepth(table, ThumbnailDepthLimit);
    r.view = PlaceTemplate(table, size.width(), size.height());
    r.settings = s;
    r.fit = true;
    RenderPipeline pipeline;
    return ThumbnailImage(*pipeline.Render(table, r), size);
}

// ---------------------------------------------------------------------------------------

ThumbnailCache::ThumbnailCache(QSize size, QObject *parent) : QObject(parent), m_size(size) {}

ThumbnailCache::~ThumbnailCache()
{
    // The workers hand their images to this object: they are finished while it is whole.
    m_pool.clear();
    m_pool.waitForDone();
}

std::optional<QImage> ThumbnailCache::thumbnail(const QString &path)
{
    const QDateTime modified = Modified(path);
    const auto found = m_images.constFind(path);
    if (found != m_images.constEnd() && found->modified == modified) {
        return found->image;
    }
    if (!m_pending.contains(path)) {
        m_pending.insert(path, modified);
        const QSize size = m_size;
        // The destructor waits for the workers, so the cache outlives every one of them; an
        // image still queued when the cache goes is dropped with it.
        m_pool.start([this, path, modified, size] {
            const QImage image = ExampleThumbnail(path, size);
            QMetaObject::invokeMethod(
                this, [this, path, modified, image] { store(path, modified, image); },
                Qt::QueuedConnection);
        });
    }
    return std::nullopt;
}

void ThumbnailCache::waitForDone() { m_pool.waitForDone(); }

void ThumbnailCache::store(const QString &path, const QDateTime &modified, const QImage &image)
{
    m_pending.remove(path);
    m_images.insert(path, {modified, image});
    emit ready(path);
}

// ---------------------------------------------------------------------------------------

GalleryDialog::GalleryDialog(const QStringList &examples, ThumbnailCache &thumbnails,
                             QWidget *parent)
    : QDialog(parent), m_thumbnails(thumbnails)
{
    setObjectName(QStringLiteral("DlgGallery"));
    setWindowTitle(tr("見本"));

    BuildList();
    const QIcon blank = BlankIcon();
    for (const QString &path : examples) {
        auto *item = new QListWidgetItem(blank, ExampleName(path), m_list);
        item->setData(Qt::UserRole, path);
        item->setToolTip(QFileInfo(path).fileName());
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    connect(&m_thumbnails, &ThumbnailCache::ready, this, &GalleryDialog::showThumbnail);
    for (const QString &path : examples) {
        showThumbnail(path);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("GalleryButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter on the list and a double-click on an example open it.
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentItemChanged, buttons->button(QDialogButtonBox::Open),
            [open = buttons->button(QDialogButtonBox::Open)](QListWidgetItem *current) {
                open->setEnabled(current != nullptr);
            });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    if (m_list->count() > 0) {
        m_list->setCurrentRow(0);
    } else {
        buttons->button(QDialogButtonBox::Open)->setEnabled(false);
    }
    m_list->setFocus();
}

void GalleryDialog::BuildList()
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("GalleryList"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize({GalleryThumbnailSide, GalleryThumbnailSide});
    m_list->setGridSize({GridWidth, GridHeight});
    m_list->setUniformItemSizes(true);
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setSpacing(0);
    // The selected example is framed in the selection colour, so that its thumbnail is not
    // tinted.
    m_list->setStyleSheet(QStringLiteral(
        "QListWidget::item { border: 3px solid transparent; border-radius: 5px; padding: 2px; }"
        "QListWidget::item:selected { border-color: palette(highlight);"
        " background: palette(highlight); color: palette(highlighted-text); }"));
    const int frame = 2 * m_list->frameWidth();
    const int scrollBar = m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_list->setMinimumSize(GridColumns * GridWidth + frame + scrollBar + 4,
                           GridRows * GridHeight + frame + 4);
}

QString GalleryDialog::selectedPath() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item != nullptr ? item->data(Qt::UserRole).toString() : QString();
}

void GalleryDialog::showThumbnail(const QString &path)
{
    const std::optional<QImage> image = m_thumbnails.thumbnail(path);
    if (!image || image->isNull()) {
        return;
    }
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        if (item->data(Qt::UserRole).toString() == path) {
            // The same picture when selected: the tile's frame shows the selection, and the
            // thumbnail keeps the example's own colours.
            const QPixmap pixmap = QPixmap::fromImage(*image);
            QIcon icon;
            icon.addPixmap(pixmap, QIcon::Normal);
            icon.addPixmap(pixmap, QIcon::Selected);
            item->setIcon(icon);
        }
    }
}

} // namespace ramulet
