#pragma once

// Every question the window asks, behind one interface: the product answers through Qt's
// dialogs (QtDialogs), tests through scripted answers. A new window adds its questions here.

#include <QColor>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFileDialog;
class QMenu;
class QMessageBox;
class QWidget;

namespace ramulet {

struct AnimationSource;
class ThumbnailCache;
class VariationDialog;

// The caption of the warning boxes.
inline constexpr const char *WarningCaption = QT_TRANSLATE_NOOP("ramulet::TMainform", "警告");

// A text of the window in the window's language.
QString WindowText(const char *source);

// A warning message box (caption "警告", warning icon): with `question` the buttons
// "はい(&Y)" (default) and "いいえ(&N)" (Escape), otherwise the single button "OK".
QMessageBox *MakeWarningBox(QWidget *parent, const QString &text, bool question);

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual void beep() = 0; // information beep
    // A warning box with "はい" and "いいえ": true only for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // A warning box with one OK button.
    virtual void warn(const QString &text) = 0;
    // The colour dialog preset with `initial`; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    // The modal kind menu, already showing the hovered branch's kind.
    virtual void popupMenu(QMenu *menu, const QPoint &globalPos) = 0;
    // The template file dialogs: the chosen path, or an empty text when cancelled. The save
    // dialog is pre-filled with `preset`.
    virtual QString chooseOpenFile() = 0;
    virtual QString chooseSaveFile(const QString &preset) = 0;
    // The gallery of examples, given their paths: the chosen one, or empty when cancelled.
    virtual QString chooseExample(const QStringList &examples) = 0;
    // The picture export's save dialog, pre-filled with `preset`; `selectedFilter` comes in
    // with the filter to show first and goes out with the one chosen. Empty when cancelled.
    virtual QString chooseExportFile(const QString &preset, QString *selectedFilter) = 0;
    // The width of a PNG (its height follows the picture); nullopt when cancelled.
    virtual std::optional<int> choosePngWidth(int defaultWidth, int pictureHeight) = 0;
    // Help's windows: a title and a rich text to show.
    virtual void inform(const QString &title, const QString &richText) = 0;
    // Runs the variations dialog (modally); true when it was accepted.
    virtual bool runVariations(VariationDialog &dialog) = 0;
    // The animation dialog, given what the tree view shows.
    virtual void runAnimation(const AnimationSource &source) = 0;
};

// The questions asked with Qt's dialogs, modal over `parent`.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent);
    ~QtDialogs() override;

    void beep() override;
    bool askYesNo(const QString &text) override;
    void warn(const QString &text) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    void popupMenu(QMenu *menu, const QPoint &globalPos) override;
    QString chooseOpenFile() override;
    QString chooseSaveFile(const QString &preset) override;
    QString chooseExample(const QStringList &examples) override;
    QString chooseExportFile(const QString &preset, QString *selectedFilter) override;
    std::optional<int> choosePngWidth(int defaultWidth, int pictureHeight) override;
    void inform(const QString &title, const QString &richText) override;
    bool runVariations(VariationDialog &dialog) override;
    void runAnimation(const AnimationSource &source) override;

private:
    QWidget *m_parent;
    QFileDialog *m_openDialog = nullptr; // kept, with the name last chosen in it
    QString m_lastOpenName;
    ThumbnailCache *m_thumbnails; // kept for the run: the gallery opens at once
};

} // namespace ramulet
