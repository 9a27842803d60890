// Ramulet: draws self-similar trees from a small branch template.

#include "app/Main.h"
#include "app/language.h"
#include "io/paths.h"

#include <QApplication>

#include <csignal>

int main(int argc, char **argv)
{
    // A write past a file size limit (ulimit -f) or into a pipe whose reader has gone then
    // fails with its error, which the save and export messages report, instead of ending the
    // window with the unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ramulet2"));
    // Japanese, the program's own language, unless the user prefers another one.
    ramulet::InstallTranslations(ramulet::PreferredLanguageFromEnvironment());

    // QApplication has taken its own options out of argc and argv. The names are taken as
    // bytes, so that a name that is not UTF-8 opens as itself.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(ramulet::PathFromBytes(QByteArray(argv[i])));
    }
    ramulet::TMainform window(arguments);
    window.show();
    return app.exec();
}
