#pragma once

// Path helpers of the command-line opening route.

#include <QString>
#include <QStringList>

namespace ramulet {

// The program's arguments joined with nothing between them. `args` holds the arguments
// only, without the program name (pass QCoreApplication::arguments().mid(1)):
// {"/tmp/Trees/oak", ".rm2"} gives "/tmp/Trees/oak.rm2"; no arguments give an empty text.
QString JoinArguments(const QStringList &args);

// The long form of a path: for a path that exists, its absolute form with every component
// as the file system stores it (symbolic links resolved; a relative path is taken from the
// current directory). A path that does not exist comes back unchanged less one trailing "/";
// an empty text gives an empty text.
QString LongPathName(const QString &path);

} // namespace ramulet
