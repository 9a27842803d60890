// Smooth pictures in the real window: the check box "なめらか" and Ctrl+Shift+A switch the
// tree view, the live tree, the clipboard's bitmap and PNG exports to the smooth scan
// conversion and back, the window's picture is the one ramulet-render --smooth writes, and
// SVG, the clipboard's SVG and template files do not change.

#include "apptesthelpers.h"
#include "common/testsupport.h"

#include "app/exportpicture.h"
#include "editor/editordraw.h"
#include "editor/livetree.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

using namespace ramulet;
using namespace ramulet_test;

namespace {

using ramulet::test::ReadAll;

QImage Argb(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32); }

} // namespace

class TestSmoothView : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;
    std::unique_ptr<QTemporaryDir> dir;
    QString saveAnswer;
    QString exportAnswer;

    QCheckBox *smooth() { return w->findChild<QCheckBox *>("cboxSmooth"); }
    void settle() { QCoreApplication::processEvents(); }
    void ctrlShiftA()
    {
        QTest::keyClick(w.get(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
    }
    void click(const char *button)
    {
        QTest::mouseClick(w->findChild<QToolButton *>(button), Qt::LeftButton);
        settle();
    }

    // What the window writes or copies for one output, as bytes (SVG, template) or as an
    // image (PNG, bitmaps), read back from where the window put it.
    struct Output {
        QImage image;
        QByteArray bytes;
    };
    Output Take(const QString &what)
    {
        Output out;
        if (what == "tree view") {
            out.image = w->treeView()->image().copy();
        } else if (what == "live tree") {
            click("SBEdit");
            w->findChild<QCheckBox *>("cboxPreview")->setChecked(true);
            settle();
            out.image = w->editorView()->image().copy();
            w->findChild<QCheckBox *>("cboxPreview")->setChecked(false);
            click("SBEdit");
        } else if (what == "clipboard bitmap" || what == "clipboard svg") {
            QGuiApplication::clipboard()->clear();
            click("SpeedButton17");
            const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
            if (clip != nullptr) {
                out.image = qvariant_cast<QImage>(clip->imageData());
                out.bytes = clip->data(what == "clipboard svg" ? QStringLiteral("image/svg+xml")
                                                               : QStringLiteral("image/png"));
            }
        } else if (what == "png export" || what == "svg export") {
            exportAnswer = dir->filePath(what == "png export" ? "tree.png" : "tree.svg");
            QFile::remove(exportAnswer);
            click("SBExport");
            out.bytes = ReadAll(exportAnswer);
            if (what == "png export") {
                out.image.loadFromData(out.bytes, "PNG");
            }
        } else if (what == "template file") {
            saveAnswer = dir->filePath("tree.rm2");
            QFile::remove(saveAnswer);
            click("SBSave");
            out.bytes = ReadAll(saveAnswer);
        }
        return out;
    }

    // The smooth image the window should show or write for an output, drawn from its
    // current picture (the live tree's from a tree of its own, as the editor draws it).
    QImage SmoothExpected(const QString &what, QSize size)
    {
        if (what == "live tree") {
            ViewState v = w->view();
            v.ResetView();
            LiveTree tree;
            tree.SetSmooth(true);
            DrawSettings s = w->settings();
            s.PenWidthSetting = w->findChild<QComboBox *>("cboxPenWidth")->currentIndex() * 20;
            tree.Update(w->table(), LiveTree::ShownDepth(w->table(), w->depth()), v, s);
            QImage img(size, QImage::Format_RGB32);
            QPainter p(&img);
            PaintEditor(p, img.size(), w->table(), v, w->palette().color(QPalette::WindowText),
                        [&tree](QPainter &q) { tree.Draw(q); });
            return img;
        }
        if (what == "tree view") {
            QImage img(size, w->treeView()->image().format());
            ShowTreePicture(img, *w->treePicture(), w->settings().BackColor, true);
            return img;
        }
        return TreePictureToImage(*w->treePicture(), size, true);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        log = DialogLog();
        w = MakeShownWindow(log);
        QVERIFY(w);
        DialogHooks hooks;
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.askYesNo = [](const QString &) { return true; };
        hooks.chooseSaveFile = [this](const QString &) { return saveAnswer; };
        SetDialogHooks(*w, hooks);
        ExportHooks exportHooks;
        exportHooks.chooseFile = [this](const QString &, QString *) { return exportAnswer; };
        exportHooks.choosePngWidth = [](int defaultWidth, int) { return defaultWidth; };
        SetExportHooks(*w, exportHooks);
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTRY_COMPARE(w->treeView()->size(), QSize(636, 634));
        QVERIFY(smooth());
    }

    void cleanup()
    {
        w.reset();
        dir.reset();
    }

    void theBoxAndItsPlace()
    {
        QVERIFY(!smooth()->isChecked());
        QCOMPARE(smooth()->parentWidget()->objectName(), QStringLiteral("Panel4"));
        QCOMPARE(smooth()->pos(), QPoint(10, 58));
        QCOMPARE(smooth()->text(), QStringLiteral("なめらか"));
        QCOMPARE(smooth()->font(), w->findChild<QCheckBox *>("cboxWide")->font());
        // Between the live tree's box and the gallery button, overlapping neither.
        const QRect box = smooth()->geometry();
        QVERIFY(!box.intersects(w->findChild<QCheckBox *>("cboxPreview")->geometry()));
        QVERIFY(!box.intersects(w->findChild<QToolButton *>("SBGallery")->geometry()));
    }

    // At depth 12 the window's smooth picture is, pixel for pixel, the one the renderer
    // writes; switched off again it is the classic picture it was, and nothing was grown or
    // recorded anew for either switch.
    void sameAsTheRenderer()
    {
        QTest::mouseClick(w->depthButton(12), Qt::LeftButton);
        const QImage classic = w->treeView()->image().copy();
        const auto picture = w->treePicture();
        ctrlShiftA();
        QVERIFY(smooth()->isChecked());
        const QImage shown = w->treeView()->image().copy();
        QVERIFY(shown != classic);

        const QString png = dir->filePath("render.png");
        QProcess render;
        render.start(QStringLiteral(RAMULET_RENDER),
                     {"--depth", "12", "--smooth", "-o", png});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        QImage written;
        QVERIFY(written.load(png));
        QCOMPARE(Argb(shown), Argb(written));

        ctrlShiftA();
        QVERIFY(!smooth()->isChecked());
        QCOMPARE(w->treeView()->image(), classic);
        QCOMPARE(w->treePicture(), picture);
    }

    // Each output, with the box checked, against its smooth rendering (bitmaps) or against
    // what it was unchecked (vector pictures and files, which do not change).
    void everyOutputFollows_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("drawnSmooth");
        QTest::addRow("tree view") << "tree view" << true;
        QTest::addRow("live tree") << "live tree" << true;
        QTest::addRow("clipboard bitmap") << "clipboard bitmap" << true;
        QTest::addRow("png export") << "png export" << true;
        QTest::addRow("clipboard svg") << "clipboard svg" << false;
        QTest::addRow("svg export") << "svg export" << false;
        QTest::addRow("template file") << "template file" << false;
    }
    void everyOutputFollows()
    {
        QFETCH(QString, what);
        QFETCH(bool, drawnSmooth);
        QTest::mouseClick(w->depthButton(8), Qt::LeftButton);
        const Output classic = Take(what);
        ctrlShiftA();
        const Output now = Take(what);
        QVERIFY2(log.warnings.isEmpty(), qPrintable(log.warnings.join('\n')));
        if (drawnSmooth) {
            QVERIFY(!now.image.isNull());
            QCOMPARE(Argb(now.image), Argb(SmoothExpected(what, now.image.size())));
            QVERIFY(Argb(now.image) != Argb(classic.image));
            if (what == "clipboard bitmap") {
                QImage fromBytes;
                QVERIFY(fromBytes.loadFromData(now.bytes, "PNG"));
                QCOMPARE(Argb(fromBytes), Argb(now.image));
            }
        } else {
            QVERIFY(!now.bytes.isEmpty());
            QCOMPARE(now.bytes, classic.bytes);
        }
        // Off again: the classic output.
        ctrlShiftA();
        const Output again = Take(what);
        QCOMPARE(Argb(again.image), Argb(classic.image));
        QCOMPARE(again.bytes, classic.bytes);
    }
};

QTEST_MAIN(TestSmoothView)
#include "test_smoothview.moc"
