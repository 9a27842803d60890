#pragma once

// The gallery of example templates: a dialog that shows each example as a thumbnail with its
// name, and the thumbnails, drawn by the tree picture's own renderer on worker threads and
// kept for the rest of the run, so that the dialog opens at once and again at once.

#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <cstdint>
#include <optional>

class QListWidget;

namespace ramulet {

class TreePicture;

// Side of a thumbnail in pixels.
inline constexpr int GalleryThumbnailSide = 120;

// A thumbnail shows the deepest depth the depth buttons offer, up to this one: deeper trees
// are finer than its pixels.
inline constexpr int32_t ThumbnailDepthLimit = 10;

// The image of a recorded picture for a thumbnail: the one place that chooses how a
// thumbnail is rasterised.
QImage ThumbnailImage(const TreePicture &picture, QSize size);

// A thumbnail of the template file `path`, the way the window would show it after loading
// the file, choosing the thumbnail's depth and ticking the automatic fit in a view of `size`:
// the file's colours and pen width, the tree fitted. A null image for a file that cannot be
// read or is refused. Safe on any thread.
QImage ExampleThumbnail(const QString &path, QSize size);

// Thumbnails of template files, drawn on worker threads and kept while the file is unchanged.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailCache(QSize size, QObject *parent = nullptr);
    ~ThumbnailCache() override;

    QSize size() const { return m_size; }
    // The thumbnail of `path` when it is drawn (null for a file without one). Otherwise
    // nullopt, and it is being drawn: ready(path) follows.
    std::optional<QImage> thumbnail(const QString &path);
    // Waits until the thumbnails being drawn are done; their ready() signals are then queued.
    void waitForDone();

signals:
    void ready(const QString &path);

private:
    struct Entry {
        QDateTime modified; // of the file when it was drawn
        QImage image;
    };
    void store(const QString &path, const QDateTime &modified, const QImage &image);

    QSize m_size;
    QHash<QString, Entry> m_images;
    QHash<QString, QDateTime> m_pending; // being drawn, with the file's time at the request
    QThreadPool m_pool;
};

// The dialog "見本": the examples as thumbnails with their names, the first one selected.
// Enter, a double-click or the open button accepts it with the selected example.
class GalleryDialog : public QDialog {
    Q_OBJECT
public:
    GalleryDialog(const QStringList &examples, ThumbnailCache &thumbnails,
                  QWidget *parent = nullptr);

    // The example selected, empty when there is none.
    QString selectedPath() const;
    QListWidget *list() const { return m_list; }

private:
    void BuildList();
    void showThumbnail(const QString &path);

    ThumbnailCache &m_thumbnails;
    QListWidget *m_list = nullptr;
};

} // namespace ramulet
