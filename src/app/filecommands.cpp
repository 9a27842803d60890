// TMainform's file commands: loading (all three opening routes end in LoadFromFile), saving,
// the open and save dialogs, dropped files and the command line.

#include "app/filecommands.h"

#include "app/Main.h"
#include "app/pictureview.h"
#include "io/paths.h"
#include "io/templatefile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

#include <memory>

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

QString UnreadableFileMessage(const QString &path, const QString &reason)
{
    return WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                        "ファイルを読み込めません。\n%1\n\n理由: %2"))
        .arg(QDir::toNativeSeparators(path), reason);
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
// Loading

void TMainform::LoadFromFile(const QString &path)
{
    // Not while a button is held in a view: the drag's step would span the load.
    if (m_mouseIsDown) {
        return;
    }
    // The whole file is read and checked before anything of the window changes.
    const LoadResult result = ReadTemplateFile(path);
    switch (result.status) {
    case LoadStatus::Refused:
        Warn(tr(FileRefusal));
        return;
    case LoadStatus::Unreadable:
        Warn(UnreadableFileMessage(path, result.reason));
        return;
    case LoadStatus::Accepted: {
        // One undoable step, which brings back the template, the settings, the file name
        // and the caption as they were.
        const TemplateState before = CaptureTemplateState();
        ApplyLoadedTemplate(result.data, path);
        RecordStep(tr("読み出し"), before, true);
        // The template is now what the file holds.
        undoStack()->setClean();
        return;
    }
    }
}

void TMainform::ApplyLoadedTemplate(const LoadedTemplate &loaded, const QString &path)
{
    // Default template, colours and view, regrown, in edit mode with the add button shown.
    ResetAll();

    m_table.BranchCount = loaded.table.BranchCount;
    for (int32_t i = 0; i <= loaded.table.BranchCount; ++i) {
        const TBranch &from = loaded.table.Branches[static_cast<size_t>(i)];
        TBranch &row = m_table.Branches[static_cast<size_t>(i)];
        row.P = from.P;
        row.V = from.V;
        row.kind = from.kind;
    }
    // A file without settings keeps the default colours ResetAll put back and the pen-width
    // choice as it was.
    if (loaded.hasSettings) {
        ApplySettings(ToDrawSettings(loaded.settings));
    }
    // Not regrown: the tree view shows the default tree until the next growth. The pixel
    // points follow the loaded rows also in a view without area (it keeps its last scale):
    // a growth there takes the model back from them.
    UpdateAllScreenPoints(m_table, m_view);
    DrawEditor();
    SetCurrentFile(path);
}

// ---------------------------------------------------------------------------------------
// Saving

void TMainform::SBSaveClick()
{
    // Not while a button is held in a view (a shortcut during a drag).
    if (m_mouseIsDown) {
        return;
    }
    const QString chosen = ChooseSaveFile(m_fileName);
    if (chosen.isEmpty()) {
        return;
    }
    const QString target = SaveFileName(chosen);
    // The dialog asked about the name as chosen; a file under the extended name is another
    // file, so ask about it too.
    if (target != chosen) {
        const QFileInfo info(target);
        if (info.exists() || info.isSymLink()) {
            if (!AskYesNo(OverwriteQuestion(target))) {
                return;
            }
        }
    }
    // The file holds what the editor shows: a drag made since the last growth too. The moved
    // rows keep their pixel points, so this changes nothing the user sees and is no step.
    NormalizeMovedRows(m_table);
    QString reason;
    if (!WriteTemplateFile(target, FormatTemplate(m_table, ToFileSettings(m_settings)), nullptr,
                           &reason)) {
        // The old file is intact; the current file name and the caption stay as they were.
        Warn(UnwritableFileMessage(target, reason));
        return;
    }
    SetCurrentFile(target);
    // An undo and a redo around this save show the name the template was saved under.
    KeepSavedNameInHistory();
    undoStack()->setClean();
}

QString TMainform::ChooseSaveFile(const QString &preset)
{
    if (m_hooks.chooseSaveFile) {
        return m_hooks.chooseSaveFile(preset);
    }
    // A fresh dialog each time, pre-filled with the current file name only (so it opens in
    // the folder of the file last used). Qt's own dialog, so that it behaves the same on
    // every desktop; it asks before replacing the chosen file and adds no extension.
    QFileDialog dlg(this);
    dlg.setObjectName(QStringLiteral("DlgSave"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(QString::fromUtf8(TemplateFileFilter));
    dlg.setDefaultSuffix(QString());
    if (!preset.isEmpty()) {
        dlg.selectFile(preset);
    }
    if (dlg.exec() != QDialog::Accepted) {
        return {};
    }
    return dlg.selectedFiles().value(0);
}

// ---------------------------------------------------------------------------------------
// Opening routes

void TMainform::SBloadClick()
{
    if (m_mouseIsDown) {
        return;
    }
    const QString chosen = ChooseOpenFile();
    if (chosen.isEmpty()) {
        return;
    }
    LoadFromFile(chosen);
}

QString TMainform::ChooseOpenFile()
{
    if (m_hooks.chooseOpenFile) {
        return m_hooks.chooseOpenFile();
    }
    if (DlgOpen == nullptr) {
        DlgOpen = new QFileDialog(this);
        DlgOpen->setObjectName(QStringLiteral("DlgOpen"));
        DlgOpen->setOption(QFileDialog::DontUseNativeDialog);
        DlgOpen->setAcceptMode(QFileDialog::AcceptOpen);
        // The name of a missing file, typed by the user, comes back as typed: the reader
        // then reports that it cannot be read.
        DlgOpen->setFileMode(QFileDialog::AnyFile);
        DlgOpen->setNameFilter(QString::fromUtf8(TemplateFileFilter));
        DlgOpen->setDefaultSuffix(QString());
    }
    if (!m_lastOpenName.isEmpty()) {
        DlgOpen->selectFile(m_lastOpenName);
    }
    if (DlgOpen->exec() != QDialog::Accepted) {
        return {};
    }
    const QString chosen = DlgOpen->selectedFiles().value(0);
    if (!chosen.isEmpty()) {
        m_lastOpenName = chosen;
    }
    return chosen;
}

void TMainform::dragEnterEvent(QDragEnterEvent *e)
{
    if (FirstLocalFile(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TMainform::dropEvent(QDropEvent *e)
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
        this, [this, file = *path] { LoadFromFile(file); }, Qt::QueuedConnection);
}

void TMainform::OpenCommandLine()
{
    if (m_arguments.isEmpty()) {
        return;
    }
    LoadFromFile(LongPathName(JoinArguments(m_arguments)));
}

} // namespace ramulet
