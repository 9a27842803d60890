#include "io/examples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ramulet {

namespace {

constexpr const char *ExamplesSubdir = "ramulet/examples";

} // namespace

QStringList ExampleDirectoryCandidates(const QString &programDir)
{
    const QDir dir(programDir);
    const QString sub = QString::fromLatin1(ExamplesSubdir);
    QStringList candidates{
        QDir::cleanPath(dir.filePath(QStringLiteral("../share/") + sub)),
        QDir::cleanPath(dir.filePath(QStringLiteral("../../share/") + sub)),
    };
    for (const QString &data : QStandardPaths::standardLocations(
             QStandardPaths::GenericDataLocation)) {
        candidates << QDir::cleanPath(QDir(data).filePath(sub));
    }
    candidates.removeDuplicates();
    return candidates;
}

QString FindExampleDirectory(const QString &programDir)
{
    for (const QString &candidate : ExampleDirectoryCandidates(programDir)) {
        if (!ExampleFiles(candidate).isEmpty()) {
            return candidate;
        }
    }
    return {};
}

QStringList ExampleFiles(const QString &dir)
{
    if (dir.isEmpty()) {
        return {};
    }
    const QFileInfoList found = QDir(dir).entryInfoList({QStringLiteral("*.rm2")}, QDir::Files,
                                                         QDir::Name);
    QStringList paths;
    for (const QFileInfo &info : found) {
        // The pattern ignores case on some file systems; the extension a save keeps is ".rm2".
        if (info.fileName().endsWith(QLatin1String(".rm2"))) {
            paths << info.absoluteFilePath();
        }
    }
    return paths;
}

QStringList InstalledExamples()
{
    return ExampleFiles(FindExampleDirectory(QCoreApplication::applicationDirPath()));
}

QString ExampleName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".rm2"))) {
        name.chop(4);
    }
    return name;
}

} // namespace ramulet
