// Ramulet: draws self-similar trees from a small branch template.

#include "app/Main.h"
#include "app/commandline.h"
#include "app/language.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // --help and --version answer without a window (and without a display).
    if (const std::optional<int> status = ramulet::AnswerBeforeWindow(argc, argv)) {
        return *status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ramulet2"));
    // Japanese, the program's own language, unless the user prefers another one.
    ramulet::InstallTranslations(ramulet::PreferredLanguageFromEnvironment());

    // QApplication has taken its own options out of the arguments; what is left is an
    // option of ours or the file to open.
    const ramulet::CommandLine line = ramulet::ParseCommandLine(QCoreApplication::arguments().mid(1));
    if (const std::optional<int> status = ramulet::AnswerCommandLine(line)) {
        return *status;
    }
    ramulet::TMainform window(line.files);
    window.show();
    return app.exec();
}
