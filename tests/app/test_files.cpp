// Template files in the real window: loading (accepted, refused, unreadable, old format, pen
// width), saving (the ".rm2" rule, the question for the extended name, failures, round
// trip), the real file dialogs, dropped files and the command line. Real files in a
// temporary folder.

#include "apptesthelpers.h"
#include "windowlook.h"

#include "app/swatch.h"
#include "io/templatefile.h"

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace ramulet;
using namespace ramulet_test;

namespace {

// The default template with the default colours and pen-width index 2, as the program
// writes it.
const QByteArray DefaultFile = "Ramulet 2.3\r\n"
                               "Count of Data\r\n"
                               "2\r\n"
                               "Data\r\n"
                               " 0.00000000000000E+0000  0.00000000000000E+0000  "
                               "0.00000000000000E+0000  1.00000000000000E+0000 0\r\n"
                               " 0.00000000000000E+0000  1.00000000000000E+0000  "
                               "5.00000000000000E-0001  5.00000000000000E-0001 -1\r\n"
                               " 0.00000000000000E+0000  1.00000000000000E+0000 "
                               "-5.00000000000000E-0001  5.00000000000000E-0001 -1\r\n"
                               "16318432\r\n"
                               "40960\r\n"
                               "160\r\n"
                               "40\r\n";

// A template unlike the default one: three branches of every kind, its own colours and
// pen width 60 (index 3). Its values are not on the editor's pixel grid: only rows kept
// exact through every growth keep them.
BranchTable OakTable()
{
    BranchTable t;
    t.BranchCount = 3;
    t.Branches[0].P = {0.0L, 0.0L};
    t.Branches[0].V = {0.0L, 1.0L};
    t.Branches[0].kind = kindSegment;
    t.Branches[1].P = {0.0L, 0.6L};
    t.Branches[1].V = {0.4L, 0.3L};
    t.Branches[1].kind = kindOrder;
    t.Branches[2].P = {0.0L, 1.0L};
    t.Branches[2].V = {-0.3L, 0.5L};
    t.Branches[2].kind = kindReverse;
    t.Branches[3].P = {0.0L, 0.8L};
    t.Branches[3].V = {0.1L, 0.2L};
    t.Branches[3].kind = kindSegment;
    return t;
}

const TemplateSettings OakSettings{0x102030, 0x405060, 0x708090, 60};

QByteArray OakFile() { return FormatTemplate(OakTable(), OakSettings); }

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// What a file dialog showed when it opened.
struct FileDialogSeen {
    bool shown = false;
    QStringList nameFilters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    bool confirmsOverwrite = false;
    QString defaultSuffix;
    QString nameBox;
    QString selected;
    QString folder;
};

// Records the dialog, then types `name` into its name box and presses its accept button,
// or cancels it when `name` is empty. Checks are made after the dialog has closed, so that
// a failing check cannot leave it open.
void AnswerFileDialog(FileDialogSeen &seen, const QString &name)
{
    OnModal<QFileDialog>([&seen, name](QFileDialog *dlg) {
        seen.shown = true;
        seen.nameFilters = dlg->nameFilters();
        seen.acceptMode = dlg->acceptMode();
        seen.confirmsOverwrite = !dlg->testOption(QFileDialog::DontConfirmOverwrite);
        seen.defaultSuffix = dlg->defaultSuffix();
        seen.selected = dlg->selectedFiles().value(0);
        seen.folder = QDir(dlg->directory()).canonicalPath();
        auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        seen.nameBox = edit ? edit->text() : QStringLiteral("<no name box>");
        if (edit && !name.isEmpty()) {
            edit->setText(name);
            static_cast<QDialog *>(dlg)->accept(); // as the accept button does
        } else {
            dlg->reject();
        }
    });
}

std::unique_ptr<QMimeData> UrlData(const QList<QUrl> &urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;
    std::unique_ptr<QTemporaryDir> dir;
    QStringList openAnswers; // the open dialog's answers in turn; empty text = cancel
    QStringList savePresets;
    QStringList saveAnswers;
    bool useRealOpen = false;
    bool useRealSave = false;

    QString path(const QString &name) const { return dir->filePath(name); }
    QComboBox *penList() { return w->findChild<QComboBox *>("cboxPenWidth"); }
    ColorSwatch *swatch(const char *name) { return w->findChild<ColorSwatch *>(name); }
    QToolButton *button(const char *name) { return w->findChild<QToolButton *>(name); }

    void installHooks()
    {
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        hooks.askYesNo = [this](const QString &text) {
            log.questions << text;
            return log.answerYes;
        };
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.chooseColor = [this](const QColor &) {
            ++log.colorRequests;
            return log.colorAnswer;
        };
        if (!useRealOpen) {
            hooks.chooseOpenFile = [this] {
                return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
            };
        }
        if (!useRealSave) {
            hooks.chooseSaveFile = [this](const QString &preset) {
                savePresets << preset;
                return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
            };
        }
        SetDialogHooks(*w, hooks);
    }


    // Opens the oak file, adds a branch and grows at depth 2: a state that differs from the
    // default everywhere a failed load or save could leave a trace.
    void openOakAndEdit()
    {
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w->LoadFromFile(path("oak.rm2"));
        QVERIFY(log.warnings.isEmpty());
        w->sbAddClick();
        QCOMPARE(w->table().BranchCount, 4);
        QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
        QVERIFY(!w->editMode());
    }

    void save(const QString &answer)
    {
        saveAnswers = {answer};
        w->SBSaveClick();
    }

    // A drop as the platform delivers it: the drag enters the window, then drops.
    void drop(const QMimeData &data)
    {
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent e(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
        // The load runs once the drop is finished.
        QCoreApplication::processEvents();
    }

    static void compareRows(const BranchTable &got, const BranchTable &want)
    {
        QCOMPARE(got.BranchCount, want.BranchCount);
        for (int32_t i = 0; i <= want.BranchCount; ++i) {
            const TBranch &a = got.Branches[static_cast<size_t>(i)];
            const TBranch &b = want.Branches[static_cast<size_t>(i)];
            QVERIFY2(a.P == b.P && a.V == b.V, qPrintable(QStringLiteral("row %1").arg(i)));
            QCOMPARE(a.kind, b.kind);
        }
    }

    // The window shows `t` in the editor: its pixel points are those of its model values in
    // the window's (default) view.
    void compareEditorPoints(const BranchTable &want)
    {
        BranchTable expected = want;
        UpdateAllScreenPoints(expected, w->view());
        for (int32_t i = 0; i <= want.BranchCount; ++i) {
            QCOMPARE(w->table().Branches[static_cast<size_t>(i)].screenStart,
                     expected.Branches[static_cast<size_t>(i)].screenStart);
            QCOMPARE(w->table().Branches[static_cast<size_t>(i)].screenEnd,
                     expected.Branches[static_cast<size_t>(i)].screenEnd);
        }
    }

private slots:
    void init()
    {
        log = DialogLog();
        openAnswers.clear();
        savePresets.clear();
        saveAnswers.clear();
        useRealOpen = false;
        useRealSave = false;
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        w = MakeDesignSizeWindow(log);
        QVERIFY(w);
        installHooks();
    }

    void cleanup()
    {
        w.reset();
        dir.reset();
    }

    // --- Loading ---------------------------------------------------------------------

    void loadDefaultFile()
    {
        QVERIFY(WriteBytes(path("default.rm2"), DefaultFile));
        // The file's rows replace a template with an added branch.
        BranchTable defaults;
        SetDefaultTemplate(defaults, w->view());
        w->sbAddClick();
        QCOMPARE(w->table().BranchCount, 3);

        w->LoadFromFile(path("default.rm2"));

        QVERIFY(log.warnings.isEmpty());
        QCOMPARE(log.beeps, 0);
        compareRows(w->table(), defaults);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QCOMPARE(w->table().Branches[2].screenEnd, (TPixel{223, 317}));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : default.rm2"));
        QCOMPARE(w->fileName(), path("default.rm2"));
        QCOMPARE(w->settings().BackColor, 0xF8FFE0u);
        QCOMPARE(w->settings().TipColor, 0x00A000u);
        QCOMPARE(w->settings().TrunkColor, 0x0000A0u);
        QCOMPARE(penList()->currentIndex(), 2);
        QVERIFY(w->editMode());
    }

    // With the window shrunk until the views have no area, a load and a growth keep the file's
    // template exactly, and a save writes it.
    void loadIntoAViewWithoutAreaKeepsTheFile()
    {
        w->resize(150, 300);
        QTRY_VERIFY(!w->view().HasArea());
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w->LoadFromFile(path("oak.rm2"));
        QVERIFY(log.warnings.isEmpty());
        compareRows(w->table(), OakTable());
        QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
        compareRows(w->table(), OakTable());
        // Back at a real size the view rebuilds its pixel points from the model.
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_VERIFY(w->view().HasArea());
        compareRows(w->table(), OakTable());
        compareEditorPoints(OakTable());
    }

    void loadAppliesRowsSettingsAndCaption()
    {
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w->LoadFromFile(path("oak.rm2"));

        QVERIFY(log.warnings.isEmpty());
        // The model values exactly as in the file: the load does not regrow (a growth would
        // have taken them back from the pixel points).
        compareRows(w->table(), OakTable());
        compareEditorPoints(OakTable());
        QCOMPARE(w->settings().BackColor, 0x102030u);
        QCOMPARE(w->settings().TipColor, 0x405060u);
        QCOMPARE(w->settings().TrunkColor, 0x708090u);
        QCOMPARE(w->settings().PenWidthSetting, 60);
        QCOMPARE(penList()->currentIndex(), 3);
        QCOMPARE(swatch("ShapeP")->fill(), ToQColor(0x405060));
        QCOMPARE(swatch("ShapeP")->outline(), ToQColor(0x405060));
        QCOMPARE(swatch("Shape1")->fill(), ToQColor(0x708090));
        QCOMPARE(swatch("Shape1")->outline(), ToQColor(0x708090));
        QCOMPARE(swatch("shapeB")->fill(), ToQColor(0x102030));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
        QCOMPARE(w->fileName(), path("oak.rm2"));
        // Four rows: depth buttons follow the loaded template.
        QVERIFY(w->depthButton(1)->isEnabled());
    }

    // Ctrl+S writes straight to a current file that can be written and asks only without
    // one; Ctrl+Shift+S always asks. A file in a folder that cannot be written (an installed
    // example) is proposed in the documents folder, and Ctrl+S asks for it.
    void quickSaveAndSaveAs()
    {
        const auto ctrlS = [this](Qt::KeyboardModifiers extra = {}) {
            QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier | extra);
        };
        saveAnswers = {path("quick.rm2")};
        ctrlS();
        QCOMPARE(savePresets, QStringList{QString()});
        QCOMPARE(w->fileName(), path("quick.rm2"));
        w->sbAddClick();
        ctrlS(); // no dialog: the file is written again
        QCOMPARE(savePresets.size(), 1);
        QVERIFY(ReadBytes(path("quick.rm2")).startsWith("Ramulet 2.3\r\nCount of Data\r\n3\r\n"));
        QVERIFY(!w->HasUnsavedChanges());
        ctrlS(Qt::ShiftModifier); // Save As asks, pre-filled with the current file
        QCOMPARE(savePresets, (QStringList{QString(), path("quick.rm2")}));

        // The same file in a folder this user cannot write.
        const QString folder = dir->path();
        w->setWritableTest([folder](const QString &p) { return !p.startsWith(folder); });
        ctrlS();
        const QString documents = QDir(DocumentsFolder()).filePath(QStringLiteral("quick.rm2"));
        QCOMPARE(savePresets.last(), documents);
        QCOMPARE(savePresets.size(), 3);
        QCOMPARE(w->fileName(), path("quick.rm2")); // cancelled: nothing changed
    }

    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        auto replaced = [](const char *from, const char *to) {
            QByteArray b = DefaultFile;
            const qsizetype at = b.indexOf(from);
            Q_ASSERT(at >= 0);
            return b.replace(at, qsizetype(qstrlen(from)), to);
        };
        QTest::addRow("header Ramulet 2.4") << replaced("Ramulet 2.3", "Ramulet 2.4");
        QTest::addRow("header with a trailing blank") << replaced("Ramulet 2.3", "Ramulet 2.3 ");
        QTest::addRow("header with a byte-order mark") << QByteArray("\xEF\xBB\xBF") + DefaultFile;
        QTest::addRow("count 21") << replaced("Data\r\n2\r\n", "Data\r\n21\r\n");
        QTest::addRow("count -1") << replaced("Data\r\n2\r\n", "Data\r\n-1\r\n");
        QTest::addRow("kind 5") << replaced("5.00000000000000E-0001 -1", "5.00000000000000E-0001 5");
        QTest::addRow("malformed number") << replaced("5.00000000000000E-0001", "5.0000x0000E-0001");
        QTest::addRow("zero-length trunk")
            << replaced("0.00000000000000E+0000  1.00000000000000E+0000 0",
                        "0.00000000000000E+0000  0.00000000000000E+0000 0");
    }
    void refusedFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        openOakAndEdit();
        const WindowLook before = LookAt(*w);
        QVERIFY(WriteBytes(path("bad.rm2"), bytes));

