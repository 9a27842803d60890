// TMainform's file commands: loading (all three opening routes end in LoadFromFile), saving,
// the open and save dialogs, dropped files and the command line.

#include "app/filecommands.h"

#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "core/viewstate.h"
#include "io/examples.h"
#include "io/paths.h"
#include "io/templatefile.h"
#include "app/saveplaces.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

#include <memory>
#include <utility>

namespace ramulet {

namespace {

TemplateSettings ToFileSettings(const DrawSettings &s)
{
    TemplateSettings file;
    file.BackColor = static_cast<int32_t>(s.BackColor);
    file.TipColor = static_cast<int32_t>(s.TipColor);
    file.TrunkColor = static_cast<int32_t>(s.TrunkColor);
    file.PenWidthSetting = s.PenWidthSetting;
    return file;
}

} // namespace

DrawSettings ToDrawSettings(const TemplateSettings &file)
{
    // The file keeps colours as signed 32-bit integers; the window as 0x00BBGGRR values.
    // The conversion is modular both ways, so a save writes back what was read.
    DrawSettings s;
    s.BackColor = static_cast<TColor>(file.BackColor);
    s.TipColor = static_cast<TColor>(file.TipColor);
    s.TrunkColor = static_cast<TColor>(file.TrunkColor);
    s.PenWidthSetting = file.PenWidthSetting;
    return s;
}

QString OpenRefusalMessage(const QString &path, const QString &reason)
{
    return WindowText(FileRefusal) + QLatin1Char('\n') + QDir::toNativeSeparators(path) +
           QLatin1Char('\n') + reason;
}

QString UnwritableFileMessage(const QString &path, const QString &reason)
{
    return WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                        "ファイルに書き込めません。\n%1\n\n理由: %2"))
        .arg(QDir::toNativeSeparators(path), reason);
}

QString OverwriteQuestion(const QString &path)
{
    return WindowText(
               QT_TRANSLATE_NOOP("ramulet::TMainform", "%1 は既に存在します。\n上書きしますか?"))
        .arg(FileNamePart(path));
}

