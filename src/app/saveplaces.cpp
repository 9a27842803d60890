#include "app/saveplaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ramulet {

namespace {

QString FolderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

} // namespace

bool IsWritable(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isWritable();
}

QString DocumentsFolder()
{
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

QString ProposedSavePath(const QString &preset, const QString &documents,
                         const WritableTest &writable)
{
    if (preset.isEmpty() || writable(FolderOf(preset))) {
        return preset;
    }
    return QDir(documents).filePath(QFileInfo(preset).fileName());
}

bool CanSaveInPlace(const QString &path, const WritableTest &writable)
{
    if (path.isEmpty() || !writable(FolderOf(path))) {
        return false;
    }
    const QFileInfo file(path);
    if (file.isDir()) {
        return false;
    }
    return !(file.exists() || file.isSymLink()) || writable(path);
}

} // namespace ramulet
