#pragma once

// The tree pane: CImg with the grown tree. It owns the store the template grows into, the
// recorded picture that the view, the clipboard and the export show, the zoom by clicks and
// the smooth look.

#include "app/exportpicture.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/pictureoutput.h"
#include "view/record.h"

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

    const Tseglines &store() const { return *m_store; }
    const ColorRampTable &colorRamp() const { return m_ramp; }
    std::shared_ptr<const TreePicture> picture() const { return m_picture; }

    // Grows the template to the current depth into the store.
    void Grow();
    // Records the picture of the store in the current view and shows it (RenderPicture);
    // false when the view has no area to draw in (the stored pen width is settled anyway).
    bool Render();
    // The same picture in the other look: nothing is grown or recorded again.
    void SmoothChanged();

    // A press starts a zoom click, unless the automatic fit is on (refused with a warning).
    void MouseDown();
    void MouseMove();
    // The click's zoom (left in, right out, Shift recentres); false when no click was open.
    bool MouseUp(MouseButton button, ShiftState shift, int x, int y);
    // The picture onto the clipboard: vectors and the bitmap of the view.
    void Copy() const;
    // The picture into an SVG, PNG or PDF file chosen in a dialog.
    void Export();
    // Copy (Ctrl+C) and export (Ctrl+E) into `actions`.
    void AddActions(WindowActions &actions);

private:
    TemplateDocument &m_doc;
    WindowState &m_state;
    ViewState &m_view;
    PictureView *m_cimg;
    const std::unique_ptr<Dialogs> &m_dialogs;
    QCursor m_zoomCursor;
    std::unique_ptr<Tseglines> m_store = std::make_unique<Tseglines>();
    ColorRampTable m_ramp{};
    PictureRecorder m_recorder; // reuses its buffers from one picture to the next
    std::shared_ptr<const TreePicture> m_picture;
    PictureExport m_export;
};

} // namespace ramulet
