#include "app/dialogs.h"

#include "app/exportpicture.h"
#include "app/filecommands.h"
#include "app/fonts.h"
#include "app/animationdialog.h"
#include "app/gallerydialog.h"
#include "app/variationdialog.h"
#include "io/examples.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace ramulet {

QString WindowText(const char *source)
{
    return QCoreApplication::translate("ramulet::TMainform", source);
}

QMessageBox *MakeWarningBox(QWidget *parent, const QString &text, bool question)
{
    auto *box = new QMessageBox(
        QMessageBox::Warning, WindowText(WarningCaption), text,
        question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box->setFont(UiFont(15));
    if (question) {
        box->button(QMessageBox::Yes)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "はい(&Y)")));
        box->button(QMessageBox::No)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "いいえ(&N)")));
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->button(QMessageBox::Ok)
            ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "OK")));
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    // A line is not broken where the screen has room for it: Japanese text would otherwise
    // break anywhere, even before its last character.
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        int widest = 0;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        }
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const int room = screen ? screen->availableGeometry().width() * 3 / 4 : widest;
        label->setMinimumWidth(std::min(widest + 2, room));
    }
    return box;
}

QtDialogs::QtDialogs(QWidget *parent)
    : m_parent(parent),
      m_thumbnails(
          new ThumbnailCache(QSize(GalleryThumbnailSide, GalleryThumbnailSide), parent))
{
}

QtDialogs::~QtDialogs() = default;

void QtDialogs::beep() { QApplication::beep(); }

bool QtDialogs::askYesNo(const QString &text)
{
    std::unique_ptr<QMessageBox> box(MakeWarningBox(m_parent, text, true));
    box->exec();
    return box->clickedButton() == box->button(QMessageBox::Yes);
}

void QtDialogs::warn(const QString &text)
{
    std::unique_ptr<QMessageBox> box(MakeWarningBox(m_parent, text, false));
    box->exec();
}

std::optional<QColor> QtDialogs::chooseColor(const QColor &initial)
{
    const QColor c = QColorDialog::getColor(initial, m_parent);
    if (!c.isValid()) {
        return std::nullopt;
    }
    return c;
}

void QtDialogs::popupMenu(QMenu *menu, const QPoint &globalPos) { menu->exec(globalPos); }

QString QtDialogs::chooseOpenFile()
{
    if (m_openDialog == nullptr) {
        m_openDialog = new QFileDialog(m_parent);
        m_openDialog->setObjectName(QStringLiteral("DlgOpen"));
        m_openDialog->setOption(QFileDialog::DontUseNativeDialog);
        m_openDialog->setAcceptMode(QFileDialog::AcceptOpen);
        // The name of a missing file, typed by the user, comes back as typed: the reader
        // then reports that it cannot be read.
        m_openDialog->setFileMode(QFileDialog::AnyFile);
        m_openDialog->setNameFilter(QString::fromUtf8(TemplateFileFilter));
        m_openDialog->setDefaultSuffix(QString());
    }
    if (!m_lastOpenName.isEmpty()) {
        m_openDialog->selectFile(m_lastOpenName);
    }
    if (m_openDialog->exec() != QDialog::Accepted) {
        return {};
    }
    const QString chosen = m_openDialog->selectedFiles().value(0);
    if (!chosen.isEmpty()) {
        m_lastOpenName = chosen;
    }
    return chosen;
}

QString QtDialogs::chooseSaveFile(const QString &preset)
{
    // A fresh dialog each time, pre-filled with the current file name only (so it opens in
    // the folder of the file last used). Qt's own dialog, so that it behaves the same on
    // every desktop; it asks before replacing the chosen file and adds no extension.
    QFileDialog dlg(m_parent);
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

QString QtDialogs::chooseExample(const QStringList &examples)
{
    GalleryDialog dialog(examples, *m_thumbnails, m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedPath();
}

QString QtDialogs::chooseExportFile(const QString &preset, QString *selectedFilter)
{
    return QFileDialog::getSaveFileName(
        m_parent, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "画像の書き出し")), preset,
        PictureExportFilters(), selectedFilter);
}

std::optional<int> QtDialogs::choosePngWidth(int defaultWidth, int pictureHeight)
{
    PngSizeDialog dialog(defaultWidth, pictureHeight, m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenWidth();
}

void QtDialogs::inform(const QString &title, const QString &richText)
{
    QDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLabel(richText, &dialog);
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)
        ->setText(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "OK")));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

bool QtDialogs::runVariations(VariationDialog &dialog) { return dialog.exec() == QDialog::Accepted; }

void QtDialogs::runAnimation(const AnimationSource &source)
{
    AnimationDialog dialog(source, InstalledExamples(), m_parent);
    dialog.exec();
}

} // namespace ramulet
