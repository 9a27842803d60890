#pragma once

// The language the window speaks. Japanese is the program's own language: every text of the
// window is written in Japanese in the code, and an English translation is installed for
// users whose first preferred language is neither Japanese nor the plain C locale.

#include <QString>

#include <functional>

namespace ramulet {

enum class UiLanguage { Japanese, English };

// The first preferred language of the environment: the first entry of LANGUAGE (a list
// separated by colons), else the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty. Japanese for a locale of the language "ja", for C and POSIX (with any encoding) and
// when nothing is set; English for every other language. `getenv` gives a variable's value,
// empty when it is not set.
UiLanguage PreferredLanguage(const std::function<QString(const char *name)> &getenv);
UiLanguage PreferredLanguageFromEnvironment();

// Installs the translators of `language` into the application (which must exist): for English the window's
// English texts; for Japanese the Japanese texts of the messages that the file and picture
// code writes in English, and Qt's own Japanese texts (file, colour and message dialogs).
// Returns false when a translation that should exist could not be loaded (the window then
// shows the texts it has). Installing again replaces what an earlier call installed.
bool InstallTranslations(UiLanguage language);

} // namespace ramulet
