// The window's language: the rule that picks it, the completeness of the translations, and
// the texts a user meets first, in English and in Japanese.

#include "apptesthelpers.h"

#include "app/language.h"
#include "common/testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <map>

using namespace ramulet_test;

namespace {

// The entries of a translation file that have no finished translation.
QStringList Unfinished(const QString &tsPath)
{
    QFile f(tsPath);
    if (!f.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("cannot open ") + tsPath};
    }
    QStringList out;
    QXmlStreamReader xml(&f);
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!type.isEmpty() || text.trimmed().isEmpty()) {
                out << source + QStringLiteral(" (") + (type.isEmpty() ? "empty" : type) + ")";
            }
        }
    }
    if (xml.hasError()) {
        out << xml.errorString();
    }
    return out;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;

    QToolButton *button(const char *name) { return w->findChild<QToolButton *>(name); }

    // The title and text of the reset question and the title of the save dialog, through
    // the real boxes.
    std::pair<QString, QString> resetQuestion()
    {
        SetDialogHooks(*w, {});
        std::pair<QString, QString> seen;
        OnModal<QMessageBox>([&seen](QMessageBox *box) {
            seen = {box->windowTitle(), box->text()};
            box->button(QMessageBox::No)->click();
        });
        w->SBInitClick();
        return seen;
    }
    QString saveDialogTitle()
    {
        SetDialogHooks(*w, {});
        QString title;
        OnModal<QFileDialog>([&title](QFileDialog *dlg) {
            title = dlg->windowTitle();
            dlg->reject();
        });
        w->SBSaveClick();
        return title;
    }

