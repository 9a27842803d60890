#pragma once

// The window's side of template files: the texts of its file messages, the dialogs' filter
// and the choice of the file a drop opens. TMainform's file commands (LoadFromFile,
// SBSaveClick, SBloadClick, the drop handlers, the command line) live in filecommands.cpp.

#include "view/picture.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class QMimeData;

namespace ramulet {

struct TemplateSettings;

// The filter of both file dialogs.
inline constexpr const char *TemplateFileFilter = "Ramulet2 (*.rm2)";

// The warning for a file that is not a template this program can use.
inline constexpr const char *FileRefusal =
    QT_TRANSLATE_NOOP("ramulet::TMainform", "このファイルは開けません");

// A file's drawing settings as the window keeps them.
DrawSettings ToDrawSettings(const TemplateSettings &file);

// A file that is refused or could not be read: the warning's own first line, then the
// file's path and the reason, each on a line of its own.
QString OpenRefusalMessage(const QString &path, const QString &reason);

// A file that could not be written: the path and the system's reason.
QString UnwritableFileMessage(const QString &path, const QString &reason);

// The question before a save replaces an existing file whose name got ".rm2" appended.
QString OverwriteQuestion(const QString &path);

// The file a drop opens: the first URL of the drop that names a local file. Further files
// are ignored; a drop without a local file opens nothing.
std::optional<QString> FirstLocalFile(const QMimeData *data);

} // namespace ramulet
