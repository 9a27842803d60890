// Ramulet: draws self-similar trees from a small branch template.

#include "app/Main.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ramulet2"));

    ramulet::TMainform window;
    window.show();
    return app.exec();
}
