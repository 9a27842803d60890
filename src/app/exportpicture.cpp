#include "app/exportpicture.h"

#include "app/dialogs.h"
#include "core/numeric.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace ramulet {

QString PictureExportFilter(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png:
        return QStringLiteral("PNG (*.png)");
    case PictureFormat::Pdf:
        return QStringLiteral("PDF (*.pdf)");
    case PictureFormat::Svg:
    case PictureFormat::None:
        break;
    }
    return QStringLiteral("SVG (*.svg)");
}

QString PictureExportFilters()
{
    return PictureExportFilter(PictureFormat::Svg) + QStringLiteral(";;") +
           PictureExportFilter(PictureFormat::Png) + QStringLiteral(";;") +
           PictureExportFilter(PictureFormat::Pdf);
}

QString WithPictureExtension(const QString &path, const QString &selectedFilter)
{
    if (PictureFormatForPath(path) != PictureFormat::None) {
        return path;
    }
    for (const char *ext : {".png", ".pdf", ".svg"}) {
        const QString e = QString::fromLatin1(ext);
        if (selectedFilter.contains(QLatin1Char('*') + e, Qt::CaseInsensitive)) {
            return path + e;
        }
    }
    return path + QStringLiteral(".svg");
}

QString ExportPreset(const QString &lastExport, const QString &templateFile, PictureFormat format)
{
    if (!lastExport.isEmpty()) {
        return lastExport;
    }
    if (templateFile.isEmpty()) {
        return QString();
    }
    const QFileInfo info(templateFile);
    const QString base = info.suffix().isEmpty()
                             ? templateFile
                             : templateFile.left(templateFile.size() - info.suffix().size() - 1);
    return WithPictureExtension(base, PictureExportFilter(format));
}

QSize PngSizeForWidth(int width, int pictureHeight)
{
    const int w = std::max(1, width);
    const long double h = static_cast<long double>(w) * std::max(1, pictureHeight) /
                          static_cast<long double>(PictureWidth);
    return {w, std::max(1, RoundEven(h))};
}

int MaxPngWidth(int pictureHeight)
{
    // The height reaches MaxExportPixels at width 8000 * 8000 / pictureHeight.
    const int64_t limit =
        static_cast<int64_t>(PictureWidth) * MaxExportPixels / std::max<int64_t>(1, pictureHeight);
    int width = static_cast<int>(std::clamp<int64_t>(limit, 1, MaxExportPixels));
    while (width > 1 && PngSizeForWidth(width, pictureHeight).height() > MaxExportPixels) {
        --width;
    }
    return width;
}

QSize ExportPageSize(PictureFormat format, int pngWidth, int pictureHeight)
{
    if (format == PictureFormat::Png) {
        return PngSizeForWidth(pngWidth, pictureHeight);
    }
    return {PictureWidth, std::max(1, pictureHeight)};
}

PngSizeDialog::PngSizeDialog(int defaultWidth, int pictureHeight, QWidget *parent)
    : QDialog(parent), m_pictureHeight(pictureHeight)
{
    setObjectName(QStringLiteral("DlgPngSize"));
    setWindowTitle(tr("PNG の大きさ"));

    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("PngWidth"));
    m_width->setRange(1, MaxPngWidth(pictureHeight));
    m_width->setSuffix(QStringLiteral(" px"));
    m_width->setValue(std::clamp(defaultWidth, 1, m_width->maximum()));
    m_height = new QLabel(this);
    m_height->setObjectName(QStringLiteral("PngHeight"));

    auto *form = new QFormLayout;
    form->addRow(tr("幅"), m_width);
    form->addRow(tr("高さ"), m_height);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);

    connect(m_width, &QSpinBox::valueChanged, this, &PngSizeDialog::ShowHeight);
    ShowHeight();
}

int PngSizeDialog::chosenWidth() const { return m_width->value(); }

QSize PngSizeDialog::chosenSize() const { return PngSizeForWidth(chosenWidth(), m_pictureHeight); }

void PngSizeDialog::ShowHeight()
{
    m_height->setText(QString::number(chosenSize().height()) + QStringLiteral(" px"));
}

QString PictureExport::ChoosePath(Dialogs &dialogs, const QString &templateFile)
{
    if (m_filter.isEmpty()) {
        m_filter = PictureExportFilter(PictureFormat::Svg);
    }
    PictureFormat shownFormat = PictureFormat::Svg;
    for (PictureFormat f : {PictureFormat::Png, PictureFormat::Pdf}) {
        if (m_filter == PictureExportFilter(f)) {
            shownFormat = f;
        }
    }
    QString filter = m_filter;
    // Next to the template, unless its folder cannot be written (an installed example).
    const QString preset = ProposedSavePath(ExportPreset(m_lastExport, templateFile, shownFormat),
                                            DocumentsFolder(), m_writable);
    const QString chosen = dialogs.chooseExportFile(preset, &filter);
    if (chosen.isEmpty()) {
        return {};
    }
    if (!filter.isEmpty()) {
        m_filter = filter;
    }
    // The dialog asked about replacing the name as chosen; an appended extension names
    // another file, so ask again for that one.
    const QString path = WithPictureExtension(chosen, filter);
    if (path != chosen && QFileInfo::exists(path) &&
        !dialogs.askYesNo(WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform",
                                                       "%1 は既にあります。置き換えますか?"))
                              .arg(QFileInfo(path).fileName()))) {
        return {};
    }
    return path;
}

void PictureExport::Run(Dialogs &dialogs, std::shared_ptr<const TreePicture> picture, int viewWidth,
                        const QString &templateFile, bool smooth)
{
    // The picture is held through the dialogs: a resize meanwhile records a new one.
    if (!picture) {
        dialogs.beep();
        return;
    }
    const QString path = ChoosePath(dialogs, templateFile);
    if (path.isEmpty()) {
        return;
    }
    const PictureFormat format = PictureFormatForPath(path);
    int pngWidth = viewWidth;
    if (format == PictureFormat::Png) {
        const std::optional<int> width =
            dialogs.choosePngWidth(viewWidth, picture->pictureHeight());
        if (!width) {
            return;
        }
        pngWidth = std::clamp(*width, 1, MaxPngWidth(picture->pictureHeight()));
    }
    QString error;
    if (!WriteTreePicture(*picture, path,
                          ExportPageSize(format, pngWidth, picture->pictureHeight()), &error,
                          smooth)) {
        dialogs.warn(
            WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "画像を書き出せません: %1\n%2"))
                .arg(path, error));
        return;
    }
    m_lastExport = path;
}

} // namespace ramulet