        w->LoadFromFile(path("bad.rm2"));

        QVERIFY2(IsOpenRefusal(log.warnings, path("bad.rm2")), qPrintable(log.warnings.join('|')));
        QCOMPARE(log.beeps, 0); // the refusal comes without a beep
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QVERIFY(!button("sbAdd")->isVisible());
        QVERIFY(w->treeView()->isVisible());
    }

    void unreadablePathChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("missing file") << QStringLiteral("missing.rm2");
        QTest::addRow("folder") << QStringLiteral("folder.rm2");
        QTest::addRow("under a regular file") << QStringLiteral("oak.rm2/inner.rm2");
    }
    void unreadablePathChangesNothing()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.rm2")));
        openOakAndEdit();
        const WindowLook before = LookAt(*w);

        w->LoadFromFile(path(name));

        QVERIFY2(IsOpenRefusal(log.warnings, path(name)), qPrintable(log.warnings.join('|')));
        // The reason alone, not the command line's whole message.
        QVERIFY2(!log.warnings.first().contains(QStringLiteral("Cannot read")),
                 qPrintable(log.warnings.first()));
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
    }

    void oldFormatKeepsPenChoiceAndResetsColours()
    {
        // The user's own choices before the load: tip colour and pen-width index 5.
        log.colorAnswer = QColor(1, 2, 3);
        w->ShapePMouseUp();
        penList()->setCurrentIndex(5);
        w->cboxPenWidthChange();
        QCOMPARE(w->settings().PenWidthSetting, 100);

        const QString file = QStringLiteral(RAMULET_TEST_DATA "/templates/old-format.rm2");
        const LoadResult expected = ReadTemplateFile(file);
        QVERIFY(expected.status == LoadStatus::Accepted && !expected.data.hasSettings);

        w->LoadFromFile(file);

        QVERIFY(log.warnings.isEmpty());
        compareRows(w->table(), expected.data.table);
        QCOMPARE(w->settings().TipColor, 0x00A000u);
        QCOMPARE(w->settings().TrunkColor, 0x0000A0u);
        QCOMPARE(w->settings().BackColor, 0xF8FFE0u);
        QCOMPARE(swatch("ShapeP")->fill(), ToQColor(0x00A000));
        QCOMPARE(penList()->currentIndex(), 5);
        QCOMPARE(w->settings().PenWidthSetting, 100);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : old-format.rm2"));
    }

    void penWidthFromFile_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("index");
        QTest::addRow("30: index 1") << 30 << 1;
        QTest::addRow("0: index 0") << 0 << 0;
        QTest::addRow("19: index 0") << 19 << 0;
        QTest::addRow("200: index 10") << 200 << 10;
        QTest::addRow("219: index 10") << 219 << 10;
        QTest::addRow("250: clamped to 10") << 250 << 10;
        QTest::addRow("-45: clamped to 0") << -45 << 0;
    }
    void penWidthFromFile()
    {
        QFETCH(int, setting);
        QFETCH(int, index);
        TemplateSettings s = OakSettings;
        s.PenWidthSetting = setting;
        QVERIFY(WriteBytes(path("pen.rm2"), FormatTemplate(OakTable(), s)));

        w->LoadFromFile(path("pen.rm2"));

        QCOMPARE(penList()->currentIndex(), index);
        // Kept as read until the next render, which takes it from the list again.
        QCOMPARE(w->settings().PenWidthSetting, setting);
        save(path("pen-again.rm2"));
        QVERIFY(ReadBytes(path("pen-again.rm2")).endsWith("\r\n" + QByteArray::number(setting) + "\r\n"));
        w->RenderPicture();
        QCOMPARE(w->settings().PenWidthSetting, index * 20);
    }

    void loadBegunInViewModeReturnsToEditMode()
    {
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        QVERIFY(!w->editMode());
        QVERIFY(!button("sbAdd")->isVisible());

        w->LoadFromFile(path("oak.rm2"));

        QVERIFY(w->editMode());
        QVERIFY(w->editorView()->isVisible());
        QVERIFY(!w->treeView()->isVisible());
        QVERIFY(button("sbAdd")->isVisible());
        QVERIFY(button("SBEdit")->isChecked());
    }

    // --- Saving ----------------------------------------------------------------------

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("growDepth"); // 0: saved at once
        QTest::addRow("default template") << DefaultFile << 0;
        QTest::addRow("oak") << OakFile() << 0;
        QTest::addRow("trunk only")
            << ReadBytes(QStringLiteral(RAMULET_TEST_DATA "/templates/trunk-only.rm2")) << 0;
        BranchTable full = OakTable();
        full.BranchCount = MaxBranches;
        for (int32_t i = 1; i <= MaxBranches; ++i) {
            TBranch &b = full.Branches[static_cast<size_t>(i)];
            b.P = {-0.0L, 0.05L * i};
            b.V = {0.123456789012345L * (i % 2 ? 1 : -1), 1e-300L * i};
            b.kind = (i % 3) - 1;
        }
        QTest::addRow("twenty branches, odd values")
            << FormatTemplate(full, TemplateSettings{-1, 0x7FFFFFFF, 0, 200}) << 0;
        // Growths and resizes keep a template nobody edited exactly as it is.
        QTest::addRow("default template, grown and resized") << DefaultFile << 16;
        QTest::addRow("oak, grown and resized") << OakFile() << 8;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, growDepth);
        QVERIFY(WriteBytes(path("in.rm2"), bytes));
        w->LoadFromFile(path("in.rm2"));
        QVERIFY(log.warnings.isEmpty());
        if (growDepth > 0) {
            QTest::mouseClick(w->depthButton(growDepth), Qt::LeftButton);
            w->resize(w->WindowSizeFor({333, 250}));
            QTRY_COMPARE(w->editorView()->size(), QSize(171, 212));
            QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
            QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
        }

        save(path("out"));

        QCOMPARE(savePresets, QStringList{path("in.rm2")}); // pre-filled with the current file
        QCOMPARE(ReadBytes(path("out.rm2")), bytes);
        QCOMPARE(w->fileName(), path("out.rm2"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : out.rm2"));
    }

    // The file holds what the editor shows: the window's own default template exactly, and
    // a drag made since the last growth, also across a resize.
    void saveHoldsWhatTheEditorShows_data()
    {
        QTest::addColumn<bool>("drag");
        QTest::addColumn<bool>("resize");
        QTest::addColumn<bool>("grow");
        QTest::addRow("at once") << false << false << false;
        QTest::addRow("after growths and a resize") << false << true << true;
        QTest::addRow("a drag") << true << false << false;
        QTest::addRow("a drag, then a resize") << true << true << false;
        QTest::addRow("a drag, then a growth and a resize") << true << true << true;
    }
    void saveHoldsWhatTheEditorShows()
    {
        QFETCH(bool, drag);
        QFETCH(bool, resize);
        QFETCH(bool, grow);
        if (drag) {
            // Branch 1's end point from (413, 317) 60 pixels to the right.
            Drag(w->editorView(), {413, 317}, {{440, 317}, {473, 317}});
        }
        if (resize) {
            w->resize(w->WindowSizeFor({500, 400}));
            QTRY_COMPARE(w->editorView()->size(), QSize(338, 362));
        }
        if (grow) {
            QTest::mouseClick(w->depthButton(12), Qt::LeftButton);
            w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
            QTRY_COMPARE(w->editorView()->size(), QSize(636, 634));
            QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
        }
        save(path("tree"));
        QVERIFY(log.warnings.isEmpty());
        const QByteArray bytes = ReadBytes(path("tree.rm2"));
        if (!drag) {
            QCOMPARE(bytes, DefaultFile);
            return;
        }
        const LoadResult r = ParseTemplate(bytes);
        QVERIFY(r.status == LoadStatus::Accepted);
        const TBranch &b1 = r.data.table.Branches[1];
        // The trunk is 191 pixels long on screen; the dragged end lies (155, 95) pixels from
        // the branch's start.
        QVERIFY(std::fabs(b1.V.x - 155.0L / 191) < 0.003L);
        QVERIFY(std::fabs(b1.V.y - 95.0L / 191) < 0.003L);
        QVERIFY(std::fabs(b1.P.y - 1.0L) < 0.003L);
        QCOMPARE(r.data.table.Branches[2].V, (TPointE{-0.5L, 0.5L}));
        QCOMPARE(r.data.table.Branches[2].P, (TPointE{0.0L, 1.0L}));
    }

    void saveAppliesTheExtensionRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addRow("no extension") << QString("tree") << QString("tree.rm2");
        QTest::addRow(".rm2") << QString("tree.rm2") << QString("tree.rm2");
        QTest::addRow(".txt") << QString("tree.txt") << QString("tree.txt.rm2");
        QTest::addRow(".RM2, case counts") << QString("tree.RM2") << QString("tree.RM2.rm2");
        QTest::addRow("dot in the folder only") << QString("a.b/tree") << QString("a.b/tree.rm2");
    }
    void saveAppliesTheExtensionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("a.b")));
        QVERIFY(WriteBytes(path("default.rm2"), DefaultFile));
        w->LoadFromFile(path("default.rm2"));

        save(path(chosen));

        QVERIFY(log.warnings.isEmpty());
        QVERIFY(log.questions.isEmpty());
        QCOMPARE(ReadBytes(path(written)), DefaultFile);
        QCOMPARE(w->fileName(), path(written));
        QCOMPARE(w->windowTitle(),
                 QStringLiteral("Ramulet 2.3 : ") + QFileInfo(path(written)).fileName());
        if (chosen != written) {
            QVERIFY(!QFileInfo::exists(path(chosen)));
        }
    }

    void saveWritesTheTableAsItStands()
    {
        // A kind change and an added branch are in the file; the colours too.
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w->LoadFromFile(path("oak.rm2"));
        w->sbAddClick();
        w->table().Branches[2].kind = kindOrder; // was mirrored in the file
        log.colorAnswer = QColor(0x11, 0x22, 0x33);
        w->Shape1MouseUp();

        save(path("edited"));

        const LoadResult r = ParseTemplate(ReadBytes(path("edited.rm2")));
        QVERIFY(r.status == LoadStatus::Accepted);
        // Rows as they stand, to the file's 15 significant digits.
        QCOMPARE(r.data.table.BranchCount, 4);
        for (int32_t i = 0; i <= 4; ++i) {
            const TBranch &a = r.data.table.Branches[static_cast<size_t>(i)];
            const TBranch &b = w->table().Branches[static_cast<size_t>(i)];
            for (auto [x, y] : {std::pair{a.P.x, b.P.x}, std::pair{a.P.y, b.P.y},
                                std::pair{a.V.x, b.V.x}, std::pair{a.V.y, b.V.y}}) {
                QVERIFY2(std::fabs(x - y) <= 1e-14L * std::max(1.0L, std::fabs(y)),
                         qPrintable(QStringLiteral("row %1").arg(i)));
            }
            QCOMPARE(a.kind, b.kind);
        }
        QCOMPARE(r.data.table.Branches[2].kind, kindOrder);
        QCOMPARE(r.data.table.Branches[4].kind, kindReverse);
        QCOMPARE(r.data.settings.TrunkColor, 0x332211);
        QCOMPARE(r.data.settings.TipColor, 0x405060);
        // The render after the colour choice took the pen width from the list (index 3).
        QCOMPARE(r.data.settings.PenWidthSetting, 60);
    }

    void cancelledSaveChangesNothing()
    {
        openOakAndEdit();
        const WindowLook before = LookAt(*w);
        const QStringList files = QDir(dir->path()).entryList(QDir::Files);
        save(QString());
        QCOMPARE(savePresets, QStringList{path("oak.rm2")});
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), files);
        QVERIFY(log.warnings.isEmpty());
    }

    void questionForTheExtendedName_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addRow("yes replaces") << true;
        QTest::addRow("no keeps the old file") << false;
    }
    void questionForTheExtendedName()
    {
        QFETCH(bool, yes);
        openOakAndEdit();
        QVERIFY(WriteBytes(path("tree.rm2"), "old bytes"));
        const WindowLook before = LookAt(*w);
        log.answerYes = yes;

        save(path("tree"));

        QCOMPARE(log.questions.size(), 1);
        QVERIFY2(log.questions.first().contains(QStringLiteral("tree.rm2")),
                 qPrintable(log.questions.first()));
        QCOMPARE(log.beeps, 0);
        if (yes) {
            const LoadResult r = ParseTemplate(ReadBytes(path("tree.rm2")));
            QVERIFY(r.status == LoadStatus::Accepted);
            QCOMPARE(r.data.table.BranchCount, 4);
            QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : tree.rm2"));
        } else {
            QCOMPARE(ReadBytes(path("tree.rm2")), QByteArray("old bytes"));
            COMPARE_LOOK(LookAt(*w), before, look::Everything);
        }
        QVERIFY(!QFileInfo::exists(path("tree")));
    }

    void noQuestionForTheNameAsChosen()
    {
        // The dialog itself asked about a name the user chose with its ".rm2".
        QVERIFY(WriteBytes(path("tree.rm2"), "old bytes"));
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w->LoadFromFile(path("oak.rm2"));
        save(path("tree.rm2"));
        QVERIFY(log.questions.isEmpty());
        QCOMPARE(ReadBytes(path("tree.rm2")), OakFile());
    }

    void failedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("target");
        QTest::addRow("parent is a regular file") << QString("plain/tree") << QString("plain/tree.rm2");
        QTest::addRow("target is a folder") << QString("folder.rm2") << QString("folder.rm2");
        QTest::addRow("parent missing") << QString("nowhere/tree.rm2") << QString("nowhere/tree.rm2");
    }
    void failedSaveChangesNothing()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, target);
        QVERIFY(WriteBytes(path("plain"), "a plain file"));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.rm2")));
        openOakAndEdit();
        const WindowLook before = LookAt(*w);

        save(path(chosen));

        QCOMPARE(log.warnings.size(), 1);
        const QString &message = log.warnings.first();
        QVERIFY2(message.startsWith(QStringLiteral("ファイルに書き込めません")), qPrintable(message));
        QVERIFY2(message.contains(path(target)), qPrintable(message));
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QCOMPARE(ReadBytes(path("plain")), QByteArray("a plain file"));
        QVERIFY(QFileInfo(path("folder.rm2")).isDir());
    }

    // Saving onto a pipe or a device writes into it and leaves it what it was; a pipe that
    // no program reads gets a message, and the window's file name stays as it was.
    void saveOntoSpecialFiles_data()
    {
        QTest::addColumn<bool>("device");
        QTest::addRow("null device") << true;
        QTest::addRow("pipe nobody reads") << false;
    }
    void saveOntoSpecialFiles()
    {
        QFETCH(bool, device);
        const QByteArray target = QFile::encodeName(path("tree.rm2"));
        if (device) {
            if (mknod(target.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
                QSKIP("device nodes cannot be made here");
            }
        } else {
            QCOMPARE(mkfifo(target.constData(), 0600), 0);
        }
        openOakAndEdit();
        save(path("tree.rm2"));
        QCOMPARE(log.warnings.size(), device ? 0 : 1);
        struct stat st {};
        QCOMPARE(lstat(target.constData(), &st), 0);
        QVERIFY(device ? S_ISCHR(st.st_mode) : S_ISFIFO(st.st_mode));
        QCOMPARE(w->fileName() == path("tree.rm2"), device);
    }

    void failedWriteLeavesTheOldFile()
    {
        // The file system refuses the bytes (a file size limit of 16 bytes for this
        // process): the old file keeps its bytes and no temporary file is left.
        openOakAndEdit();
        QVERIFY(WriteBytes(path("tree.rm2"), "old bytes"));
        const WindowLook before = LookAt(*w);
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = 16;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        save(path("tree.rm2"));
        setrlimit(RLIMIT_FSIZE, &old);

        QCOMPARE(log.warnings.size(), 1);
        QVERIFY(log.warnings.first().contains(path("tree.rm2")));
        QCOMPARE(ReadBytes(path("tree.rm2")), QByteArray("old bytes"));
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("oak.rm2"), QStringLiteral("tree.rm2")}));
    }

    // --- The real dialogs --------------------------------------------------------------

    void realOpenDialog()
    {
        useRealOpen = true;
        installHooks();
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        const QStringList filter{QStringLiteral("Ramulet2 (*.rm2)")};

        // The name of a missing file, typed in, is returned as typed and the reader
        // reports it.
        FileDialogSeen first;
        AnswerFileDialog(first, path("missing.rm2"));
        w->SBloadClick();
        QVERIFY(first.shown);
        QCOMPARE(first.nameFilters, filter);
        QCOMPARE(first.acceptMode, QFileDialog::AcceptOpen);
        QVERIFY(first.defaultSuffix.isEmpty());
        QVERIFY(first.nameBox.isEmpty()); // nothing pre-filled by the program
        QCOMPARE(log.warnings.size(), 1);
        QVERIFY2(log.warnings.first().contains(path("missing.rm2")), qPrintable(log.warnings.first()));
        QCOMPARE(w->table().BranchCount, 2);

        // The next use shows the name last chosen; an existing file opens.
        FileDialogSeen second;
        AnswerFileDialog(second, path("oak.rm2"));
        w->SBloadClick();
        QVERIFY(second.shown);
        QCOMPARE(second.selected, path("missing.rm2"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
        compareRows(w->table(), OakTable());

        // Cancel opens nothing.
        w->sbAddClick();
        const WindowLook before = LookAt(*w);
        FileDialogSeen third;
        AnswerFileDialog(third, QString());
        w->SBloadClick();
        QVERIFY(third.shown);
        QCOMPARE(third.selected, path("oak.rm2"));
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QCOMPARE(log.warnings.size(), 1);
    }

    void realSaveDialog()
    {
        useRealSave = true;
        installHooks();

        // Without a current file the name box is empty.
        FileDialogSeen first;
        AnswerFileDialog(first, path("tree"));
        w->SBSaveClick();
        QVERIFY(first.shown);
        QCOMPARE(first.nameFilters, QStringList{QStringLiteral("Ramulet2 (*.rm2)")});
        QCOMPARE(first.acceptMode, QFileDialog::AcceptSave);
        QVERIFY(first.confirmsOverwrite);
        QVERIFY(first.defaultSuffix.isEmpty());
        QVERIFY(first.nameBox.isEmpty());
        const QByteArray written = ReadBytes(path("tree.rm2"));
        QVERIFY(ParseTemplate(written).status == LoadStatus::Accepted);
        QCOMPARE(ParseTemplate(written).data.table.BranchCount, 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : tree.rm2"));

        // Next time it is pre-filled with the current file, in its folder; cancel writes
        // nothing.
        w->sbAddClick();
        FileDialogSeen second;
        AnswerFileDialog(second, QString());
        w->SBSaveClick();
        QVERIFY(second.shown);
        QCOMPARE(second.nameBox, QStringLiteral("tree.rm2"));
        QCOMPARE(second.folder, QDir(dir->path()).canonicalPath());
        QCOMPARE(ReadBytes(path("tree.rm2")), written);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : tree.rm2"));
    }

    // --- Drops -------------------------------------------------------------------------

    void dragEnterAccepts_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("one local file") << QList<QUrl>{QUrl::fromLocalFile("/tmp/a.rm2")} << true;
        QTest::addRow("web address then local file")
            << QList<QUrl>{QUrl("https://example.org/a.rm2"), QUrl::fromLocalFile("/tmp/a.rm2")}
            << true;
        QTest::addRow("web addresses only")
            << QList<QUrl>{QUrl("https://example.org/a.rm2"), QUrl("ftp://example.org/b")} << false;
        QTest::addRow("no addresses") << QList<QUrl>{} << false;
    }
    void dragEnterAccepts()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        QVERIFY(w->acceptDrops());
        const auto data = UrlData(urls);
        if (urls.isEmpty()) {
            data->setText(QStringLiteral("just text"));
        }
        QDragEnterEvent e(QPoint(300, 300), Qt::CopyAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w.get(), &e);
        QCOMPARE(e.isAccepted(), accepted);
    }

    void dropOpensOnlyTheFirstFile()
    {
        TemplateSettings second = OakSettings;
        second.BackColor = 0x010101;
        QVERIFY(WriteBytes(path("first.rm2"), OakFile()));
        QVERIFY(WriteBytes(path("second.rm2"), FormatTemplate(OakTable(), second)));
        QVERIFY(WriteBytes(path("third.rm2"), DefaultFile));
        const auto data = UrlData({QUrl::fromLocalFile(path("first.rm2")),
                                   QUrl::fromLocalFile(path("second.rm2")),
                                   QUrl::fromLocalFile(path("third.rm2"))});
        drop(*data);

        QCOMPARE(w->fileName(), path("first.rm2"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : first.rm2"));
        compareRows(w->table(), OakTable());
        QCOMPARE(w->settings().BackColor, 0x102030u);
        QVERIFY(log.warnings.isEmpty());
    }

    void dropSkipsAddressesThatAreNoLocalFile()
    {
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        const auto data = UrlData({QUrl("https://example.org/x.rm2"),
                                   QUrl::fromLocalFile(path("oak.rm2"))});
        drop(*data);
        QCOMPARE(w->fileName(), path("oak.rm2"));
    }

    void dropOfARefusedFileChangesNothing()
    {
        openOakAndEdit();
        QByteArray newer = DefaultFile;
        newer.replace("Ramulet 2.3", "Ramulet 3");
        QVERIFY(WriteBytes(path("newer.rm2"), newer));
        const WindowLook before = LookAt(*w);

        const auto data = UrlData({QUrl::fromLocalFile(path("newer.rm2"))});
        drop(*data);

        QVERIFY2(IsOpenRefusal(log.warnings, path("newer.rm2")), qPrintable(log.warnings.join('|')));
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
    }

    void dropWithoutLocalFileOpensNothing()
    {
        openOakAndEdit();
        const WindowLook before = LookAt(*w);
        const auto data = UrlData({QUrl("https://example.org/a.rm2")});
        drop(*data);
        COMPARE_LOOK(LookAt(*w), before, look::Everything);
        QVERIFY(log.warnings.isEmpty());
    }

    void dropOfALongPath()
    {
        // Far beyond 255 bytes: the path arrives whole.
        QString sub = dir->path();
        for (int i = 0; i < 6; ++i) {
            sub += QLatin1Char('/') + QString(60, QChar(u'枝'));
            QVERIFY(QDir().mkpath(sub));
        }
        const QString file = sub + QStringLiteral("/long.rm2");
        QVERIFY(file.toUtf8().size() > 1000);
        QVERIFY(WriteBytes(file, OakFile()));
        const auto data = UrlData({QUrl::fromLocalFile(file)});
        drop(*data);
        QCOMPARE(w->fileName(), file);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : long.rm2"));
    }

    // --- The command line --------------------------------------------------------------

    void commandLineJoinsItsArguments_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@" stands for the folder
        QTest::addColumn<QString>("opened");        // empty: nothing opened
        QTest::addRow("none") << QStringList{} << QString();
        QTest::addRow("one") << QStringList{"@/oak.rm2"} << QString("oak.rm2");
        QTest::addRow("name and extension apart")
            << QStringList{"@/oak", ".rm2"} << QString("oak.rm2");
        QTest::addRow("path with a blank, split")
            << QStringList{"@/My", "Trees/oak.rm2"} << QString("MyTrees/oak.rm2");
        QTest::addRow("path with a blank, whole")
            << QStringList{"@/My Trees/oak.rm2"} << QString("My Trees/oak.rm2");
        QTest::addRow("through a symbolic link")
            << QStringList{"@/link/oak.rm2"} << QString("My Trees/oak.rm2");
    }
    void commandLineJoinsItsArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, opened);
        w.reset();
        QDir root(dir->path());
        QVERIFY(root.mkdir(QStringLiteral("MyTrees")) && root.mkdir(QStringLiteral("My Trees")));
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        QVERIFY(WriteBytes(path("MyTrees/oak.rm2"), OakFile()));
        QVERIFY(WriteBytes(path("My Trees/oak.rm2"), OakFile()));
        QVERIFY(QFile::link(path("My Trees"), path("link")));
        const QString canonicalRoot = QDir(dir->path()).canonicalPath();
        for (QString &a : arguments) {
            a.replace(QLatin1Char('@'), dir->path());
        }

        w = std::make_unique<TMainform>(arguments);
        installHooks();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCoreApplication::processEvents();

        if (opened.isEmpty()) {
            QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
            QVERIFY(w->fileName().isEmpty());
            QCOMPARE(w->table().BranchCount, 2);
            return;
        }
        // The long form: absolute, with the components as the file system stores them.
        QCOMPARE(w->fileName(), canonicalRoot + QLatin1Char('/') + opened);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
        // The file's template is in the editor, at the window's real size (the first
        // growth then took the model back from those pixel points).
        QCOMPARE(w->table().BranchCount, 3);
        QCOMPARE(w->table().Branches[2].kind, kindReverse);
        BranchTable expected = OakTable();
        UpdateAllScreenPoints(expected, w->view());
        for (int32_t i = 0; i <= 3; ++i) {
            QCOMPARE(w->table().Branches[static_cast<size_t>(i)].screenEnd,
                     expected.Branches[static_cast<size_t>(i)].screenEnd);
        }
        // Branch 1 is drawn: the middle of its shaft is not the editor's background.
        const TBranch &b1 = w->table().Branches[1];
        const QPoint mid((b1.screenStart.x + b1.screenEnd.x) / 2,
                         (b1.screenStart.y + b1.screenEnd.y) / 2);
        const QImage &img = w->editorView()->image();
        QVERIFY(img.pixel(mid) != img.pixel(5, 5));
        QCOMPARE(w->settings().BackColor, 0x102030u);
        QCOMPARE(w->findChild<QComboBox *>("cboxPenWidth")->currentIndex(), 3);
    }

    void commandLineFileIsLaidOutBeforeTheWindowShows()
    {
        w.reset();
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        w = std::make_unique<TMainform>(QStringList{path("oak.rm2")});
        QVERIFY(!w->isVisible());
        // Right after construction the views have the window's start size (the design size,
        // 636 x 634, on all but 600-pixel screens), not a widget's default size.
        const QSize client =
            InitialClientSize(QGuiApplication::primaryScreen()->geometry().height());
        const QSize views = client - QSize(146 + 16, 22 + 16);
        QCOMPARE(w->editorView()->size(), views);
        QCOMPARE(w->treeView()->size(), views);
        QCOMPARE(w->editorView()->image().size(), views);
        QCOMPARE(w->view().viewWidth, views.width());
        QCOMPARE(w->view().viewHeight, views.height());
        // The file's template in the default view of that size.
        ViewState v;
        QVERIFY(v.SetViewSize(views.width(), views.height()));
        v.ResetView();
        QCOMPARE(w->view().ViewOrigin, v.ViewOrigin);
        QVERIFY(w->view().ViewScale == v.ViewScale);
        QCOMPARE(w->table().BranchCount, 3);
        BranchTable expected = OakTable();
        UpdateAllScreenPoints(expected, v);
        for (int32_t i = 0; i <= 3; ++i) {
            const TBranch &got = w->table().Branches[static_cast<size_t>(i)];
            const TBranch &want = expected.Branches[static_cast<size_t>(i)];
            QCOMPARE(got.screenStart, want.screenStart);
            QCOMPARE(got.screenEnd, want.screenEnd);
            QVERIFY(got.P == want.P && got.V == want.V);
        }
        // Drawn there: the middle of branch 1's shaft is not the editor's background.
        const TBranch &b1 = w->table().Branches[1];
        const QPoint mid((b1.screenStart.x + b1.screenEnd.x) / 2,
                         (b1.screenStart.y + b1.screenEnd.y) / 2);
        const QImage &img = w->editorView()->image();
        QVERIFY(img.pixel(mid) != img.pixel(5, 5));
        QCOMPARE(w->editorView()->geometry().topLeft(), QPoint(8, 8));
    }

    void commandLineRelativePath()
    {
        w.reset();
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir->path()));
        w = std::make_unique<TMainform>(QStringList{QStringLiteral("oak.rm2")});
        QDir::setCurrent(previous);
        QCOMPARE(w->fileName(), QDir(dir->path()).canonicalPath() + QStringLiteral("/oak.rm2"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
    }

    void commandLineWithAMissingFile()
    {
        // The message box is the real one: the window is built before any hook is set.
        w.reset();
        QString text;
        QString caption;
        OnModal<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            caption = box->windowTitle();
            QCOMPARE(box->buttons().size(), 1);
            QCOMPARE(box->buttons().first()->text(), QStringLiteral("OK"));
            box->accept();
        });
        w = std::make_unique<TMainform>(QStringList{path("gone"), QStringLiteral(".rm2")});
        QCOMPARE(caption, QStringLiteral("警告"));
        QVERIFY2(text.contains(path("gone.rm2")), qPrintable(text));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
        QVERIFY(w->fileName().isEmpty());
        QCOMPARE(w->table().BranchCount, 2);
    }

    void loadButtonRunsTheOpenDialog()
    {
        QVERIFY(WriteBytes(path("oak.rm2"), OakFile()));
        openAnswers = {QString()};
        QTest::mouseClick(button("SBload"), Qt::LeftButton);
        QCOMPARE(w->table().BranchCount, 2);
        QVERIFY(w->fileName().isEmpty());

        openAnswers = {path("oak.rm2")};
        QTest::mouseClick(button("SBload"), Qt::LeftButton);
        QCOMPARE(w->fileName(), path("oak.rm2"));

        saveAnswers = {path("copy")};
        QTest::mouseClick(button("SBSave"), Qt::LeftButton);
        QCOMPARE(ReadBytes(path("copy.rm2")), OakFile());
    }
};

QTEST_MAIN(TestFiles)
#include "test_files.moc"
