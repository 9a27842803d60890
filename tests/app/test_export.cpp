// The picture export from the window (the helpers, the PNG size dialog, the files written and
// the failures), the row of export, undo and redo buttons, and the keyboard shortcuts.

#include "apptesthelpers.h"
#include "common/testsupport.h"

#include "app/animationdialog.h"
#include "app/exportpicture.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QXmlStreamReader>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace ramulet;
using namespace ramulet_test;

namespace {

// The SVG root's viewBox, or an empty text when the file does not parse as XML with an
// <svg> root.
QString SvgViewBox(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    QString box;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && box.isEmpty()) {
            if (xml.name() != QLatin1String("svg")) {
                return QString();
            }
            box = xml.attributes().value(QLatin1String("viewBox")).toString();
        }
    }
    return xml.hasError() ? QString() : box;
}

using ramulet::test::ReadAll;

} // namespace

class TestExport : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;
    std::unique_ptr<QTemporaryDir> dir;

    // The export dialogs' answers and what they were asked.
    QString fileAnswer;
    QString filterAnswer;
    std::optional<int> widthAnswer;
    QStringList presets;
    QStringList filtersShown;
    int widthRequests = 0;
    int defaultWidthShown = 0;
    int openRequests = 0;
    int saveRequests = 0;
    int galleryRequests = 0;
    int animationRequests = 0;

    QToolButton *button(const char *name) { return w->findChild<QToolButton *>(name); }

    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    QStringList entries() const
    {
        return QDir(dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    // The animation dialog is handed what the tree view shows: the window's table, depth
    // and view.
    void countAnimation(const AnimationSource &source)
    {
        QCOMPARE(source.table.BranchCount, w->table().BranchCount);
        QCOMPARE(source.depth, w->depth());
        QCOMPARE(source.view.viewWidth, w->view().viewWidth);
        ++animationRequests;
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        log = DialogLog();
        w = MakeDesignSizeWindow(log);
        QVERIFY(w);
        fileAnswer.clear();
        filterAnswer.clear();
        widthAnswer.reset();
        presets.clear();
        filtersShown.clear();
        widthRequests = 0;
        openRequests = 0;
        saveRequests = 0;
        galleryRequests = 0;
        animationRequests = 0;
        ExportHooks hooks;
        hooks.chooseFile = [this](const QString &preset, QString *filter) {
            presets << preset;
            filtersShown << *filter;
            if (!filterAnswer.isEmpty()) {
                *filter = filterAnswer;
            }
            return fileAnswer;
        };
        hooks.choosePngWidth = [this](int defaultWidth, int) {
            ++widthRequests;
            defaultWidthShown = defaultWidth;
            return widthAnswer;
        };
        SetExportHooks(*w, hooks);
    }

    void cleanup()
    {
        w.reset();
        dir.reset();
    }

    // --- Helpers ---------------------------------------------------------------------------

    void extensionRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addRow("no extension, SVG") << "tree" << "SVG (*.svg)" << "tree.svg";
        QTest::addRow("no extension, PNG") << "tree" << "PNG (*.png)" << "tree.png";
        QTest::addRow("no extension, PDF") << "tree" << "PDF (*.pdf)" << "tree.pdf";
        QTest::addRow("own extension kept") << "tree.pdf" << "SVG (*.svg)" << "tree.pdf";
        QTest::addRow("upper case kept") << "tree.PNG" << "SVG (*.svg)" << "tree.PNG";
        QTest::addRow("other extension") << "tree.rm2" << "PNG (*.png)" << "tree.rm2.png";
        QTest::addRow("no filter") << "/a/b.c/tree" << "" << "/a/b.c/tree.svg";
    }
    void extensionRule()
    {
        QFETCH(QString, path);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QCOMPARE(WithPictureExtension(path, filter), written);
    }

    void preset_data()
    {
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("preset");
        QTest::addRow("nothing yet") << "" << "" << int(PictureFormat::Svg) << "";
        QTest::addRow("template file") << "" << "/d/tree.rm2" << int(PictureFormat::Png)
                                       << "/d/tree.png";
        QTest::addRow("dotted folder") << "" << "/d.x/tree" << int(PictureFormat::Pdf)
                                       << "/d.x/tree.pdf";
        QTest::addRow("last export wins") << "/e/pic.pdf" << "/d/tree.rm2" << int(PictureFormat::Svg)
                                          << "/e/pic.pdf";
    }
    void preset()
    {
        QFETCH(QString, last);
        QFETCH(QString, file);
        QFETCH(int, format);
        QFETCH(QString, preset);
        QCOMPARE(ExportPreset(last, file, PictureFormat(format)), preset);
    }

    void pngSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("pictureHeight");
        QTest::addColumn<QSize>("size");
        QTest::addRow("the design view") << 636 << 7975 << QSize(636, 634);
        QTest::addRow("square") << 500 << 8000 << QSize(500, 500);
        QTest::addRow("half to even, down") << 1 << 20000 << QSize(1, 2);   // 2.5
        QTest::addRow("half to even, up") << 3 << 12000 << QSize(3, 4);     // 4.5
        QTest::addRow("never below one pixel") << 10 << 100 << QSize(10, 1);
        QTest::addRow("widest") << 8000 << 4000 << QSize(8000, 4000);
    }
    void pngSize()
    {
        QFETCH(int, width);
        QFETCH(int, pictureHeight);
        QFETCH(QSize, size);
        QCOMPARE(PngSizeForWidth(width, pictureHeight), size);
    }

    void pngSizeDialog()
    {
        PngSizeDialog dialog(636, 7975);
        QCOMPARE(dialog.widthBox()->value(), 636);
        QCOMPARE(dialog.widthBox()->maximum(), 8000);
        QCOMPARE(dialog.heightLabel()->text(), QStringLiteral("634 px"));
        dialog.widthBox()->setValue(8000);
        QCOMPARE(dialog.heightLabel()->text(), QStringLiteral("7975 px"));
        QCOMPARE(dialog.chosenSize(), QSize(8000, 7975));
        dialog.widthBox()->setValue(9000); // beyond the limit: held at 8000
        QCOMPARE(dialog.chosenWidth(), 8000);
        // A tall picture offers less width, so that the height stays within 8000 pixels.
        PngSizeDialog tall(6000, 16000);
        QCOMPARE(tall.widthBox()->maximum(), 4000);
        QCOMPARE(tall.chosenWidth(), 4000);
        QCOMPARE(tall.heightLabel()->text(), QStringLiteral("8000 px"));
        QCOMPARE(MaxPngWidth(8000000), 8); // 8 x 8000000 / 8000 = 8000 pixels high
    }

    // --- The buttons -----------------------------------------------------------------------

    void newButtonsFitBesideTheClassicOnes()
    {
        auto *side = w->findChild<QScrollArea *>("ScrollBox1");
        auto *panel1 = w->findChild<QWidget *>("Panel1");
        auto *panel3 = w->findChild<QWidget *>("Panel3");
        // The side bar as designed: nothing of it grew for the new buttons.
        QCOMPARE(panel1->height(), 265);
        QCOMPARE(panel3->height(), 98);
        QCOMPARE(side->widget()->minimumHeight(), 620);
        QCOMPARE(w->findChild<QWidget *>("Panel4")->y(), panel3->y() + 98);
        const struct {
            const char *name;
            QWidget *panel;
            QRect geometry;
            const char *hint;
        } buttons[] = {
            {"SBload", panel3, {11, 16, 29, 29}, "データの読み出し"},
            {"SBSave", panel3, {50, 16, 29, 29}, "データの記録"},
            {"SpeedButton17", panel3, {90, 16, 29, 29}, nullptr},
            {"SBInit", panel3, {10, 59, 57, 27}, nullptr},
            {"BBclose", panel3, {68, 59, 55, 27}, nullptr},
            {"SBEdit", panel1, {18, 220, 83, 35}, "編集"},
            {"SBExport", panel3, {121, 16, 22, 29}, "画像の書き出し"},
            {"SBUndo", panel1, {107, 40, 29, 29}, "元に戻す"},
            {"SBRedo", panel1, {107, 72, 29, 29}, "やり直し"},
        };
        for (const auto &b : buttons) {
            QToolButton *t = button(b.name);
            QVERIFY2(t, b.name);
            QCOMPARE(t->parentWidget(), b.panel);
            QCOMPARE(t->geometry(), b.geometry);
            QVERIFY(!t->icon().isNull() || !t->text().isEmpty());
            if (b.hint) {
                QCOMPARE(t->statusTip(), QString::fromUtf8(b.hint));
            }
        }
        // Each new button lies in the visible part of its panel and covers no other control.
        const int viewportWidth = side->viewport()->width();
        for (const char *name : {"SBExport", "SBUndo", "SBRedo"}) {
            QToolButton *t = button(name);
            QVERIFY2(t->x() + t->width() <= viewportWidth, name);
            QVERIFY2(t->parentWidget()->rect().contains(t->geometry()), name);
            for (QObject *o : t->parentWidget()->children()) {
                auto *other = qobject_cast<QWidget *>(o);
                if (other && other != t) {
                    QVERIFY2(!other->geometry().intersects(t->geometry()),
                             qPrintable(QStringLiteral("%1 covers %2")
                                            .arg(QLatin1String(name), other->objectName())));
                }
            }
            // The glyph fits inside the button with room for its frame.
            QVERIFY2(t->iconSize().width() <= t->width() - 6, name);
            QVERIFY2(t->iconSize().height() <= t->height() - 6, name);
        }
        QCOMPARE(button("SBExport")->iconSize(), QSize(16, 16));
        QVERIFY(button("SBExport")->isEnabled());
        QVERIFY(!button("SBUndo")->isEnabled());
        QVERIFY(!button("SBRedo")->isEnabled());
    }

    // --- Export ----------------------------------------------------------------------------

    void exportWritesTheChosenFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addRow("svg") << "tree.svg" << "SVG (*.svg)" << "tree.svg";
        QTest::addRow("svg appended") << "tree" << "SVG (*.svg)" << "tree.svg";
        QTest::addRow("png") << "tree.png" << "PNG (*.png)" << "tree.png";
        QTest::addRow("png appended") << "tree" << "PNG (*.png)" << "tree.png";
        QTest::addRow("pdf") << "tree.pdf" << "PDF (*.pdf)" << "tree.pdf";
        QTest::addRow("name's own type wins") << "tree.pdf" << "SVG (*.svg)" << "tree.pdf";
    }
    void exportWritesTheChosenFormat()
    {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QTest::mouseClick(w->depthButton(4), Qt::LeftButton);
        fileAnswer = dir->filePath(name);
        filterAnswer = filter;
        widthAnswer = 300;
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QVERIFY2(log.warnings.isEmpty(), qPrintable(log.warnings.join('\n')));
        QCOMPARE(entries(), QStringList{written});
        const QString path = dir->filePath(written);
        const QByteArray bytes = ReadAll(path);
        const int ph = w->view().PictureHeight;
        QCOMPARE(ph, 7975);
        switch (PictureFormatForPath(path)) {
        case PictureFormat::Svg:
            QCOMPARE(SvgViewBox(bytes), QStringLiteral("0 0 8000 %1").arg(ph));
            QVERIFY(bytes.contains("<line") || bytes.contains("<path") ||
                    bytes.contains("<polyline"));
            QCOMPARE(widthRequests, 0);
            break;
        case PictureFormat::Png: {
            QCOMPARE(widthRequests, 1);
            QCOMPARE(defaultWidthShown, 636); // the view's size
            QImage image;
            QVERIFY(image.loadFromData(bytes, "PNG"));
            QCOMPARE(image.size(), QSize(300, 299)); // 300 x 7975 / 8000 = 299.06
            // Something of the tree is drawn.
            bool drawn = false;
            for (int y = 0; y < image.height() && !drawn; ++y) {
                for (int x = 0; x < image.width() && !drawn; ++x) {
                    drawn = image.pixelColor(x, y) != image.pixelColor(0, 0);
                }
            }
            QVERIFY(drawn);
            break;
        }
        case PictureFormat::Pdf:
            QVERIFY(bytes.startsWith("%PDF"));
            // A page of 8000 x PictureHeight units.
            QVERIFY(bytes.contains(
                QStringLiteral("/MediaBox [0 0 8000.000000 %1.000000]").arg(ph).toLatin1()));
            QCOMPARE(widthRequests, 0);
            break;
        case PictureFormat::None:
            QFAIL("unexpected format");
        }
        // The next export starts from this one.
        fileAnswer.clear();
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(presets.last(), path);
        QCOMPARE(filtersShown.last(), filter);
    }

    void firstExportStartsFromTheTemplateFile()
    {
        w->SetCurrentFile(dir->filePath(QStringLiteral("tree.rm2")));
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(presets, QStringList{dir->filePath(QStringLiteral("tree.svg"))});
        QCOMPARE(filtersShown, QStringList{QStringLiteral("SVG (*.svg)")});
        QVERIFY(entries().isEmpty()); // cancelled
    }

    void cancellingWritesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("file dialog") << "";
        QTest::addRow("png width dialog") << "tree.png";
    }
    void cancellingWritesNothing()
    {
        QFETCH(QString, name);
        fileAnswer = name.isEmpty() ? QString() : dir->filePath(name);
        widthAnswer.reset();
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QVERIFY(entries().isEmpty());
        QVERIFY(log.warnings.isEmpty());
    }

    void failedExportSaysSoAndLeavesNoFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addRow("an existing folder") << "folder.svg";
        QTest::addRow("inside a regular file") << "plain.txt/tree.svg";
        QTest::addRow("png inside a regular file") << "plain.txt/tree.png";
        QTest::addRow("missing folder") << "nowhere/tree.pdf";
    }
    void failedExportSaysSoAndLeavesNoFile()
    {
        QFETCH(QString, target);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.svg")));
        {
            QFile plain(dir->filePath(QStringLiteral("plain.txt")));
            QVERIFY(plain.open(QIODevice::WriteOnly));
            plain.write("text");
        }
        const QStringList before = entries();
        fileAnswer = dir->filePath(target);
        widthAnswer = 200;
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(log.warnings.size(), 1);
        QVERIFY(log.warnings.first().contains(fileAnswer));
        QVERIFY(log.warnings.first().contains(QStringLiteral("書き出せません")));
        QCOMPARE(entries(), before);
        QVERIFY(QFileInfo(dir->filePath(QStringLiteral("folder.svg"))).isDir());
        QVERIFY(QDir(dir->filePath(QStringLiteral("folder.svg"))).isEmpty());
        QCOMPARE(ReadAll(dir->filePath(QStringLiteral("plain.txt"))), QByteArray("text"));
    }

    // A pipe or a device under the chosen name is written into and stays what it was; a
    // pipe that no program reads is refused with a message instead of blocking the window.
    void exportIntoSpecialFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("device");
        QTest::addRow("svg onto a null device") << "p.svg" << true;
        QTest::addRow("png onto a null device") << "p.png" << true;
        QTest::addRow("pdf onto a null device") << "p.pdf" << true;
        QTest::addRow("svg into a pipe nobody reads") << "p.svg" << false;
    }
    void exportIntoSpecialFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, device);
        const QByteArray target = QFile::encodeName(dir->filePath(name));
        if (device) {
            if (mknod(target.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
                QSKIP("device nodes cannot be made here");
            }
        } else {
            QCOMPARE(mkfifo(target.constData(), 0600), 0);
        }
        fileAnswer = dir->filePath(name);
        widthAnswer = 200;
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(log.warnings.size(), device ? 0 : 1);
        struct stat st {};
        QCOMPARE(lstat(target.constData(), &st), 0);
        QVERIFY(device ? S_ISCHR(st.st_mode) : S_ISFIFO(st.st_mode));
        QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                             QDir::NoDotAndDotDot),
                 QStringList{name});
    }

    void appendedNameThatExistsIsAskedFor_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addRow("replace") << true;
        QTest::addRow("keep") << false;
    }
    void appendedNameThatExistsIsAskedFor()
    {
        QFETCH(bool, yes);
        const QString existing = dir->filePath(QStringLiteral("tree.svg"));
        {
            QFile f(existing);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        fileAnswer = dir->filePath(QStringLiteral("tree"));
        filterAnswer = QStringLiteral("SVG (*.svg)");
        log.answerYes = yes;
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(log.questions.size(), 1);
        QVERIFY(log.questions.first().contains(QStringLiteral("tree.svg")));
        const QByteArray bytes = ReadAll(existing);
        QCOMPARE(bytes == "old", !yes);
        QCOMPARE(entries(), QStringList{QStringLiteral("tree.svg")});
    }

    void exportTakesTheZoomedPictureAsShown()
    {
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(318, 400));
        fileAnswer = dir->filePath(QStringLiteral("zoomed.svg"));
        QTest::mouseClick(button("SBExport"), Qt::LeftButton);
        QCOMPARE(ReadAll(fileAnswer), TreePictureToSvg(*w->treePicture()));
    }

    // --- Shortcuts -------------------------------------------------------------------------

    void shortcutsRunTheirCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("command");
        QTest::addRow("Ctrl+E export") << int(Qt::Key_E) << int(Qt::ControlModifier) << "export";
        QTest::addRow("Ctrl+C copy") << int(Qt::Key_C) << int(Qt::ControlModifier) << "copy";
        QTest::addRow("Ctrl+O open") << int(Qt::Key_O) << int(Qt::ControlModifier) << "open";
        QTest::addRow("Ctrl+S save") << int(Qt::Key_S) << int(Qt::ControlModifier) << "save";
        QTest::addRow("Ctrl+Shift+O gallery")
            << int(Qt::Key_O) << int(Qt::ControlModifier | Qt::ShiftModifier) << "gallery";
        QTest::addRow("Ctrl+Shift+N animation")
            << int(Qt::Key_N) << int(Qt::ControlModifier | Qt::ShiftModifier) << "animation";
        QTest::addRow("Ctrl+Z undo") << int(Qt::Key_Z) << int(Qt::ControlModifier) << "undo";
        QTest::addRow("Ctrl+Shift+Z redo")
            << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << "redo";
        QTest::addRow("Ctrl+Y redo") << int(Qt::Key_Y) << int(Qt::ControlModifier) << "redo";
        QTest::addRow("E alone does nothing") << int(Qt::Key_E) << int(Qt::NoModifier) << "";
    }
    void shortcutsRunTheirCommands()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, command);
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.chooseOpenFile = [this] {
            ++openRequests;
            return QString();
        };
        hooks.chooseSaveFile = [this](const QString &) {
            ++saveRequests;
            return QString();
        };
        hooks.chooseExample = [this](const QStringList &) {
            ++galleryRequests;
            return QString();
        };
        hooks.animation = [this](const AnimationSource &source) { countAnimation(source); };
        SetDialogHooks(*w, hooks);
        QGuiApplication::clipboard()->clear();
        // One step done and undone, so that both undo and redo have something to do.
        QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
        QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
        w->undoStack()->undo();
        QCOMPARE(w->table().BranchCount, 3);
        activate();

        QTest::keyClick(w.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(presets.size(), command == "export" ? 1 : 0);
        QCOMPARE(openRequests, command == "open" ? 1 : 0);
        QCOMPARE(saveRequests, command == "save" ? 1 : 0);
        QCOMPARE(galleryRequests, command == "gallery" ? 1 : 0);
        QCOMPARE(animationRequests, command == "animation" ? 1 : 0);
        const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(clip && clip->hasFormat(QStringLiteral("image/svg+xml")), command == "copy");
        const int32_t count = command == "undo" ? 2 : command == "redo" ? 4 : 3;
        QCOMPARE(w->table().BranchCount, count);
    }

    // A shortcut while a button is held in a view does nothing: a load, reset or undo in the
    // middle of a drag would end up inside the drag's own step.
    void shortcutsWaitForAHeldButton_data() { shortcutsRunTheirCommands_data(); }
    void shortcutsWaitForAHeldButton()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const QString other = dir->filePath(QStringLiteral("other.rm2"));
        {
            QFile f(other);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Ramulet 2.3\r\nCount of Data\r\n1\r\nData\r\n"
                    " 0 0 0 1 0\r\n 0 0.5 0.25 0.5 1\r\n");
        }
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.chooseOpenFile = [this, other] {
            ++openRequests;
            return other;
        };
        hooks.chooseSaveFile = [this](const QString &) {
            ++saveRequests;
            return dir->filePath(QStringLiteral("saved.rm2"));
        };
        hooks.chooseExample = [this](const QStringList &) {
            ++galleryRequests;
            return QString();
        };
        hooks.animation = [this](const AnimationSource &source) { countAnimation(source); };
        SetDialogHooks(*w, hooks);
        fileAnswer = dir->filePath(QStringLiteral("tree.svg"));
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
        QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
        w->undoStack()->undo();
        activate();

        // Branch 1's end point, dragged and held.
        PictureView *editor = w->editorView();
        const QPoint end1(413, 317);
        Move(editor, end1);
        Press(editor, end1);
        Move(editor, {450, 280}, Qt::LeftButton);
        QVERIFY(w->mouseIsDown());
        QTest::keyClick(w.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(presets.size(), 0);
        QCOMPARE(openRequests, 0);
        QCOMPARE(saveRequests, 0);
        QCOMPARE(galleryRequests, 0);
        QCOMPARE(animationRequests, 0);
        const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!(clip && clip->hasFormat(QStringLiteral("image/svg+xml"))));
        QCOMPARE(w->table().BranchCount, 3);
        QVERIFY(w->fileName().isEmpty());
        QCOMPARE(w->undoStack()->index(), 1);
        Release(editor, {450, 280});

        // The drag is one step, from the template before the press; the shortcut works again.
        QCOMPARE(w->undoStack()->index(), 2);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{450, 280}));
        w->undoStack()->undo();
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QCOMPARE(w->table().BranchCount, 3);
        QVERIFY(w->fileName().isEmpty());
        QCOMPARE(entries(), QStringList{QStringLiteral("other.rm2")});
    }

    void fileCommandsWaitForAHeldZoomClick()
    {
        DialogHooks hooks;
        hooks.chooseOpenFile = [this] {
            ++openRequests;
            return QString();
        };
        SetDialogHooks(*w, hooks);
        QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
        Press(w->treeView(), {100, 200});
        QVERIFY(w->mouseIsDown());
        w->SBloadClick();
        w->SBExportClick();
        QCOMPARE(openRequests, 0);
        QCOMPARE(presets.size(), 0);
        Release(w->treeView(), {100, 200});
        QCOMPARE(w->view().ViewOrigin, (TPixel{100, 200}));
        w->SBloadClick();
        QCOMPARE(openRequests, 1);
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
