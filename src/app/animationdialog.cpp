#include "app/animationdialog.h"

#include "anim/exporter.h"
#include "io/examples.h"
#include "io/templatefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace ramulet {

namespace {

// Side of the preview in pixels.
constexpr int kPreviewSide = 260;
// The preview is drawn on the GUI thread, at most this deep, so that a frame stays quick.
constexpr int32_t kPreviewDepthLimit = 11;
// The preview's timer: it shows whichever frame is due, so it keeps the animation's pace
// even when a frame takes longer than its time.
constexpr int kPreviewTickMs = 33;

// `t` with its rows placed anew in the default view `view`: the moved rows taken from their
// pixel points first, so an edit not yet grown is in it.
BranchTable Replaced(BranchTable t, const ViewState &view) {
    NormalizeTemplate(t);
    UpdateAllScreenPoints(t, view);
    return t;
}

} // namespace

AnimationDialog::AnimationDialog(const AnimationSource &source, const QStringList &examples,
                                 QWidget *parent)
    : QDialog(parent), m_source(source) {
    setObjectName(QStringLiteral("AnimationDialog"));
    setWindowTitle(tr("アニメーション"));
    buildControls(examples);
    m_previewTimer.setInterval(kPreviewTickMs);
    connect(&m_previewTimer, &QTimer::timeout, this, &AnimationDialog::showPreviewFrame);
    if (!examples.isEmpty()) {
        loadOther(examples.front());
    }
    restartPreview();
}

AnimationDialog::~AnimationDialog() {
    if (m_worker) {
        m_cancel = true;
        m_worker->wait();
        delete m_worker;
    }
}

QWidget *AnimationDialog::buildChoices(const QStringList &examples) {
    auto *box = new QWidget(this);
    auto *form = new QFormLayout(box);
    m_kind = new QComboBox(box);
    m_kind->addItem(tr("成長"), int(AnimationKind::Grow));
    m_kind->addItem(tr("揺れ"), int(AnimationKind::Sway));
    m_kind->addItem(tr("変形"), int(AnimationKind::Morph));
    form->addRow(tr("種類"), m_kind);
    m_other = new QComboBox(box);
    for (const QString &path : examples) {
        m_other->addItem(ExampleName(path), path);
    }
    m_otherFile = new QPushButton(tr("ファイル..."), box);
    auto *otherRow = new QHBoxLayout;
    otherRow->addWidget(m_other, 1);
    otherRow->addWidget(m_otherFile);
    form->addRow(tr("変形先"), otherRow);
    m_seconds = new QDoubleSpinBox(box);
    m_seconds->setRange(0.1, 600.0);
    m_seconds->setDecimals(1);
    m_seconds->setValue(4.0);
    form->addRow(tr("長さ (秒)"), m_seconds);
    m_fps = new QSpinBox(box);
    m_fps->setRange(1, 100);
    m_fps->setValue(30);
    form->addRow(tr("コマ/秒"), m_fps);
    m_width = new QSpinBox(box);
    m_height = new QSpinBox(box);
    for (QSpinBox *s : {m_width, m_height}) {
        s->setRange(16, 4096);
    }
    m_width->setValue(m_source.view.viewWidth);
    m_height->setValue(m_source.view.viewHeight);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_width);
    sizeRow->addWidget(new QLabel(QStringLiteral("×"), box));
    sizeRow->addWidget(m_height);
    form->addRow(tr("大きさ"), sizeRow);
    m_smooth = new QCheckBox(tr("なめらか"), box);
    m_smooth->setChecked(m_source.smooth);
    m_loop = new QCheckBox(tr("繰り返す"), box);
    m_loop->setChecked(true);
    form->addRow(QString(), m_smooth);
    form->addRow(QString(), m_loop);
    m_format = new QComboBox(box);
    m_format->addItem(tr("GIF アニメーション (*.gif)"), int(AnimationFormat::Gif));
    m_format->addItem(tr("WebP アニメーション (*.webp)"), int(AnimationFormat::Webp));
    m_format->addItem(tr("APNG (*.png)"), int(AnimationFormat::Apng));
    m_format->addItem(tr("PNG 連番 (フォルダー)"), int(AnimationFormat::PngFrames));
    if (FfmpegAvailable()) {
        m_format->addItem(tr("MP4 動画 (*.mp4)"), int(AnimationFormat::Mp4));
        m_format->addItem(tr("WebM 動画 (*.webm)"), int(AnimationFormat::Webm));
    }
    form->addRow(tr("形式"), m_format);
    return box;
}

