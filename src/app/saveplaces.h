#pragma once

// Where files are saved without a question, and where the save dialogs open: a quick save
// writes to the current file when it can be written; a name in a folder the user cannot write
// (an installed example) is proposed in the user's documents folder instead.

#include <QString>

#include <functional>

namespace ramulet {

// Whether a folder or file can be written by this user (false when it does not exist).
using WritableTest = std::function<bool(const QString &path)>;
bool IsWritable(const QString &path);

// The user's documents folder (the home folder when the desktop names none).
QString DocumentsFolder();

// The name a save or export dialog is pre-filled with: `preset` itself when it is empty or its
// folder can be written, otherwise its file name in `documents`.
QString ProposedSavePath(const QString &preset, const QString &documents,
                         const WritableTest &writable = IsWritable);

// Whether a quick save can write straight to `path`: there is a current file, its folder can
// be written (the text goes to a temporary file there first) and so can the file, if it exists.
bool CanSaveInPlace(const QString &path, const WritableTest &writable = IsWritable);

} // namespace ramulet
