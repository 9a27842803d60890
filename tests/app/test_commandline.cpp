// The program's command line: which arguments are options and which make the file name, and
// --help and --version answering without a window, in the window's language.

#include "app/commandline.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

using namespace ramulet;

Q_DECLARE_METATYPE(ramulet::CommandLine::Action)

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The real program with `lang` as LANG and no display at all: the xcb platform that a window
// would need cannot start, so only an answer without a window exits normally. `platform`
// chooses another platform for runs that get as far as the application.
Run Program(const QStringList &args, const QString &lang, const QString &platform = "xcb")
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        env.remove(QLatin1String(name));
    }
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(RAMULET_PROGRAM), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<QStringList>("files");
        using A = CommandLine::Action;
        QTest::addRow("nothing") << QStringList{} << A::Open << QStringList{};
        QTest::addRow("a file") << QStringList{"oak.rm2"} << A::Open << QStringList{"oak.rm2"};
        QTest::addRow("a name split at a blank")
            << QStringList{"/My", "Trees/oak.rm2"} << A::Open
            << QStringList{"/My", "Trees/oak.rm2"};
        QTest::addRow("a split name going on with a dash")
            << QStringList{"/home/a", "-b.rm2"} << A::Open << QStringList{"/home/a", "-b.rm2"};
        QTest::addRow("help") << QStringList{"--help"} << A::Help << QStringList{};
        QTest::addRow("h") << QStringList{"-h"} << A::Help << QStringList{};
        QTest::addRow("version") << QStringList{"--version"} << A::Version << QStringList{};
        QTest::addRow("help before a file") << QStringList{"--help", "oak.rm2"} << A::Help
                                            << QStringList{};
        QTest::addRow("unknown option") << QStringList{"--frobnicate", "oak.rm2"}
                                        << A::UnknownOption << QStringList{};
        QTest::addRow("a lone dash") << QStringList{"-"} << A::UnknownOption << QStringList{};
        QTest::addRow("a dashed name after --") << QStringList{"--", "-x.rm2"} << A::Open
                                                << QStringList{"-x.rm2"};
        QTest::addRow("--help after --") << QStringList{"--", "--help"} << A::Open
                                         << QStringList{"--help"};
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(CommandLine::Action, action);
        QFETCH(QStringList, files);
        const CommandLine line = ParseCommandLine(args);
        QCOMPARE(line.action, action);
        QCOMPARE(line.files, files);
        if (action == CommandLine::Action::UnknownOption) {
            QCOMPARE(line.option, args.first());
        }
    }

    void answersWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QByteArray>("out"); // at the start of standard output
        QTest::addColumn<QByteArray>("mentions"); // in standard output too
        QTest::addRow("help, Japanese") << QStringList{"--help"} << "C.UTF-8"
                                        << QByteArray("使い方: ramulet") << QByteArray("LC_MESSAGES");
        QTest::addRow("help, English") << QStringList{"-h"} << "en_US.UTF-8"
                                       << QByteArray("Usage: ramulet") << QByteArray("LANGUAGE");
        QTest::addRow("version") << QStringList{"--version"} << "en_US.UTF-8"
                                 << QByteArray("Ramulet 2.3 (Qt ") << QByteArray(qVersion());
    }
    void answersWithoutAWindow()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, lang);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, mentions);
        const Run r = Program(args, lang);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith(out), r.out.constData());
        QVERIFY2(r.out.contains(mentions), r.out.constData());
        QVERIFY2(r.err.isEmpty(), r.err.constData());
    }

    // An unknown option is a usage error, also after Qt's own options.
    void unknownOption()
    {
        const Run r = Program({"-style", "fusion", "--frobnicate"}, "en_US.UTF-8", "offscreen");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("ramulet: unknown option '--frobnicate'"), r.err.constData());
        QVERIFY2(r.err.contains("Usage: ramulet"), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