void AnimationDialog::buildControls(const QStringList &examples) {
    QWidget *choices = buildChoices(examples);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("AnimationPreview"));
    m_preview->setFixedSize(kPreviewSide, kPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_progress = new QProgressBar(this);
    m_progress->setVisible(false);
    m_export = new QPushButton(tr("書き出し..."), this);
    m_close = new QPushButton(tr("閉じる"), this);
    auto *top = new QHBoxLayout;
    top->addWidget(choices, 1);
    top->addWidget(m_preview);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    const auto changed = [this] { restartPreview(); };
    connect(m_kind, &QComboBox::currentIndexChanged, this, changed);
    connect(m_other, &QComboBox::activated, this, [this](int i) {
        loadOther(m_other->itemData(i).toString());
        restartPreview();
    });
    connect(m_otherFile, &QPushButton::clicked, this, &AnimationDialog::chooseOtherFile);
    connect(m_seconds, &QDoubleSpinBox::valueChanged, this, changed);
    connect(m_fps, &QSpinBox::valueChanged, this, changed);
    connect(m_width, &QSpinBox::valueChanged, this, changed);
    connect(m_height, &QSpinBox::valueChanged, this, changed);
    connect(m_smooth, &QCheckBox::toggled, this, changed);
    connect(m_export, &QPushButton::clicked, this, &AnimationDialog::exportOrCancel);
    connect(m_close, &QPushButton::clicked, this, &AnimationDialog::reject);
}

void AnimationDialog::chooseOtherFile() {
    const QString path =
        m_hooks.chooseTemplate
            ? m_hooks.chooseTemplate()
            : QFileDialog::getOpenFileName(this, tr("変形先のテンプレート"), QString(),
                                           QStringLiteral("Ramulet2 (*.rm2)"));
    if (path.isEmpty() || !loadOther(path)) {
        return;
    }
    int i = m_other->findData(path);
    if (i < 0) {
        m_other->addItem(QFileInfo(path).fileName(), path);
        i = m_other->count() - 1;
    }
    m_other->setCurrentIndex(i);
    restartPreview();
}

// Reads the template a morph ends with; a file that cannot be used is said so and the
// previous choice stays.
bool AnimationDialog::loadOther(const QString &path) {
    const LoadResult loaded = ReadTemplateFile(path);
    if (loaded.status != LoadStatus::Accepted) {
        warn(tr("このファイルは開けません") + QLatin1Char('\n') + path + QLatin1Char('\n') +
             loaded.message);
        return false;
    }
    m_otherTable = loaded.data.table;
    UpdateAllScreenPoints(m_otherTable, m_source.view);
    const TemplateSettings s = loaded.data.hasSettings ? loaded.data.settings : TemplateSettings{};
    m_otherSettings.BackColor = static_cast<TColor>(s.BackColor);
    m_otherSettings.TipColor = static_cast<TColor>(s.TipColor);
    m_otherSettings.TrunkColor = static_cast<TColor>(s.TrunkColor);
    m_otherSettings.PenWidthSetting = PenIndexForSetting(s.PenWidthSetting) * 20;
    m_haveOther = true;
    return true;
}

AnimationScene AnimationDialog::scene() const {
    AnimationScene s;
    s.settings = m_source.settings;
    s.otherSettings = m_otherSettings;
    s.depth = m_source.depth;
    s.fit = m_source.fit;
    s.smooth = m_smooth->isChecked();
    const int w = m_width->value();
    const int h = m_height->value();
    if (w == m_source.view.viewWidth && h == m_source.view.viewHeight) {
        // The window's own view: the frames are what the tree view shows.
        s.view = m_source.view;
        s.table = m_source.table;
        s.other = m_otherTable;
    } else {
        s.view.SetViewSize(w, h);
        s.view.ResetView();
        s.table = Replaced(m_source.table, s.view);
        s.other = Replaced(m_otherTable, s.view);
    }
    return s;
}

AnimationJob AnimationDialog::job(const QString &path) const {
    AnimationJob j;
    j.kind = AnimationKind(m_kind->currentData().toInt());
    j.scene = scene();
    j.seconds = m_seconds->value();
    j.fps = m_fps->value();
    j.loop = m_loop->isChecked();
    j.path = path;
    j.format = AnimationFormat(m_format->currentData().toInt());
    return j;
}

