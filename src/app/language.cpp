#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <memory>
#include <vector>

namespace ramulet {

namespace {

// The language part of a locale name such as "ja_JP.UTF-8", "en_GB@euro" or "C.UTF-8".
QString LanguagePart(const QString &locale)
{
    qsizetype end = 0;
    while (end < locale.size() && locale[end] != QLatin1Char('_') &&
           locale[end] != QLatin1Char('.') && locale[end] != QLatin1Char('@')) {
        ++end;
    }
    return locale.left(end);
}

// The translators installed last, kept for the life of the program.
std::vector<std::unique_ptr<QTranslator>> &Installed()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

} // namespace

UiLanguage PreferredLanguage(const std::function<QString(const char *name)> &getenv)
{
    QString first;
    for (const QString &entry : getenv("LANGUAGE").split(QLatin1Char(':'))) {
        if (!entry.trimmed().isEmpty()) {
            first = entry.trimmed();
            break;
        }
    }
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (!first.isEmpty()) {
            break;
        }
        first = getenv(name).trimmed();
    }
    const QString language = LanguagePart(first);
    if (language.isEmpty() || language == QLatin1String("C") ||
        language == QLatin1String("POSIX") ||
        language.compare(QLatin1String("ja"), Qt::CaseInsensitive) == 0) {
        return UiLanguage::Japanese;
    }
    return UiLanguage::English;
}

UiLanguage PreferredLanguageFromEnvironment()
{
    return PreferredLanguage([](const char *name) {
        const char *value = std::getenv(name);
        return value ? QString::fromLocal8Bit(value) : QString();
    });
}

bool InstallTranslations(UiLanguage language)
{
    auto &installed = Installed();
    for (const auto &t : installed) {
        QCoreApplication::removeTranslator(t.get());
    }
    installed.clear();

    bool ok = true;
    auto load = [&](const QString &name, const QString &dir) {
        auto t = std::make_unique<QTranslator>();
        if (!t->load(name, dir)) {
            ok = false;
            return;
        }
        QCoreApplication::installTranslator(t.get());
        installed.push_back(std::move(t));
    };
    if (language == UiLanguage::English) {
        load(QStringLiteral("ramulet_en"), QStringLiteral(":/i18n"));
    } else {
        load(QStringLiteral("ramulet_ja"), QStringLiteral(":/i18n"));
        load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    return ok;
}

} // namespace ramulet
