#pragma once

// The window's side of template files: the file commands (load all or nothing, save, the
// open routes: dialog, gallery, drop and command line all end in Load), the texts of their
// messages, the dialogs' filter and the choice of the file a drop opens.

#include "app/saveplaces.h"
#include "view/picture.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QObject;

namespace ramulet {

class Dialogs;
class TemplateDocument;
class WindowActions;
struct LoadedTemplate;
struct TemplateSettings;
struct ViewState;

class FileCommands {
public:
    // `idle` is the window's gate; `reset` puts the window back to the default template
    // before a file's template goes in; `shown` repaints the editor afterwards. `view` is
    // the view whose default view the pixel points belong to.
    FileCommands(TemplateDocument &doc, const ViewState &view,
                 const std::unique_ptr<Dialogs> &dialogs, std::function<bool()> idle,
                 std::function<void()> reset, std::function<void()> shown);

    // Reads the whole file first: a refused or unreadable file gets a warning and changes
    // nothing; an accepted one replaces the template in one undoable step, and the template
    // is then what the file holds (the clean state).
    void Load(const QString &path);
    // The accepted file's template in place of the current one, without regrowing.
    void Apply(const LoadedTemplate &loaded, const QString &path);
    // The save dialog, then the file written; the current file name follows. The dialog
    // proposes the documents folder for a file in a folder that cannot be written.
    void Save();
    // Writes straight to the current file when there is one and it can be written, otherwise
    // asks as Save does.
    void SaveInPlace();
    // Writes the template to `target`; a failure is shown and changes nothing.
    bool WriteTo(const QString &target);
    // Whether a file or folder can be written; tests replace it.
    void setWritableTest(WritableTest test) { m_writable = std::move(test); }
    // The open dialog, then Load.
    void Open();
    // The gallery of examples, then Load.
    void OpenExample();
    // Files dropped on the window: a drag is welcome when it brings a local file; the drop
    // opens the first one once the drop is finished (on the event loop of `context`).
    static void AcceptDrag(QDragEnterEvent *e);
    void Drop(QDropEvent *e, QObject *context);
    // Open (Ctrl+O), the gallery (Ctrl+Shift+O), save (Ctrl+S) and save as (Ctrl+Shift+S)
    // into `actions`.
    void AddActions(WindowActions &actions);

private:
    TemplateDocument &m_doc;
    const ViewState &m_view;
    const std::unique_ptr<Dialogs> &m_dialogs;
    std::function<bool()> m_idle;
    std::function<void()> m_reset;
    std::function<void()> m_shown;
    WritableTest m_writable = IsWritable;
};

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
