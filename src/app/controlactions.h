#pragma once

// The side bar's controls as window actions: what a menu item or a shortcut does is what the
// control does when it is clicked (the mode and depth buttons, the automatic fit, the live
// tree and smooth boxes, reset and close), and the item shows the control's state.

#include <QToolButton>

#include <array>

namespace ramulet {

struct FormControls;
class WindowActions;
class WindowState;

// `depthButtons[n]` is depth button n.
void AddControlActions(WindowActions &actions, const FormControls &form,
                       const std::array<QToolButton *, 17> &depthButtons,
                       const WindowState &state);

} // namespace ramulet
