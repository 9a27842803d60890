// Ramulet: draws self-similar trees from a small branch template.

#include "app/Main.h"
#include "app/commandline.h"
#include "app/language.h"
#include "io/paths.h"

#include <QApplication>

#include <csignal>

int main(int argc, char **argv)
{
    // --help and --version answer without a window (and without a display).
    if (const std::optional<int> status = ramulet::AnswerBeforeWindow(argc, argv)) {
        return *status;
    }
    // A write past a file size limit (ulimit -f) or into a pipe whose reader has gone then
    // fails with its error, which the save and export messages report, instead of ending the
    // window with the unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ramulet2"));
    // Japanese, the program's own language, unless the user prefers another one.
    ramulet::InstallTranslations(ramulet::PreferredLanguageFromEnvironment());

    // QApplication has taken its own options out of argc and argv; what is left is an option
    // of ours or the file to open. The names are taken as bytes, so that a name that is not
    // UTF-8 opens as itself.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(ramulet::PathFromBytes(QByteArray(argv[i])));
    }
    const ramulet::CommandLine line = ramulet::ParseCommandLine(arguments);
    if (const std::optional<int> status = ramulet::AnswerCommandLine(line)) {
        return *status;
    }
    ramulet::TMainform window(line.files);
    window.show();
    return app.exec();
}