void AnimationDialog::restartPreview() {
    const bool morph = AnimationKind(m_kind->currentData().toInt()) == AnimationKind::Morph;
    m_other->setEnabled(morph && !exporting());
    m_otherFile->setEnabled(morph && !exporting());
    m_export->setEnabled(exporting() || !morph || m_haveOther);
    const AnimationJob j = job(QString());
    if (morph && !m_haveOther) {
        m_previewMaker.reset();
        m_previewTimer.stop();
        m_preview->clear();
        return;
    }
    AnimationScene s = j.scene;
    s.depth = std::min(s.depth, kPreviewDepthLimit);
    m_previewMaker = std::make_unique<FrameMaker>(j.kind, s, AnimationFrameCount(j.seconds, j.fps));
    m_shownFrame = -1;
    m_clock.start();
    m_previewTimer.start();
    showPreviewFrame();
}

void AnimationDialog::showPreviewFrame() {
    if (!m_previewMaker) {
        return;
    }
    const int32_t n = m_previewMaker->frameCount();
    const double seconds = static_cast<double>(m_clock.elapsed()) / 1000.0;
    // A second of stillness after the last frame, unless the animation loops.
    const double period = m_seconds->value() + (m_loop->isChecked() ? 0.0 : 1.0);
    const double at = std::fmod(seconds, period);
    const int32_t i = std::min(n - 1, static_cast<int32_t>(at * m_fps->value()));
    if (i == m_shownFrame) {
        return;
    }
    m_shownFrame = i;
    const QImage frame = m_previewMaker->frame(i);
    QImage shown(frame.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::white); // a white background is a transparent picture, shown on white
    {
        QPainter p(&shown);
        p.drawImage(0, 0, frame);
    }
    m_shown = shown.scaled(m_preview->contentsRect().size(), Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);
    m_preview->setPixmap(QPixmap::fromImage(m_shown));
}

QImage AnimationDialog::previewImage() const {
    return m_shown;
}

QString AnimationDialog::askOutput(AnimationFormat format) {
    if (m_hooks.chooseOutput) {
        return m_hooks.chooseOutput(format);
    }
    if (format == AnimationFormat::PngFrames) {
        const QString dir =
            QFileDialog::getExistingDirectory(this, tr("PNG 連番を書き出すフォルダー"));
        return dir.isEmpty() ? dir : dir + QLatin1Char('/');
    }
    const QString filter = m_format->currentText();
    QString path =
        QFileDialog::getSaveFileName(this, tr("アニメーションの書き出し"), QString(), filter);
    if (!path.isEmpty() && AnimationFormatForPath(path) != format) {
        // The filter's pattern "(*.ext)" gives the extension a name without one gets.
        const qsizetype star = filter.lastIndexOf(QLatin1String("*."));
        path += filter.mid(star + 1, filter.size() - star - 2);
    }
    return path;
}

void AnimationDialog::warn(const QString &text) {
    if (m_hooks.warn) {
        m_hooks.warn(text);
        return;
    }
    QMessageBox::warning(this, tr("警告"), text);
}

void AnimationDialog::exportOrCancel() {
    if (exporting()) {
        m_cancel = true;
        return;
    }
    const QString path = askOutput(AnimationFormat(m_format->currentData().toInt()));
    if (!path.isEmpty()) {
        startExport(path);
    }
}

void AnimationDialog::startExport(const QString &path) {
    const AnimationJob j = job(path);
    m_cancel = false;
    setBusy(true);
    m_worker = QThread::create([this, j] {
        const ExportResult r = ExportAnimation(j, m_cancel, [this](int32_t done, int32_t total) {
            QMetaObject::invokeMethod(
                this,
                [this, done, total] {
                    m_progress->setMaximum(total);
                    m_progress->setValue(done);
                },
                Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, r] { finishExport(r.ok, r.cancelled, r.message); }, Qt::QueuedConnection);
    });
    m_worker->start();
}

void AnimationDialog::finishExport(bool ok, bool cancelled, const QString &message) {
    if (!m_worker) {
        return;
    }
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    setBusy(false);
    if (!ok && !cancelled) {
        warn(message);
    }
    emit exportFinished(ok, cancelled, message);
}

void AnimationDialog::setBusy(bool busy) {
    for (QWidget *w : std::initializer_list<QWidget *>{m_kind, m_seconds, m_fps, m_width, m_height,
                                                       m_smooth, m_loop, m_format}) {
        w->setEnabled(!busy);
    }
    m_export->setText(busy ? tr("中止") : tr("書き出し..."));
    m_progress->setVisible(busy);
    m_progress->setValue(0);
    restartPreview();
}

void AnimationDialog::reject() {
    if (m_worker) {
        m_cancel = true;
        m_worker->wait();
        delete m_worker;
        m_worker = nullptr;
        setBusy(false);
    }
    QDialog::reject();
}

} // namespace ramulet
