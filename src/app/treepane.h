#pragma once

// The tree pane: CImg with the grown tree. It owns the render pipeline the template grows and
// is recorded through (the store, and the picture that the view, the clipboard and the
// export show), the navigation (zoom clicks, pan, wheel, the default view) and the smooth
// look.

#include "app/exportpicture.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/pictureoutput.h"
#include "view/renderpipeline.h"

#include <QCursor>
#include <QObject>

#include <functional>
#include <memory>

namespace ramulet {

class Dialogs;
class PictureView;
class TemplateDocument;
class WindowActions;
class WindowState;

// The warning for a zoom click while the automatic fit is on.
inline constexpr const char *ZoomRefusal = QT_TRANSLATE_NOOP(
    "ramulet::TMainform", "［自動ｻｲｽﾞ調整］がチェックされているときはズームできません.");

class TreePane : public QObject {
    Q_OBJECT
public:
    // `dialogs` is the window's, which a test may replace meanwhile; `zoomCursor` is shown
    // over the view; `render` shows the view after the navigation changed it (the window's
    // RenderPicture).
    TreePane(TemplateDocument &doc, WindowState &state, ViewState &view, PictureView *cimg,
             const std::unique_ptr<Dialogs> &dialogs, QCursor zoomCursor,
             std::function<void()> render, QObject *parent);

    const Tseglines &store() const { return m_pipeline.store(); }
    const ColorRampTable &colorRamp() const { return m_ramp; }
    std::shared_ptr<const TreePicture> picture() const { return m_pipeline.picture(); }

    // Grows the template to the current depth into the store.
    void Grow();
    // Records the picture of the store in the current view and shows it (RenderPicture);
    // false when the view has no area to draw in (the stored pen width is settled anyway).
    bool Render();
    // The same picture in the other look: nothing is grown or recorded again.
    void SmoothChanged();
    // The picture's colours and pen, each choice one undoable step of the document: a colour
    // from the colour dialog (a cancelled one keeps it), the pen-width list's index.
    void ChooseColor(TColor DrawSettings::*which);
    void SetPenIndex(int index);

    // A press starts a zoom click, unless the automatic fit is on (refused with a warning).
    void MouseDown(int x, int y);
    // Beyond 4 pixels from the press the click becomes a pan: the view follows the mouse.
    void MouseMove(int x, int y);
    // The click's zoom (left in, right out, Shift recentres), unless the press became a pan.
    void MouseUp(MouseButton button, ShiftState shift, int x, int y);
    // The wheel: a zoom about the mouse for every whole notch.
    void Wheel(int x, int y, int eighths);
    // A middle double-click: the default view.
    void DoubleClick(MouseButton button);
    // The default view (Home, Ctrl+0), in view mode.
    void DefaultView();
    // The picture onto the clipboard: vectors and the bitmap of the view.
    void Copy() const;
    // The picture into an SVG, PNG or PDF file chosen in a dialog.
    void Export();
    void setWritableTest(WritableTest test) { m_export.setWritableTest(std::move(test)); }
    // Copy (Ctrl+C), export (Ctrl+E), zoom in and out (Ctrl++, Ctrl+-) and the default view
    // (Ctrl+0) into `actions`.
    void AddActions(WindowActions &actions);

private:
    bool Zoomable() const;
    void AddZoomActions(WindowActions &actions);

    TemplateDocument &m_doc;
    WindowState &m_state;
    ViewState &m_view;
    PictureView *m_cimg;
    const std::unique_ptr<Dialogs> &m_dialogs;
    QCursor m_zoomCursor;
    std::function<void()> m_render;
    RenderPipeline m_pipeline; // reuses its store and buffers from one picture to the next
    ColorRampTable m_ramp{};
    TreeViewGesture m_gesture; // the press: a click, or a pan once moved
    int m_wheelRest = 0;       // eighths of a degree short of a notch, kept for the next turn
    PictureExport m_export;
};

} // namespace ramulet
