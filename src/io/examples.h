#pragma once

// The example templates that come with the program, and where to find them.

#include <QString>
#include <QStringList>

namespace ramulet {

// The folders that may hold the examples, in the order they are looked at, for a program in
// `programDir`: an installed program's ../share/ramulet/examples (wherever the installation
// was put); the copy in a build tree, whose programs lie two levels below its top
// (build/<preset>/src/app); then ramulet/examples in the desktop's data folders.
QStringList ExampleDirectoryCandidates(const QString &programDir);

// The first of the candidates that holds at least one example; empty when none does.
QString FindExampleDirectory(const QString &programDir);

// The examples in `dir`: its regular files ending in ".rm2", as full paths sorted by name.
QStringList ExampleFiles(const QString &dir);

// The examples the running program offers (FindExampleDirectory for the program's folder).
QStringList InstalledExamples();

// An example's name as the gallery shows it: its file name without ".rm2".
QString ExampleName(const QString &path);

} // namespace ramulet
