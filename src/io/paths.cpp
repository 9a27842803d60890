#include "io/paths.h"

#include <QFileInfo>

namespace ramulet {

QString JoinArguments(const QStringList &args)
{
    return args.join(QString());
}

QString LongPathName(const QString &path)
{
    if (path.isEmpty()) {
        return {};
    }
    const QFileInfo info(path);
    if (info.exists()) {
        // canonicalFilePath gives the absolute path with links resolved and every
        // component as stored; it is empty only if the entry vanished meanwhile.
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    }
    if (path.endsWith(QLatin1Char('/'))) {
        return path.chopped(1);
    }
    return path;
}

} // namespace ramulet
