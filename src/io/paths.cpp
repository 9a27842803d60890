#include "io/paths.h"

#include "core/pathbytes.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace ramulet {

QString PathFromBytes(const QByteArray &bytes)
{
    const std::u16string text =
        DecodePathBytes(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

std::string PathToBytes(const QString &path)
{
    return EncodePathBytes(
        std::u16string_view(reinterpret_cast<const char16_t *>(path.utf16()),
                            static_cast<size_t>(path.size())));
}

QString PathFromLocalUrl(const QUrl &url)
{
    if (!url.isLocalFile()) {
        return {};
    }
    // toLocalFile would decode the escapes as UTF-8 and turn a stray byte into U+FFFD.
    const QString local = url.toLocalFile();
    const QByteArray escaped = url.path(QUrl::FullyEncoded).toLatin1();
    if (escaped.isEmpty() || !url.host().isEmpty()) {
        return local;
    }
    return PathFromBytes(QByteArray::fromPercentEncoding(escaped));
}

QString JoinArguments(const QStringList &args)
{
    return args.join(QString());
}

QString LongPathName(const QString &path)
{
    if (path.isEmpty()) {
        return {};
    }
    const std::string bytes = PathToBytes(path);
    struct stat st {};
    if (stat(bytes.c_str(), &st) == 0) {
        // realpath gives the absolute path with links resolved and every component as
        // stored; it fails only if the entry vanished or a folder on the way is unreadable.
        const std::unique_ptr<char, decltype(&std::free)> canonical(
            realpath(bytes.c_str(), nullptr), &std::free);
        if (canonical) {
            return PathFromBytes(QByteArray(canonical.get()));
        }
        if (bytes.front() != '/') {
            char cwd[PATH_MAX];
            if (getcwd(cwd, sizeof cwd) != nullptr) {
                return PathFromBytes(QByteArray(cwd) + '/' + QByteArray::fromStdString(bytes));
            }
        }
        return path;
    }
    if (path.endsWith(QLatin1Char('/'))) {
        return path.chopped(1);
    }
    return path;
}

} // namespace ramulet
