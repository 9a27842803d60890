#include "app/commandline.h"

#include "app/language.h"

#include <QCoreApplication>

#include <cstdio>

namespace ramulet {

namespace {

QString Text(const char *source)
{
    return QCoreApplication::translate("ramulet::CommandLine", source);
}

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--")) {
            line.files = arguments.mid(i + 1);
            return line;
        }
        if (!arg.startsWith(QLatin1Char('-'))) {
            line.files = arguments.mid(i);
            return line;
        }
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            line.action = CommandLine::Action::Help;
        } else if (arg == QLatin1String("--version")) {
            line.action = CommandLine::Action::Version;
        } else {
            line.action = CommandLine::Action::UnknownOption;
            line.option = arg;
        }
        return line;
    }
    return line;
}

QString UsageText()
{
    return Text(QT_TRANSLATE_NOOP(
        "ramulet::CommandLine",
        "使い方: ramulet [オプション] [テンプレート.rm2]\n"
        "自己相似の木をテンプレートから描きます。\n"
        "\n"
        "  テンプレート.rm2  起動時に開くテンプレート。引数は間に何も入れずにつないで\n"
        "                    一つのファイル名にするので、空白を含む名前は引用符で囲みます\n"
        "  -h, --help        この説明を表示して終了します\n"
        "  --version         版を表示して終了します\n"
        "  --                これより後はオプションではなくファイル名です\n"
        "Qt の標準のオプション (-platform, -style など) も使えます。\n"
        "\n"
        "環境変数:\n"
        "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
        "                    ウィンドウの言語。LANGUAGE の最初の項目、なければ設定されて\n"
        "                    いる最初の変数の言語が ja, C, POSIX か、どれも設定されて\n"
        "                    いなければ日本語、ほかの言語なら英語です\n"));
}

QString VersionText()
{
    return Text(QT_TRANSLATE_NOOP("ramulet::CommandLine", "Ramulet %1 (Qt %2)\n"))
        .arg(QLatin1String(ProgramVersion), QLatin1String(qVersion()));
}

std::optional<int> AnswerCommandLine(const CommandLine &line)
{
    switch (line.action) {
    case CommandLine::Action::Open:
        return std::nullopt;
    case CommandLine::Action::Help:
        Print(stdout, UsageText());
        return 0;
    case CommandLine::Action::Version:
        Print(stdout, VersionText());
        return 0;
    case CommandLine::Action::UnknownOption:
        Print(stderr,
              Text(QT_TRANSLATE_NOOP("ramulet::CommandLine",
                                     "ramulet: 知らないオプション「%1」です "
                                     "(ファイル名なら -- の後に書きます)\n\n"))
                      .arg(line.option) +
                  UsageText());
        return 1;
    }
    return std::nullopt;
}

std::optional<int> AnswerBeforeWindow(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine line = ParseCommandLine(arguments);
    if (line.action != CommandLine::Action::Help &&
        line.action != CommandLine::Action::Version) {
        return std::nullopt;
    }
    QCoreApplication core(argc, argv);
    InstallTranslations(PreferredLanguageFromEnvironment());
    return AnswerCommandLine(line);
}

} // namespace ramulet
