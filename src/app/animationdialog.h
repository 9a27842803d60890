#pragma once

// The dialog "アニメーション": the kind of animation, the template a morph ends with, its
// length, frames per second, size, smooth and loop, a preview playing in the dialog, and the
// export to a file with a progress bar and Cancel, made on other threads so that the dialog
// and the window stay responsive.

#include "anim/encoders.h"
#include "anim/exporter.h"
#include "anim/frames.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QThread;

namespace ramulet {

// What the window shows: the template with its pixel points in the tree view `view`, the
// drawing settings, the depth and the fit and smooth settings.
struct AnimationSource {
    BranchTable table;
    DrawSettings settings;
    ViewState view;
    int32_t depth = 1;
    bool fit = false;
    bool smooth = false;
};

class AnimationDialog : public QDialog {
    Q_OBJECT
public:
    AnimationDialog(const AnimationSource &source, const QStringList &examples,
                    QWidget *parent = nullptr);
    ~AnimationDialog() override;

    // The questions the dialog asks, replaceable for tests: the file to export to in a format
    // (empty: cancelled), a template file to morph into (empty: cancelled), and a warning.
    struct Hooks {
        std::function<QString(AnimationFormat)> chooseOutput;
        std::function<QString()> chooseTemplate;
        std::function<void(const QString &)> warn;
    };
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // The job the current choices describe, writing to `path`.
    AnimationJob job(const QString &path) const;
    bool exporting() const { return m_worker != nullptr; }
    // The image the preview shows now.
    QImage previewImage() const;

    QComboBox *kindBox() const { return m_kind; }
    QComboBox *otherBox() const { return m_other; }
    QComboBox *formatBox() const { return m_format; }
    QDoubleSpinBox *secondsBox() const { return m_seconds; }
    QSpinBox *fpsBox() const { return m_fps; }
    QSpinBox *widthBox() const { return m_width; }
    QSpinBox *heightBox() const { return m_height; }
    QCheckBox *smoothBox() const { return m_smooth; }
    QCheckBox *loopBox() const { return m_loop; }
    QPushButton *exportButton() const { return m_export; }
    QProgressBar *progressBar() const { return m_progress; }

signals:
    // An export has ended: written, failed (with its message) or cancelled.
    void exportFinished(bool ok, bool cancelled, const QString &message);

public slots:
    // Export, or Cancel while an export runs.
    void exportOrCancel();
    void reject() override;

private:
    void buildControls(const QStringList &examples);
    QWidget *buildChoices(const QStringList &examples);
    void chooseOtherFile();
    bool loadOther(const QString &path);
    AnimationScene scene() const;
    void restartPreview();
    void showPreviewFrame();
    void startExport(const QString &path);
    void finishExport(bool ok, bool cancelled, const QString &message);
    void setBusy(bool busy);
    QString askOutput(AnimationFormat format);
    void warn(const QString &text);

    AnimationSource m_source;
    BranchTable m_otherTable; // with pixel points in m_source.view
    DrawSettings m_otherSettings;
    bool m_haveOther = false;
    Hooks m_hooks;

    QComboBox *m_kind = nullptr;
    QComboBox *m_other = nullptr;
    QPushButton *m_otherFile = nullptr;
    QDoubleSpinBox *m_seconds = nullptr;
    QSpinBox *m_fps = nullptr;
    QSpinBox *m_width = nullptr;
    QSpinBox *m_height = nullptr;
    QCheckBox *m_smooth = nullptr;
    QCheckBox *m_loop = nullptr;
    QComboBox *m_format = nullptr;
    QLabel *m_preview = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_close = nullptr;
    QProgressBar *m_progress = nullptr;

    std::unique_ptr<FrameMaker> m_previewMaker;
    QTimer m_previewTimer;
    QElapsedTimer m_clock;
    int32_t m_shownFrame = -1;
    QImage m_shown;

    QThread *m_worker = nullptr;
    std::atomic<bool> m_cancel{false};
};

} // namespace ramulet
