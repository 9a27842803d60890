#pragma once

// Writing the tree picture to a file from the window: the save dialog's filters, the
// extension rule, the size of a PNG and the small dialog that asks for it.

#include "app/saveplaces.h"
#include "view/pictureoutput.h"

#include <QDialog>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class QLabel;
class QSpinBox;

namespace ramulet {

// Widest PNG offered, in pixels.
constexpr int MaxExportPixels = 8000;

// "SVG (*.svg);;PNG (*.png);;PDF (*.pdf)".
QString PictureExportFilters();
// The filter entry of a format ("SVG (*.svg)" ...); the SVG entry for None.
QString PictureExportFilter(PictureFormat format);

// The name to write: `path` itself when it ends in .svg, .png or .pdf (any letter case),
// otherwise `path` with the extension of `selectedFilter` appended (".svg" when the filter
// names none of the three).
QString WithPictureExtension(const QString &path, const QString &selectedFilter);

// The name the save dialog starts with: the last export, else the template file's name with
// its extension replaced by that of `format`, else nothing.
QString ExportPreset(const QString &lastExport, const QString &templateFile, PictureFormat format);

// The PNG size for `width` pixels: the height keeps the picture's proportions (8000 x
// pictureHeight units), rounded half to even, at least 1.
QSize PngSizeForWidth(int width, int pictureHeight);
// The widest PNG allowed: 8000 pixels, less when the height would then pass 8000 pixels.
int MaxPngWidth(int pictureHeight);

// The size handed to WriteTreePicture: SVG and PDF in picture units (8000 x pictureHeight),
// PNG from `pngWidth`.
QSize ExportPageSize(PictureFormat format, int pngWidth, int pictureHeight);

class Dialogs;

// The export command: the picture on show into an SVG, PNG or PDF file chosen in a save
// dialog. It keeps the last file and filter for the next export.
class PictureExport {
public:
    // `viewWidth` is the view's width in pixels (the PNG's default width); `templateFile`
    // names the template, whose name the first export proposes; `smooth` draws a PNG
    // antialiased.
    void Run(Dialogs &dialogs, std::shared_ptr<const TreePicture> picture, int viewWidth,
             const QString &templateFile, bool smooth);
    // Whether a folder can be written (a dialog proposes the documents folder otherwise);
    // tests replace it.
    void setWritableTest(WritableTest test) { m_writable = std::move(test); }

private:
    // The file to write, asked for; empty when cancelled.
    QString ChoosePath(Dialogs &dialogs, const QString &templateFile);

    QString m_lastExport;
    QString m_filter;
    WritableTest m_writable = IsWritable;
};

// Asks for the width of a PNG; the height shown follows the picture's proportions.
class PngSizeDialog : public QDialog {
    Q_OBJECT
public:
    PngSizeDialog(int defaultWidth, int pictureHeight, QWidget *parent = nullptr);

    int chosenWidth() const;
    QSize chosenSize() const;
    QSpinBox *widthBox() const { return m_width; }
    QLabel *heightLabel() const { return m_height; }

private:
    void ShowHeight();

    int m_pictureHeight;
    QSpinBox *m_width = nullptr;
    QLabel *m_height = nullptr;
};

} // namespace ramulet
