#pragma once

// The commands that hand the template to a window of its own: the variations (its button
// SBVariation and Ctrl+Shift+V), whose accepted centre becomes the template as one undoable
// step "バリエーション", and the animation dialog (Ctrl+Shift+N), given what the tree view
// shows.

#include <memory>

class QWidget;

namespace ramulet {

class Dialogs;
class TemplateDocument;
class WindowActions;
class WindowState;
struct ViewState;

class ExploreCommands {
public:
    // `view` is the window's view state; `parent` the window the dialogs belong to.
    ExploreCommands(TemplateDocument &doc, const WindowState &state, const ViewState &view,
                    const std::unique_ptr<Dialogs> &dialogs, QWidget *parent);

    void Variations();
    void Animation();
    // "バリエーション" and "アニメーション" into `actions`.
    void AddActions(WindowActions &actions);

private:
    TemplateDocument &m_doc;
    const WindowState &m_state;
    const ViewState &m_view;
    const std::unique_ptr<Dialogs> &m_dialogs;
    QWidget *m_parent;
};

} // namespace ramulet
