#include "app/treepane.h"

#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/pictureview.h"
#include "app/windowstate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <optional>

#include <utility>

namespace ramulet {

TreePane::TreePane(TemplateDocument &doc, WindowState &state, ViewState &view, PictureView *cimg,
                   const std::unique_ptr<Dialogs> &dialogs, QCursor zoomCursor,
                   std::function<void()> render, QObject *parent)
    : QObject(parent), m_doc(doc), m_state(state), m_view(view), m_cimg(cimg), m_dialogs(dialogs),
      m_zoomCursor(std::move(zoomCursor)), m_render(std::move(render))
{
}

void TreePane::Grow() { m_pipeline.Grow(m_doc.table(), m_state.depth()); }

bool TreePane::Render()
{
    RenderRequest r;
    r.depth = m_state.depth();
    r.view = m_view;
    r.settings = m_doc.settings();
    r.fit = m_state.fit();
    m_ramp = RampFor(r);
    // Also without a view to draw in: the setting is what a save writes.
    m_doc.settlePenWidth();
    if (!m_view.HasArea() || m_cimg->image().isNull()) {
        return false;
    }
    r.settings = m_doc.settings();
    const auto picture = m_pipeline.Record(r);
    ShowTreePicture(m_cimg->image(), *picture, r.settings.BackColor, m_state.smooth());
    m_cimg->update();
    return true;
}

void TreePane::SmoothChanged()
{
    if (picture() && !m_cimg->image().isNull()) {
        ShowTreePicture(m_cimg->image(), *picture(), m_doc.settings().BackColor, m_state.smooth());
        m_cimg->update();
    }
}

void TreePane::ChooseColor(TColor DrawSettings::*which)
{
    const TColor current = m_doc.settings().*which;
    const std::optional<QColor> chosen = m_dialogs->chooseColor(ToQColor(current));
    // The step starts after the dialog: a resize while it was open is no part of it.
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "色の変更")));
    m_doc.setColor(which, chosen && chosen->isValid() ? FromQColor(*chosen) : current);
    m_render();
}

void TreePane::SetPenIndex(int index)
{
    // The list has already moved when its handler runs: the step starts from the document's
    // index, the list's new one is the command.
    const EditStep step(m_doc, WindowText(QT_TRANSLATE_NOOP("ramulet::TMainform", "幹の太さ")));
    m_doc.setPenIndex(index);
    m_render();
}

void TreePane::MouseDown(int x, int y)
{
    if (m_state.fit()) {
        m_dialogs->beep();
        m_dialogs->warn(WindowText(ZoomRefusal));
        return;
    }
    m_state.setMouseHeld(true);
    m_gesture.press({x, y}, m_view);
}

void TreePane::MouseMove(int x, int y)
{
    const bool moved = m_state.mouseHeld() && m_gesture.move({x, y}, m_view);
    m_cimg->setCursor(m_gesture.panning() ? QCursor(Qt::ClosedHandCursor) : m_zoomCursor);
    if (moved) {
        m_render();
    }
}

void TreePane::MouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    if (!m_state.mouseHeld()) {
        return;
    }
    m_state.setMouseHeld(false);
    const bool panned = m_gesture.panning();
    m_gesture.clear();
    if (panned) {
        m_cimg->setCursor(m_zoomCursor);
        return; // the view has followed the mouse already
    }
    m_view.ApplyClick(x, y, button, shift);
    m_render();
}

void TreePane::Wheel(int x, int y, int eighths)
{
    // With the fit on the view is not used; a held button is a click or a pan under way.
    if (m_state.fit() || m_state.mouseHeld()) {
        m_wheelRest = 0;
        return;
    }
    m_wheelRest += eighths;
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches != 0) {
        m_view.ZoomAt(x, y, notches);
        m_render();
    }
}

void TreePane::DoubleClick(MouseButton button)
{
    if (button != MouseButton::Middle || m_state.fit()) {
        return;
    }
    // The second press opened a click; the double-click takes its place.
    m_state.setMouseHeld(false);
    m_gesture.clear();
    DefaultView();
}

void TreePane::DefaultView()
{
    if (m_state.editMode() || m_state.mouseHeld()) {
        return; // the editor is always in the default view
    }
    m_view.ResetView();
    m_render();
}

bool TreePane::Zoomable() const
{
    return !m_state.editMode() && !m_state.fit() && m_view.HasArea();
}

void TreePane::Copy() const
{
    if (!picture()) {
        return;
    }
    QGuiApplication::clipboard()->setMimeData(MakeClipboardData(
        *picture(), QSize(m_view.viewWidth, m_view.viewHeight), m_state.smooth()));
}

void TreePane::Export()
{
    m_export.Run(*m_dialogs, picture(), m_view.viewWidth, m_doc.fileName(), m_state.smooth());
}

void TreePane::AddActions(WindowActions &actions)
{
    actions.add({.name = "actExport",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "画像の書き出し(&E)..."),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_E)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform",
                                           "木の絵を SVG, PNG, PDF のファイルに書き出す"),
                 .menu = ActionMenu::File,
                 .group = 3,
                 .target = [this] { Export(); }});
    actions.add({.name = "actCopy",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "画像のコピー(&C)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_C)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "木の絵をクリップボードにコピーする"),
                 .menu = ActionMenu::File,
                 .group = 3,
                 .target = [this] { Copy(); }});
    AddZoomActions(actions);
}

void TreePane::AddZoomActions(WindowActions &actions)
{
    // A click at the middle of the view without modifiers: the same zoom, about the model
    // point shown there.
    const auto zoom = [this](MouseButton button) {
        return [this, button] {
            m_view.ApplyClick(m_view.viewWidth / 2, m_view.viewHeight / 2, button, 0);
            m_render();
        };
    };
    actions.add({.name = "actZoomIn",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "拡大(&I)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_Plus)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の中央を拡大する"),
                 .menu = ActionMenu::View,
                 .group = 3,
                 .target = zoom(MouseButton::Left),
                 .enabled = [this] { return Zoomable(); }});
    actions.add({.name = "actZoomOut",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "縮小(&O)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の中央を縮小する"),
                 .menu = ActionMenu::View,
                 .group = 3,
                 .target = zoom(MouseButton::Right),
                 .enabled = [this] { return Zoomable(); }});
    actions.add({.name = "actDefaultView",
                 .text = QT_TRANSLATE_NOOP("ramulet::TMainform", "標準の表示(&D)"),
                 .keys = {QKeySequence(Qt::CTRL | Qt::Key_0)},
                 .hint = QT_TRANSLATE_NOOP("ramulet::TMainform", "木の画面の拡大と移動を元に戻す"),
                 .menu = ActionMenu::View,
                 .group = 3,
                 .target = [this] { DefaultView(); },
                 .enabled = [this] { return !m_state.editMode(); }});
}

} // namespace ramulet
