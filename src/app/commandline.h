#pragma once

// The program's command line before the window: --help and --version answer and exit, an
// unknown option is a usage error; every other argument is part of the file name that the
// window joins and opens at start.

#include <QString>
#include <QStringList>

#include <optional>

namespace ramulet {

// The version that the window's caption and the template header carry.
inline constexpr const char *ProgramVersion = "2.3";

struct CommandLine {
    enum class Action { Open, Help, Version, UnknownOption };
    Action action = Action::Open;
    QString option;    // UnknownOption: the option as given
    QStringList files; // Open: the arguments that make the file name (may be empty)
};

// Options are read up to the first argument that is not one, or up to "--"; everything from
// there on belongs to the file name, even when it begins with "-" (a name split at a blank
// may go on with "-"). `arguments` are those after the program name, without Qt's own options.
CommandLine ParseCommandLine(const QStringList &arguments);

// The usage (options, the file argument, the language's environment variables) and the
// version line, in the window's language.
QString UsageText();
QString VersionText();

// Prints what `line` asks for (help or version to standard output, a usage error to standard
// error) and gives the exit status; nullopt when the window is to open.
std::optional<int> AnswerCommandLine(const CommandLine &line);

// The same before the application exists, on the raw arguments: help and version need no
// display, so they are answered with a core application of their own (for the translations).
// Unknown options are left for the check after the GUI application has removed its own.
std::optional<int> AnswerBeforeWindow(int argc, char **argv);

} // namespace ramulet
