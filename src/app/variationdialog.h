#pragma once

// The window "バリエーション" (Variations): a 3 x 3 grid, the current template in the centre and
// eight variations of it around, each a smooth thumbnail drawn on worker threads. A neighbour
// clicked (or chosen with the arrow keys and Space) becomes the centre and is varied anew;
// Enter or "使う" takes the centre, Escape closes without a change, Backspace goes back to the
// centre before. The strength and the boxes change how far and in what the neighbours go.

#include "core/variation.h"
#include "core/drawsettings.h"

#include <QDialog>
#include <QImage>
#include <QSize>
#include <QThreadPool>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace ramulet {

// Side of a thumbnail in pixels.
inline constexpr int VariationThumbnailSide = 180;

// How the thumbnails are drawn: the window's colours (the variation's own tip and trunk
// colours replace these two), pen width setting and depth.
struct VariationLook {
    DrawSettings settings;
    int32_t depth = 1;
};

// The thumbnail of a variation: the depth of the look, or the deepest depth offered for the
// variation below it, at most 10; fitted, smooth. Safe on any thread.
QImage VariationThumbnail(const VariationTemplate &v, const VariationLook &look, QSize size);

// Draws the thumbnails of `templates` on `pool`, one job each; `done(i, image)` runs on the
// worker thread that drew template i.
void StartVariationThumbnails(QThreadPool &pool, const std::vector<VariationTemplate> &templates,
                              const VariationLook &look, QSize size,
                              const std::function<void(int, const QImage &)> &done);

class VariationDialog : public QDialog {
    Q_OBJECT
public:
    // `current`: the window's template as variations take it. `seed` starts the seeds of the
    // rings (and of Random), so that a test sees the same neighbours every time.
    VariationDialog(const VariationTemplate &current, const VariationLook &look, uint64_t seed,
                    QWidget *parent = nullptr);
    ~VariationDialog() override;

    // The centre: what Enter or "使う" puts into the window.
    const VariationTemplate &centre() const { return m_centre; }
    // The neighbour in cell i (0..8 row by row, 4 the centre) and its seed.
    const VariationTemplate &neighbour(int cell) const;
    uint64_t neighbourSeed(int cell) const;
    QToolButton *cell(int i) const { return m_cells[static_cast<size_t>(i)]; }
    // The cell the arrow keys have chosen (not 4).
    int selectedCell() const { return m_selected; }
    VariationOptions options() const;
    QSlider *strengthSlider() const { return m_strength; }
    QCheckBox *keepSymmetryBox() const { return m_keepSymmetry; }
    QCheckBox *keepCountBox() const { return m_keepCount; }
    QCheckBox *colorsBox() const { return m_colors; }
    QPushButton *randomButton() const { return m_random; }
    QPushButton *useButton() const { return m_use; }
    // Whether the thumbnails of the ring on show are in the cells; waitForThumbnails lets
    // the workers finish and shows them.
    bool thumbnailsShown() const { return m_shownGeneration == m_generation; }
    void waitForThumbnails();

    // The commands of the keys and buttons.
    void moveToCentre(int cell);
    void back();
    void randomCentre();
    void selectBy(int dx, int dy);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    struct Step {
        VariationTemplate centre;
        uint64_t ringSeed = 0;
        QString centreTip;
    };
    void BuildControls();
    void LayOutControls(QWidget *grid, QPushButton *cancel);
    QWidget *BuildGrid();
    void MakeRing();
    void ShowSelection();
    void ThumbnailDrawn(uint64_t generation, int index, const QImage &image);

    VariationLook m_look;
    VariationTemplate m_centre;
    QString m_centreTip;
    uint64_t m_ringSeed = 0;
    uint64_t m_seeds; // the source of ring seeds and Random's seeds
    std::vector<VariationNeighbour> m_ring; // cells 0..3 and 5..8, in that order
    std::vector<Step> m_history;            // the centres before, for Back
    std::array<QToolButton *, 9> m_cells{};
    std::array<QImage, 9> m_pending;        // drawn, shown once all are in
    int m_pendingCount = 0;
    uint64_t m_generation = 0;              // of the ring on show; older thumbnails are dropped
    uint64_t m_shownGeneration = 0;
    int m_selected = 5;
    QSlider *m_strength = nullptr;
    QCheckBox *m_keepSymmetry = nullptr;
    QCheckBox *m_keepCount = nullptr;
    QCheckBox *m_colors = nullptr;
    QPushButton *m_random = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_use = nullptr;
    QThreadPool m_pool;
};

} // namespace ramulet
