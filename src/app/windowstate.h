#pragma once

// The window's own settings, those that are not the template's: they are not saved in files
// and not undone. Widgets show these values and change them through the setters; every part
// reads them here, never back from a widget.

#include "core/segments.h"

#include <QObject>

#include <algorithm>
#include <cstdint>

namespace ramulet {

class WindowState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    int32_t depth() const { return m_depth; }
    bool editMode() const { return m_editMode; }
    bool fit() const { return m_fit; }           // automatic fit of the tree view
    bool smooth() const { return m_smooth; }     // antialiased pictures
    bool liveTree() const { return m_liveTree; } // the tree under the editor's arrows
    // A mouse button held in a view (set and cleared by the views' handlers; the editor
    // controller shares the flag). What may not run meanwhile is gated on it.
    bool mouseHeld() const { return m_mouseHeld; }
    bool &mouseHeldFlag() { return m_mouseHeld; }

    void setDepth(int32_t depth) { set(m_depth, std::clamp<int32_t>(depth, 1, MaxDepth)); }
    void setEditMode(bool on) { set(m_editMode, on); }
    void setFit(bool on) { set(m_fit, on); }
    void setSmooth(bool on) { set(m_smooth, on); }
    void setLiveTree(bool on) { set(m_liveTree, on); }
    void setMouseHeld(bool on) { m_mouseHeld = on; }

signals:
    // A setting other than the mouse changed (emitted after the change).
    void changed();

private:
    template <typename T> void set(T &field, T value)
    {
        if (field != value) {
            field = value;
            emit changed();
        }
    }

    int32_t m_depth = 1;
    bool m_editMode = true;
    bool m_fit = false;
    bool m_smooth = false;
    bool m_liveTree = false;
    bool m_mouseHeld = false;
};

} // namespace ramulet
