#pragma once

// The live tree: while the user edits, the editor shows under its arrows the tree that the
// depth button of the current depth would grow from the template as the editor shows it now.
// It is grown from a copy of the table into a store of its own, so that nothing of the
// program's template, store or picture changes, and drawn in the editor's default view (no
// automatic fit: the tree lies under the arrows that make it), in the picture's colours
// lightened toward the editor's background.

#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/renderpipeline.h"

#include <QImage>

#include <cstdint>
#include <memory>

class QPainter;

namespace ramulet {

// How far the live tree's colours are taken toward the editor's background (0 none, 1 all
// the way), so that the arrows over them stay readable.
constexpr long double LiveTreeLightening = 0.6L;

// A colour taken LiveTreeLightening of the way toward the editor's background, per channel.
TColor LightenTowardEditor(TColor c);

class LiveTree {
public:
    LiveTree();
    ~LiveTree();
    LiveTree(const LiveTree &) = delete;
    LiveTree &operator=(const LiveTree &) = delete;

    // The depth shown for the current depth: that depth while its button is offered, else
    // the deepest offered depth below it (the depth buttons' rule; depth 1 always is).
    static int32_t ShownDepth(const BranchTable &t, int32_t depth);

    // Whether Update with these inputs would grow and record anew.
    bool Changed(const BranchTable &t, int32_t depth, const ViewState &editorView,
                 const DrawSettings &settings) const;

    // Brings the tree up to date with the template as the editor shows it (`t`, which is not
    // changed: a copy of it is normalised, its moved rows taken from their pixel points), the
    // depth to show (ShownDepth of the current depth), the editor's view and the drawing
    // settings (the colours, and the pen width setting of the pen-width list). The copy is
    // grown and its picture recorded only when one of these has changed since the last
    // update; returns whether that happened.
    bool Update(const BranchTable &t, int32_t depth, const ViewState &editorView,
                const DrawSettings &settings);

    // Whether the tree is drawn smooth (antialiased by area coverage) or classic.
    void SetSmooth(bool smooth);
    bool smooth() const { return m_smooth; }

    // Draws the last recorded tree onto the painter's device, stretched over all of it:
    // straight into the pixels of a 32-bit image, through the painter on anything else. The
    // background is left as it is (the editor's background and grid show through). On an
    // image the result is kept, and a repaint of the same tree over the same background and
    // grid (a hover mark) copies it instead of drawing the tree again.
    void Draw(QPainter &p) const;

    int32_t shownDepth() const { return m_shownDepth; }
    // The live tree's own store and picture (null before the first update).
    const Tseglines *store() const { return m_inputs.valid ? &m_pipeline.store() : nullptr; }
    const TreePicture *picture() const { return m_pipeline.picture().get(); }
    // How many times the tree has been grown.
    int64_t growths() const { return m_growths; }

private:
    // What the last tree was made from.
    struct Inputs {
        BranchTable table;
        int32_t depth = 0;
        ViewState view;
        DrawSettings settings;
        bool valid = false;
    };

    Inputs m_inputs;
    BranchTable m_table; // the copy that is normalised and grown
    RenderPipeline m_pipeline;
    int32_t m_shownDepth = 0;
    int64_t m_growths = 0;
    bool m_smooth = false;
    // The editor's background and grid with the tree over them, as last drawn, and the
    // growth it shows (-1: none).
    mutable QImage m_layer;
    mutable int64_t m_layerGrowth = -1;
};

} // namespace ramulet
