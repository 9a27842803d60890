#pragma once

// Path helpers: file names as the program's texts, and the command-line opening route.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <string>

namespace ramulet {

// A file name's bytes as a text, and back, losslessly for any name the file system holds:
// UTF-8 names are decoded as usual, stray bytes travel as surrogate escapes
// (core/pathbytes.h). Every path the program opens or writes goes through these, not through
// QFile, whose conversion turns "caf\xe9" into a different name.
QString PathFromBytes(const QByteArray &bytes);
std::string PathToBytes(const QString &path);

// The file name of a local file's URL (a drop), byte for byte as the URL's percent
// escapes give it; empty for a URL that is not a local file's.
QString PathFromLocalUrl(const QUrl &url);

// The program's arguments joined with nothing between them. `args` holds the arguments
// only, without the program name: {"/tmp/Trees/oak", ".rm2"} gives "/tmp/Trees/oak.rm2"; no
// arguments give an empty text.
QString JoinArguments(const QStringList &args);

// The long form of a path: for a path that exists, its absolute form with every component
// as the file system stores it (symbolic links resolved; a relative path is taken from the
// current directory). A path that does not exist comes back unchanged less one trailing "/";
// an empty text gives an empty text.
QString LongPathName(const QString &path);

} // namespace ramulet