private slots:
    void cleanup()
    {
        w.reset();
        ramulet::InstallTranslations(UiLanguage::Japanese);
    }

    void rule_data()
    {
        QTest::addColumn<QStringList>("env"); // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
        QTest::addColumn<bool>("english");
        QTest::addRow("nothing set") << QStringList{"", "", "", ""} << false;
        QTest::addRow("C") << QStringList{"", "", "", "C"} << false;
        QTest::addRow("C.UTF-8") << QStringList{"", "C.UTF-8", "", ""} << false;
        QTest::addRow("POSIX") << QStringList{"", "", "POSIX", ""} << false;
        QTest::addRow("ja_JP.UTF-8") << QStringList{"", "", "", "ja_JP.UTF-8"} << false;
        QTest::addRow("ja") << QStringList{"", "", "", "ja"} << false;
        QTest::addRow("en_US.UTF-8") << QStringList{"", "", "", "en_US.UTF-8"} << true;
        QTest::addRow("de_DE@euro") << QStringList{"", "", "", "de_DE@euro"} << true;
        QTest::addRow("pt_BR") << QStringList{"", "", "", "pt_BR"} << true;
        QTest::addRow("LC_ALL over LANG") << QStringList{"", "fr_FR.UTF-8", "", "ja_JP.UTF-8"} << true;
        QTest::addRow("LC_MESSAGES over LANG") << QStringList{"", "", "ja_JP.UTF-8", "en_GB"} << false;
        QTest::addRow("LC_ALL over LC_MESSAGES") << QStringList{"", "C", "en_US", ""} << false;
        QTest::addRow("LANGUAGE first entry") << QStringList{"ja:en", "", "", "en_US.UTF-8"} << false;
        QTest::addRow("LANGUAGE over the locale") << QStringList{"en_GB:ja", "ja_JP.UTF-8", "", ""} << true;
        QTest::addRow("LANGUAGE empty entries") << QStringList{"::de", "", "", "ja_JP"} << true;
        QTest::addRow("LANGUAGE empty") << QStringList{"", "", "", "es_ES.UTF-8"} << true;
    }
    void rule()
    {
        QFETCH(QStringList, env);
        QFETCH(bool, english);
        const std::map<std::string, QString> vars{{"LANGUAGE", env[0]},
                                                  {"LC_ALL", env[1]},
                                                  {"LC_MESSAGES", env[2]},
                                                  {"LANG", env[3]}};
        const UiLanguage got =
            PreferredLanguage([&vars](const char *name) { return vars.at(name); });
        QCOMPARE(got == UiLanguage::English, english);
    }

    // Every text of the code is in the translation files, and every one is translated: the
    // files brought up to date from the code (as scripts/update-translations.sh does) have no
    // unfinished entry.
    void translationsAreCompleteAndCurrent()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = QStringLiteral(RAMULET_SOURCE_DIR);
        const struct {
            const char *file;
            QStringList folders;
        } sets[] = {{"ramulet_en.ts", {"src/app", "src/editor", "src/io"}},
                    {"ramulet_ja.ts", {"src/view", "src/anim"}}};
        for (const auto &set : sets) {
            const QString copy = dir.filePath(QLatin1String(set.file));
            QVERIFY(QFile::copy(source + "/translations/" + QLatin1String(set.file), copy));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            QStringList args{"-silent", "-I", source + "/src", "-locations", "none"};
            for (const QString &folder : set.folders) {
                args << source + "/" + folder;
            }
            args << "-ts" << copy;
            const test::ProcessRun run = test::RunProgram(QStringLiteral(RAMULET_LUPDATE), args);
            QVERIFY2(run.exitCode == 0, run.err.constData());
            const QStringList missing = Unfinished(copy);
            QVERIFY2(missing.isEmpty(), qPrintable(QLatin1String(set.file) + QStringLiteral(": ") +
                                                   missing.join(QStringLiteral("; "))));
        }
    }

    void englishWindow()
    {
        QVERIFY(InstallTranslations(UiLanguage::English));
        w = MakeShownWindow(log);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
        QCOMPARE(button("SBEdit")->text(), QStringLiteral("Edit"));
        QCOMPARE(button("sbAdd")->text(), QStringLiteral("Add branch"));
        QCOMPARE(w->findChild<QCheckBox *>("cboxWide")->text(), QStringLiteral("Fit to view"));
        QCOMPARE(w->depthButton(3)->toolTip(), QStringLiteral("3 levels deep"));
        QCOMPARE(w->depthButton(1)->toolTip(), QStringLiteral("1 level deep"));
        const auto question = resetQuestion();
        QCOMPARE(question.first, QStringLiteral("Warning"));
        QVERIFY(question.second.startsWith(QStringLiteral("Start over")));
        QCOMPARE(saveDialogTitle(), QStringLiteral("Save As"));

        // At the design size every text of the side bar fits its control.
        w->resize(w->WindowSizeFor({DesignClientWidth, DesignClientHeight}));
        QTRY_COMPARE(w->editorView()->size(), QSize(636, 634));
        auto *side = w->findChild<QScrollArea *>("ScrollBox1");
        const int inner = side->viewport()->width();
        for (QWidget *c : side->widget()->findChildren<QWidget *>()) {
            QString text;
            int room = 0;
            if (auto *label = qobject_cast<QLabel *>(c); label && !label->text().isEmpty()) {
                text = label->text();
                room = inner - label->mapTo(side->widget(), QPoint(0, 0)).x();
            } else if (auto *b = qobject_cast<QAbstractButton *>(c); b && !b->text().isEmpty()) {
                text = b->text();
                room = b->width() - (qobject_cast<QCheckBox *>(b) ? 20 : 4) -
                       (b->icon().isNull() ? 0 : b->iconSize().width());
                if (qobject_cast<QCheckBox *>(b)) {
                    room = std::min(room, inner - b->mapTo(side->widget(), QPoint(20, 0)).x());
                }
            } else {
                continue;
            }
            const int needed = c->fontMetrics().horizontalAdvance(QString(text).remove('&'));
            QVERIFY2(needed <= room, qPrintable(c->objectName() + QStringLiteral(": '") + text +
                                               QStringLiteral("' needs %1 of %2 pixels")
                                                   .arg(needed)
                                                   .arg(room)));
        }
    }

    // A refused file is named with the reason on the lines after the warning's own text, in
    // the window's language.
    void refusalMessages_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // the whole warning; %1 the file's path
        const QByteArray badLine7 = "Ramulet 2.3\r\nCount of Data\r\n2\r\nData\r\n"
                                    "0 0 0 1 0\r\n0 1 0.5 0.5 -1\r\n0 1 -0.5x 0.5 -1\r\n";
        QTest::addRow("not a template, Japanese")
            << false << QByteArray("hello\r\n")
            << QStringLiteral("このファイルは開けません\n%1\n"
                              "Ramulet のテンプレートではありません (1 行目:「hello」)");
        QTest::addRow("not a template, English")
            << true << QByteArray("hello\r\n")
            << QStringLiteral("This file cannot be opened.\n%1\n"
                              "it is not a Ramulet template (line 1: 'hello')");
        QTest::addRow("empty, Japanese") << false << QByteArray()
                                         << QStringLiteral("このファイルは開けません\n%1\n空のファイルです");
        QTest::addRow("empty, English") << true << QByteArray()
                                        << QStringLiteral("This file cannot be opened.\n%1\nthe file is empty");
        QTest::addRow("bad number on line 7, Japanese")
            << false << badLine7
            << QStringLiteral("このファイルは開けません\n%1\n"
                              "7 行目: 枝 2 の V.x (数値) が入るところに「-0.5x」があります");
        QTest::addRow("bad number on line 7, English")
            << true << badLine7
            << QStringLiteral("This file cannot be opened.\n%1\n"
                              "line 7: expected V.x of branch 2 (a number), found '-0.5x'");
    }
    void refusalMessages()
    {
        QFETCH(bool, english);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(InstallTranslations(english ? UiLanguage::English : UiLanguage::Japanese));
        w = MakeShownWindow(log);
        QVERIFY(w);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tree.rm2"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        log.warnings.clear();
        w->LoadFromFile(path);
        QCOMPARE(log.warnings, QStringList{text.arg(QDir::toNativeSeparators(path))});
    }

    void japaneseWindow()
    {
        QVERIFY(InstallTranslations(UiLanguage::Japanese));
        w = MakeShownWindow(log);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
        QCOMPARE(button("SBEdit")->text(), QStringLiteral("編集"));
        QCOMPARE(w->depthButton(3)->toolTip(), QStringLiteral("3重に繰り返し"));
        const auto question = resetQuestion();
        QCOMPARE(question.first, QStringLiteral("警告"));
        QCOMPARE(question.second, QStringLiteral("未記録データを消去します"));
        // Qt's own dialog speaks Japanese too.
        QCOMPARE(saveDialogTitle(), QStringLiteral("名前を付けて保存"));
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
