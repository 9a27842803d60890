#include "app/treepane.h"

#include "app/actions.h"
#include "app/dialogs.h"
#include "app/document.h"
#include "app/pictureview.h"
#include "app/windowstate.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <utility>

namespace ramulet {

TreePane::TreePane(TemplateDocument &doc, WindowState &state, ViewState &view, PictureView *cimg,
                   const std::unique_ptr<Dialogs> &dialogs, QCursor zoomCursor, QObject *parent)
    : QObject(parent), m_doc(doc), m_state(state), m_view(view), m_cimg(cimg), m_dialogs(dialogs),
      m_zoomCursor(std::move(zoomCursor))
{
}

void TreePane::Grow() { GrowTree(m_doc.table(), *m_store, m_state.depth()); }

bool TreePane::Render()
{
    BuildColorRamp(m_ramp, m_doc.settings(), m_state.depth());
    // Also without a view to draw in: the setting is what a save writes.
    m_doc.settlePenWidth();
    if (!m_view.HasArea() || m_cimg->image().isNull()) {
        return false;
    }
    const DrawSettings &s = m_doc.settings();
    m_picture = m_recorder.Record(*m_store, m_view, s, m_ramp, m_state.fit());
    ShowTreePicture(m_cimg->image(), *m_picture, s.BackColor, m_state.smooth());
    m_cimg->update();
    return true;
}

void TreePane::SmoothChanged()
{
    if (m_picture && !m_cimg->image().isNull()) {
        ShowTreePicture(m_cimg->image(), *m_picture, m_doc.settings().BackColor, m_state.smooth());
        m_cimg->update();
    }
}

void TreePane::MouseDown()
{
    if (m_state.fit()) {
        m_dialogs->beep();
        m_dialogs->warn(WindowText(ZoomRefusal));
        return;
    }
    m_state.setMouseHeld(true);
}

void TreePane::MouseMove() { m_cimg->setCursor(m_zoomCursor); }

bool TreePane::MouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    if (!m_state.mouseHeld()) {
        return false;
    }
    m_state.setMouseHeld(false);
    m_view.ApplyClick(x, y, button, shift);
    return true;
}

void TreePane::Copy() const
{
    if (!m_picture) {
        return;
    }
    QGuiApplication::clipboard()->setMimeData(MakeClipboardData(
        *m_picture, QSize(m_view.viewWidth, m_view.viewHeight), m_state.smooth()));
}

void TreePane::Export()
{
    m_export.Run(*m_dialogs, m_picture, m_view.viewWidth, m_doc.fileName(), m_state.smooth());
}

void TreePane::AddActions(WindowActions &actions)
{
    actions.add("actCopy", QT_TRANSLATE_NOOP("ramulet::TMainform", "コピー"),
                {QKeySequence(Qt::CTRL | Qt::Key_C)}, ActionMenu::Edit, [this] { Copy(); });
    actions.add("actExport", QT_TRANSLATE_NOOP("ramulet::TMainform", "画像の書き出し"),
                {QKeySequence(Qt::CTRL | Qt::Key_E)}, ActionMenu::File, [this] { Export(); });
}

} // namespace ramulet
