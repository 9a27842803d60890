// The gallery of examples in the real window: the real dialog opened with Ctrl+Shift+O and
// the side-bar button, answered with Enter, a double-click, the buttons and Escape; the
// chosen example opened like any file; the examples found from the build tree.

#include "apptesthelpers.h"

#include "app/gallerydialog.h"
#include "io/examples.h"
#include "io/templatefile.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using namespace ramulet;
using namespace ramulet_test;

namespace {

// What the test saw of the real dialog, and how it answered.
struct GallerySeen {
    bool shown = false;
    QString title;
    int count = 0;
    int currentRow = -1;
};

} // namespace

class TestGallery : public QObject {
    Q_OBJECT
private:
    DialogLog log;
    std::unique_ptr<TMainform> w;
    QStringList examples;

    // Answers the next gallery dialog with `answer` once it is shown, noting what it shows.
    void answerGallery(GallerySeen &seen, std::function<void(GalleryDialog *)> answer)
    {
        OnModal<GalleryDialog>([&seen, answer](GalleryDialog *dlg) {
            seen.shown = true;
            seen.title = dlg->windowTitle();
            seen.count = dlg->list()->count();
            seen.currentRow = dlg->list()->currentRow();
            answer(dlg);
        });
    }

private slots:
    void initTestCase()
    {
        // The examples of the source tree, as the build tree's copy offers them.
        examples = InstalledExamples();
        QVERIFY(examples.size() >= 12);
        QCOMPARE(QFileInfo(examples.first()).absolutePath(),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                 QStringLiteral("/../../share/ramulet/examples")));
        QStringList sourceNames = QDir(QStringLiteral(RAMULET_EXAMPLES_DIR))
                                      .entryList({QStringLiteral("*.rm2")}, QDir::Files, QDir::Name);
        QStringList names;
        for (const QString &path : examples) {
            names << QFileInfo(path).fileName();
        }
        QCOMPARE(names, sourceNames);
    }

    void init()
    {
        log = DialogLog();
        w = MakeShownWindow(log);
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    // Ctrl+Shift+O, Enter: the first example is open, as a file from the open dialog is.
    void shortcutAndEnterOpenTheFirstExample()
    {
        GallerySeen seen;
        answerGallery(seen, [](GalleryDialog *dlg) { QTest::keyClick(dlg->list(), Qt::Key_Return); });
        QTest::keyClick(w.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);

        QVERIFY(seen.shown);
        QCOMPARE(seen.title, QStringLiteral("見本"));
        QCOMPARE(seen.count, examples.size());
        QCOMPARE(seen.currentRow, 0);
        QCOMPARE(w->windowTitle(),
                 QStringLiteral("Ramulet 2.3 : ") + QFileInfo(examples.first()).fileName());
        QCOMPARE(w->fileName(), examples.first());
        QVERIFY(w->editMode());
        const LoadResult file = ReadTemplateFile(examples.first());
        QCOMPARE(w->table().BranchCount, file.data.table.BranchCount);
        QCOMPARE(w->settings().BackColor, static_cast<TColor>(file.data.settings.BackColor));
        // One undoable load, like every load.
        QCOMPARE(w->undoStack()->count(), 1);
        QCOMPARE(w->undoStack()->text(0), QStringLiteral("読み出し"));
    }

    // The other answers of the real dialog, from the side-bar button.
    void dialogAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("opened"); // the example opened: -1 none, -2 the last
        QTest::addRow("double-click the third") << "double-click" << 2;
        QTest::addRow("open button after choosing the last") << "open" << -2;
        QTest::addRow("cancel button") << "cancel" << -1;
        QTest::addRow("Escape") << "escape" << -1;
    }
    void dialogAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(int, opened);
        if (opened == -2) {
            opened = int(examples.size()) - 1;
        }
        GallerySeen seen;
        answerGallery(seen, [answer](GalleryDialog *dlg) {
            QListWidget *list = dlg->list();
            auto *buttons = dlg->findChild<QDialogButtonBox *>();
            if (answer == "double-click") {
                const QRect r = list->visualItemRect(list->item(2));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
            } else if (answer == "open") {
                list->setCurrentRow(list->count() - 1);
                QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
            } else if (answer == "cancel") {
                QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            } else {
                QTest::keyClick(list, Qt::Key_Escape);
            }
        });
        QTest::mouseClick(w->findChild<QToolButton *>(QStringLiteral("SBGallery")), Qt::LeftButton);

        QVERIFY(seen.shown);
        if (opened < 0) {
            QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
            QVERIFY(w->fileName().isEmpty());
            QCOMPARE(w->undoStack()->count(), 0);
            QCOMPARE(w->table().BranchCount, 2);
        } else {
            QCOMPARE(w->fileName(), examples.at(opened));
        }
        QVERIFY(log.warnings.isEmpty());
    }

    // The chosen example goes the way of every file: a file the reader refuses gets its
    // warning and changes nothing.
    void chosenFileGoesThroughLoadFromFile()
    {
        QTemporaryDir dir;
        const QString refused = dir.filePath(QStringLiteral("newer.rm2"));
        QFile f(refused);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Ramulet 2.4\r\n");
        f.close();
        QStringList offered;
        DialogHooks hooks;
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.chooseExample = [&offered, refused](const QStringList &paths) {
            offered = paths;
            return refused;
        };
        SetDialogHooks(*w, hooks);
        w->SBGalleryClick();
        QCOMPARE(offered, examples);
        QVERIFY2(IsOpenRefusal(log.warnings, refused), qPrintable(log.warnings.join('|')));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
        QCOMPARE(w->undoStack()->count(), 0);
    }

    // The thumbnails are the examples drawn in their own colours, fitted: each one has its
    // background at the corner and its tree in the middle part.
    void thumbnailsShowEachExample()
    {
        ThumbnailCache cache(QSize(GalleryThumbnailSide, GalleryThumbnailSide));
        for (const QString &path : examples) {
            QVERIFY(!cache.thumbnail(path));
        }
        cache.waitForDone();
        QSignalSpy ready(&cache, &ThumbnailCache::ready);
        QTRY_COMPARE(ready.size(), examples.size());
        for (const QString &path : examples) {
            const std::optional<QImage> image = cache.thumbnail(path);
            QVERIFY2(image && !image->isNull(), qPrintable(path));
            QCOMPARE(image->size(), QSize(GalleryThumbnailSide, GalleryThumbnailSide));
            const LoadResult file = ReadTemplateFile(path);
            const QColor back = ToQColor(static_cast<TColor>(file.data.settings.BackColor));
            QCOMPARE(image->pixelColor(0, 0).rgb(), back.rgb());
            int drawn = 0;
            for (int y = 0; y < image->height(); ++y) {
                for (int x = 0; x < image->width(); ++x) {
                    drawn += image->pixelColor(x, y).rgb() != back.rgb() ? 1 : 0;
                }
            }
            QVERIFY2(drawn > 100, qPrintable(path));
        }
    }
};

QTEST_MAIN(TestGallery)
#include "test_gallery.moc"