std::optional<QString> FirstLocalFile(const QMimeData *data)
{
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    for (const QUrl &url : data->urls()) {
        const QString path = PathFromLocalUrl(url);
        if (!path.isEmpty()) {
            return path;
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// The commands

FileCommands::FileCommands(TemplateDocument &doc, const ViewState &view,
                           const std::unique_ptr<Dialogs> &dialogs, std::function<bool()> idle,
                           std::function<void()> reset, std::function<void()> shown)
    : m_doc(doc), m_view(view), m_dialogs(dialogs), m_idle(std::move(idle)),
      m_reset(std::move(reset)), m_shown(std::move(shown))
{
}

void FileCommands::Load(const QString &path)
{
    // Not while a button is held in a view: the drag's step would span the load.
    if (!m_idle()) {
        return;
    }
    // The whole file is read and checked before anything of the window changes.
    const LoadResult result = ReadTemplateFile(path);
    switch (result.status) {
    case LoadStatus::Refused:
    case LoadStatus::Unreadable:
        m_dialogs->warn(OpenRefusalMessage(path, result.reason));
        return;
    case LoadStatus::Accepted: {
        // One undoable step, which brings back the template, the settings, the file name
        // and the caption as they were.
        {
            const EditStep step(
                m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "読み出し")), true);
            Apply(result.data, path);
        }
        // The template is now what the file holds.
        m_doc.undoStack()->setClean();
        return;
    }
    }
}

void FileCommands::Apply(const LoadedTemplate &loaded, const QString &path)
{
    // Default template, colours and view, regrown, in edit mode with the add button shown.
    m_reset();
    BranchTable &table = m_doc.table();
    table.BranchCount = loaded.table.BranchCount;
    for (int32_t i = 0; i <= loaded.table.BranchCount; ++i) {
        const TBranch &from = loaded.table.Branches[static_cast<size_t>(i)];
        TBranch &row = table.Branches[static_cast<size_t>(i)];
        row.P = from.P;
        row.V = from.V;
        row.kind = from.kind;
    }
    // A file without settings keeps the default colours the reset put back and the
    // pen-width choice as it was.
    if (loaded.hasSettings) {
        m_doc.applySettings(ToDrawSettings(loaded.settings));
    }
    // Not regrown: the tree view shows the default tree until the next growth. The pixel
    // points follow the loaded rows also in a view without area (it keeps its last scale):
    // a growth there takes the model back from them.
    UpdateAllScreenPoints(table, m_view);
    m_shown();
    m_doc.setFileName(path);
}

void FileCommands::Save()
{
    // Pre-filled with the current file name; a file in a folder the user cannot write (an
    // installed example) is proposed under its name in the documents folder.
    const QString chosen =
        m_dialogs->chooseSaveFile(ProposedSavePath(m_doc.fileName(), DocumentsFolder(), m_writable));
    if (chosen.isEmpty()) {
        return;
    }
    const QString target = SaveFileName(chosen);
    // The dialog asked about the name as chosen; a file under the extended name is another
    // file, so ask about it too.
    if (target != chosen) {
        const QFileInfo info(target);
        if ((info.exists() || info.isSymLink()) &&
            !m_dialogs->askYesNo(OverwriteQuestion(target))) {
            return;
        }
    }
    WriteTo(target);
}

void FileCommands::SaveInPlace()
{
    if (!CanSaveInPlace(m_doc.fileName(), m_writable)) {
        Save();
        return;
    }
    WriteTo(m_doc.fileName());
}

bool FileCommands::WriteTo(const QString &target)
{
    // The file holds what the editor shows: a drag made since the last growth too. The moved
    // rows keep their pixel points, so this changes nothing the user sees and is no step.
    NormalizeMovedRows(m_doc.table());
    QString reason;
    if (!WriteTemplateFile(target, FormatTemplate(m_doc.table(), ToFileSettings(m_doc.settings())),
                           nullptr, &reason)) {
        // The old file is intact; the current file name and the caption stay as they were.
        m_dialogs->warn(UnwritableFileMessage(target, reason));
        return false;
    }
    // The states back to the last load or reset and on to the next take the name too: an
    // undo and a redo around this save show the name the template was saved under.
    m_doc.setFileName(target);
    m_doc.undoStack()->setClean();
    return true;
}

void FileCommands::Open()
{
    const QString chosen = m_dialogs->chooseOpenFile();
    if (!chosen.isEmpty()) {
        Load(chosen);
    }
}

void FileCommands::OpenExample()
{
    const QStringList examples = InstalledExamples();
    if (examples.isEmpty()) {
        m_dialogs->warn(WindowText(
            QT_TRANSLATE_NOOP("ramulet::TMainform", "見本のテンプレートが見つかりません")));
        return;
    }
    const QString chosen = m_dialogs->chooseExample(examples);
    if (!chosen.isEmpty()) {
        Load(chosen);
    }
}

void FileCommands::AcceptDrag(QDragEnterEvent *e)
{
    if (FirstLocalFile(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void FileCommands::Drop(QDropEvent *e, QObject *context)
{
    const std::optional<QString> path = FirstLocalFile(e->mimeData());
    if (!path) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    // The drop is finished first: the load may show a modal message, which must not keep
    // the program the files came from waiting.
    QMetaObject::invokeMethod(
        context, [this, file = *path] { Load(file); }, Qt::QueuedConnection);
}

void FileCommands::AddActions(WindowActions &actions)
{
    actions.add({.name = "actOpen",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "開く(&O)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_O)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "テンプレートのファイルを開く"),
                 .menu = ActionMenu::File,
                 .group = 1,
                 .target = [this] { Open(); }});
    actions.add({.name = "actGallery",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "見本(&X)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "見本のテンプレートを開く"),
                 .menu = ActionMenu::File,
                 .group = 1,
                 .target = [this] { OpenExample(); }});
    actions.add({.name = "actSave",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "上書き保存(&S)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_S)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform",
                                           "今のファイルに記録する (ファイルがなければ名前を聞く)"),
                 .menu = ActionMenu::File,
                 .group = 2,
                 .target = [this] { SaveInPlace(); }});
    actions.add({.name = "actSaveAs",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "名前を付けて保存(&A)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "名前を付けてテンプレートを記録する"),
                 .menu = ActionMenu::File,
                 .group = 2,
                 .target = [this] { Save(); }});
}

} // namespace ramulet
