// The dialog "アニメーション" on its own: its export writes every format off the GUI thread,
// Cancel leaves no file, the preview plays, and a template that cannot be used is refused.

#include "app/animationdialog.h"
#include "common/testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImageReader>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace ramulet;

namespace {

AnimationSource Source(int32_t depth) {
    AnimationSource s;
    s.view = test::DefaultView(636, 634);
    SetDefaultTemplate(s.table, s.view);
    s.depth = depth;
    s.smooth = true;
    return s;
}

QStringList Examples() {
    return {QStringLiteral(RAMULET_EXAMPLES_DIR "/fern.rm2"),
            QStringLiteral(RAMULET_EXAMPLES_DIR "/coral.rm2")};
}

void SelectData(QComboBox *box, int value) {
    box->setCurrentIndex(box->findData(value));
}

} // namespace

class TestAnimationDialog : public QObject {
    Q_OBJECT
private slots:
    void exportWrites_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addRow("grow gif") << int(AnimationKind::Grow) << int(AnimationFormat::Gif)
                                  << "a.gif";
        QTest::addRow("sway webp")
            << int(AnimationKind::Sway) << int(AnimationFormat::Webp) << "a.webp";
        QTest::addRow("morph apng")
            << int(AnimationKind::Morph) << int(AnimationFormat::Apng) << "a.png";
        QTest::addRow("grow frames")
            << int(AnimationKind::Grow) << int(AnimationFormat::PngFrames) << "f/";
    }
    void exportWrites() {
        QFETCH(int, kind);
        QFETCH(int, format);
        QFETCH(QString, name);
        QTemporaryDir dir;
        AnimationDialog dialog(Source(8), Examples());
        dialog.setHooks({[&](AnimationFormat f) {
                             return f == AnimationFormat(format) ? dir.filePath(name) : QString();
                         },
                         {},
                         [](const QString &text) { QFAIL(qPrintable(text)); }});
        dialog.show();
        SelectData(dialog.kindBox(), kind);
        SelectData(dialog.formatBox(), format);
        dialog.secondsBox()->setValue(0.5);
        dialog.fpsBox()->setValue(10);
        dialog.widthBox()->setValue(200);
        dialog.heightBox()->setValue(180);
        QSignalSpy finished(&dialog, &AnimationDialog::exportFinished);
        QTest::mouseClick(dialog.exportButton(), Qt::LeftButton);
        QVERIFY(dialog.exporting());
        QCOMPARE(dialog.exportButton()->text(), dialog.tr("中止"));
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.front().at(0).toBool(), true);
        QVERIFY(!dialog.exporting());
        QCOMPARE(dialog.progressBar()->isVisible(), false);
        if (name.endsWith(QLatin1Char('/'))) {
            QCOMPARE(QDir(dir.filePath(name)).entryList(QDir::Files).size(), 5);
            QCOMPARE(QImage(dir.filePath(name + "0005.png")).size(), QSize(200, 180));
        } else if (name.endsWith(QLatin1String(".webp"))) {
            // An animated WebP: RIFF, WEBP, then the extended header with the animation flag.
            const QByteArray bytes = test::ReadAll(dir.filePath(name));
            QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 8) == "WEBPVP8X");
            QVERIFY(bytes.contains("ANIM") && bytes.contains("ANMF"));
        } else {
            QImageReader reader(dir.filePath(name));
            QCOMPARE(reader.size(), QSize(200, 180));
        }
    }

    // Cancel while the frames are being written: nothing is left, and no message.
    void cancelLeavesNothing() {
        QTemporaryDir dir;
        AnimationDialog dialog(Source(12), Examples());
        int warnings = 0;
        dialog.setHooks({[&](AnimationFormat) { return dir.filePath("a.gif"); },
                         {},
                         [&](const QString &) { ++warnings; }});
        dialog.show();
        dialog.secondsBox()->setValue(60);
        QSignalSpy finished(&dialog, &AnimationDialog::exportFinished);
        QTest::mouseClick(dialog.exportButton(), Qt::LeftButton);
        QTRY_VERIFY(dialog.progressBar()->value() >= 2);
        QTest::mouseClick(dialog.exportButton(), Qt::LeftButton); // now "中止"
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.front().at(1).toBool(), true);
        QCOMPARE(warnings, 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    // The preview plays the animation in the dialog.
    void previewPlays() {
        AnimationDialog dialog(Source(8), Examples());
        dialog.show();
        dialog.secondsBox()->setValue(1.0);
        const QImage first = dialog.previewImage();
        QVERIFY(!first.isNull());
        QTRY_VERIFY(dialog.previewImage() != first);
    }

    // A morph's other template that cannot be used is refused with a message; the example
    // chosen before stays.
    void refusedTemplate() {
        QTemporaryDir dir;
        QFile bad(dir.filePath("bad.rm2"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a template\n");
        bad.close();
        AnimationDialog dialog(Source(6), Examples());
        QStringList warnings;
        dialog.setHooks(
            {{}, [&] { return bad.fileName(); }, [&](const QString &text) { warnings << text; }});
        SelectData(dialog.kindBox(), int(AnimationKind::Morph));
        QVERIFY(dialog.otherBox()->isEnabled());
        const QPushButton *file = dialog.findChild<QPushButton *>();
        QVERIFY(file);
        QMetaObject::invokeMethod(&dialog, [&] {
            for (QPushButton *b : dialog.findChildren<QPushButton *>()) {
                if (b->text() == dialog.tr("ファイル...")) {
                    b->click();
                }
            }
        });
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.front().contains("bad.rm2"));
        QCOMPARE(dialog.otherBox()->count(), 2);
        QCOMPARE(dialog.otherBox()->currentIndex(), 0);
        QVERIFY(dialog.exportButton()->isEnabled());
    }
};

QTEST_MAIN(TestAnimationDialog)
#include "test_animationdialog.moc"
