// Ramulet: draws self-similar trees from a small branch template.

#include "app/Main.h"
#include "app/language.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ramulet2"));
    // Japanese, the program's own language, unless the user prefers another one.
    ramulet::InstallTranslations(ramulet::PreferredLanguageFromEnvironment());

    // QApplication has taken its own options out of the arguments.
    ramulet::TMainform window(QCoreApplication::arguments().mid(1));
    window.show();
    return app.exec();
}
