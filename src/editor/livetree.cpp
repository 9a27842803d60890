#include "editor/livetree.h"

#include "core/numeric.h"
#include "editor/editordraw.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace ramulet {

namespace {

bool SamePoint(const TPointE &a, const TPointE &b) { return a.x == b.x && a.y == b.y; }

// Whether two tables normalise and grow alike: every row's pixel points, model values, the
// values its pixel points show, its mark and its kind.
bool SameTemplate(const BranchTable &a, const BranchTable &b)
{
    if (a.BranchCount != b.BranchCount) {
        return false;
    }
    for (int32_t i = 0; i <= a.BranchCount; ++i) {
        const TBranch &r = a.Branches[static_cast<size_t>(i)];
        const TBranch &s = b.Branches[static_cast<size_t>(i)];
        if (!(r.screenStart == s.screenStart) || !(r.screenEnd == s.screenEnd) ||
            !SamePoint(r.P, s.P) || !SamePoint(r.V, s.V) || !SamePoint(r.shownP, s.shownP) ||
            !SamePoint(r.shownV, s.shownV) || r.moved != s.moved || r.kind != s.kind) {
            return false;
        }
    }
    return true;
}

// Whether two views place the model alike in the picture.
bool SameView(const ViewState &a, const ViewState &b)
{
    return a.ViewScale == b.ViewScale && a.ViewOrigin == b.ViewOrigin &&
           SamePoint(a.ViewCenter, b.ViewCenter) && a.PictureFactor == b.PictureFactor &&
           a.PictureHeight == b.PictureHeight && a.viewWidth == b.viewWidth &&
           a.viewHeight == b.viewHeight;
}

} // namespace

TColor LightenTowardEditor(TColor c)
{
    TColor out = 0;
    for (int shift : {0, 8, 16}) {
        const long double from = (c >> shift) & 0xFFu;
        const long double to = (EditorBackColor >> shift) & 0xFFu;
        const int32_t channel = RoundEven(from + (to - from) * LiveTreeLightening);
        out |= (static_cast<TColor>(channel) & 0xFFu) << shift;
    }
    return out;
}

LiveTree::LiveTree() = default;

LiveTree::~LiveTree() = default;

int32_t LiveTree::ShownDepth(const BranchTable &t, int32_t depth)
{
    for (int32_t n = std::clamp(depth, 1, MaxDepth); n > 1; --n) {
        if (DepthUsable(EstimateSegmentCount(t, n))) {
            return n;
        }
    }
    return 1;
}

bool LiveTree::Changed(const BranchTable &t, int32_t depth, const ViewState &editorView,
                       const DrawSettings &settings) const
{
    const Inputs &in = m_inputs;
    return !in.valid || in.depth != depth || !SameView(in.view, editorView) ||
           in.settings.TipColor != settings.TipColor ||
           in.settings.TrunkColor != settings.TrunkColor ||
           in.settings.PenWidthSetting != settings.PenWidthSetting || !SameTemplate(in.table, t);
}

bool LiveTree::Update(const BranchTable &t, int32_t depth, const ViewState &editorView,
                      const DrawSettings &settings)
{
    if (!Changed(t, depth, editorView, settings)) {
        return false;
    }
    m_inputs = {t, depth, editorView, settings, true};

    // The growth the depth button would start, on a copy, in the picture's colours
    // lightened and with no background of its own (white records none). Drawn without the
    // automatic fit: the tree lies under the arrows that make it.
    m_table = t;
    m_shownDepth = std::clamp(depth, 1, MaxDepth);
    ++m_growths;
    RenderRequest r;
    r.depth = m_shownDepth;
    r.view = editorView;
    r.settings = settings;
    r.settings.BackColor = White;
    r.levelColor = LightenTowardEditor;
    m_pipeline.Render(m_table, r);
    return true;
}

void LiveTree::SetSmooth(bool smooth)
{
    if (smooth != m_smooth) {
        m_smooth = smooth;
        m_layerGrowth = -1; // the kept drawing is in the other look
    }
}

void LiveTree::Draw(QPainter &p) const
{
    const TreePicture *picture = m_pipeline.picture().get();
    if (picture == nullptr) {
        return;
    }
    QPaintDevice *device = p.device();
    if (device != nullptr && device->devType() == QInternal::Image) {
        // The painter draws straight into the image's pixels too and holds nothing back, so
        // the tree lands between what it drew before and what it draws next.
        QImage &image = *static_cast<QImage *>(device);
        const bool sameShape = m_layer.size() == image.size() && m_layer.format() == image.format() &&
                               m_layer.bytesPerLine() == image.bytesPerLine();
        const auto bytes = static_cast<size_t>(image.sizeInBytes());
        if (sameShape && m_layerGrowth == m_growths) {
            std::memcpy(image.bits(), m_layer.constBits(), bytes);
            return;
        }
        if (RasterizePicture(image, *picture, m_smooth)) {
            if (sameShape) {
                std::memcpy(m_layer.bits(), image.constBits(), bytes);
            } else {
                m_layer = image.copy();
            }
            m_layerGrowth = m_growths;
            return;
        }
    }
    if (device != nullptr) {
        const QPainter::RenderHints hints = p.renderHints();
        p.setRenderHint(QPainter::Antialiasing, m_smooth);
        picture->PlayStretched(p, QRectF(0, 0, device->width(), device->height()));
        p.setRenderHints(hints);
    }
}

} // namespace ramulet
