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
    // over the view.
    TreePane(TemplateDocument &doc, WindowState &state, ViewState &view, PictureView *cimg,
             const std::unique_ptr<Dialogs> &dialogs, QCursor zoomCursor, QObject *parent);

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

    // A press starts a zoom click, unless the automatic fit is on (refused with a warning).
    void MouseDown(int x, int y);
    // Beyond 4 pixels from the press the click becomes a pan; true when the view followed.
    bool MouseMove(int x, int y);
    // The click's zoom (left in, right out, Shift recentres); true when the view changed.
    bool MouseUp(MouseButton button, ShiftState shift, int x, int y);
    // The wheel: a zoom about the mouse for every whole notch; true when the view changed.
    bool Wheel(int x, int y, int eighths);
    // A middle double-click: the default view; true when the view changed.
    bool DoubleClick(MouseButton button);
    // The default view (Home, Ctrl+0), in view mode; true when the view changed.
    bool DefaultView();
    // The picture onto the clipboard: vectors and the bitmap of the view.
    void Copy() const;
    // The picture into an SVG, PNG or PDF file chosen in a dialog.
    void Export();
    void setWritableTest(WritableTest test) { m_export.setWritableTest(std::move(test)); }
    // Copy (Ctrl+C), export (Ctrl+E), zoom in and out (Ctrl++, Ctrl+-) and the default view
    // (Ctrl+0) into `actions`; `render` shows a changed view.
    void AddActions(WindowActions &actions, std::function<void()> render);

private:
    bool Zoomable() const;

    TemplateDocument &m_doc;
    WindowState &m_state;
    ViewState &m_view;
    PictureView *m_cimg;
    const std::unique_ptr<Dialogs> &m_dialogs;
    QCursor m_zoomCursor;
    RenderPipeline m_pipeline; // reuses its store and buffers from one picture to the next
    ColorRampTable m_ramp{};
    TreeViewGesture m_gesture; // the press: a click, or a pan once moved
    int m_wheelRest = 0;       // eighths of a degree short of a notch, kept for the next turn
    PictureExport m_export;
};

} // namespace ramulet
