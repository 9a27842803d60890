#pragma once

// The template document: the template table, the four drawing settings, the file name and
// the edit history. It changes only through its commands, each edit made inside an EditStep,
// and it says what changed through its signals.

#include "app/undo.h"
#include "core/branches.h"
#include "core/viewstate.h"
#include "view/picture.h"

#include <QObject>
#include <QString>

#include <optional>

class QUndoStack;
class QWidget;

namespace ramulet {

class TemplateDocument;
class WindowActions;

// One undoable edit of a document: made while the guard lives, recorded as one step when it
// ends, unless nothing changed. Steps that change the file name (load, reset) say so with
// `withFile`; they alone put the name back on undo and redo. Steps with the same `mergeKey`
// (>= 0) in a row join into one (the nudges of a branch).
class EditStep {
public:
    EditStep(TemplateDocument &doc, QString text, bool withFile = false, int mergeKey = -1);
    ~EditStep();
    EditStep(const EditStep &) = delete;
    EditStep &operator=(const EditStep &) = delete;

    // Whether the document now differs from the state the step began with.
    bool changed() const;
    // Rows dragged away and back to their very pixels are as they were: they keep their
    // exact values instead of being taken from the pixels.
    void keepRowsBackInPlace();

private:
    TemplateDocument &m_doc;
    QString m_text;
    bool m_withFile;
    int m_mergeKey;
    TemplateState m_before;
};

class TemplateDocument : public QObject {
    Q_OBJECT
public:
    // `table` is the template edited (the program's own in the window; a test may own one).
    // `frame` is the view whose default view the rows' pixel points belong to.
    TemplateDocument(BranchTable &table, const ViewState &frame, QObject *parent = nullptr);
    ~TemplateDocument() override;

    // The pen-width list's index for a stored pen width (div 20, clamped to 0..10) and the
    // pen width a list index stands for.
    static int PenIndexFor(int32_t penWidthSetting);
    static int32_t PenWidthFor(int penIndex);

    BranchTable &table() { return m_table; }
    const BranchTable &table() const { return m_table; }
    // The stored settings. Their pen width is the file's own value until the next render,
    // which takes it from the list (SettlePenWidth).
    const DrawSettings &settings() const { return m_settings; }
    // The settings a picture is drawn with now: the pen width of the list.
    DrawSettings renderSettings() const;
    int penIndex() const { return m_penIndex; }
    const QString &fileName() const { return *m_fileName; }
    QUndoStack *undoStack() const { return m_undo; }
    // Whether the template differs from the last save or load (or the window as opened):
    // the history is not at its clean step, or an open drag has changed it meanwhile.
    bool hasUnsavedChanges() const;

    // Commands. Edits are made inside an EditStep; the file name changes with a file step
    // or a save.
    void setColor(TColor DrawSettings::*which, TColor colour);
    void setPenIndex(int index);
    // All four settings (a loaded file); the list's index follows the pen width.
    void applySettings(const DrawSettings &s);
    // The default colours; the pen width is kept.
    void resetColors();
    void setFileName(const QString &path);
    // The stored pen width follows the list, as every render makes it.
    void settlePenWidth();

    // A drag of the editor: one step from the press to the release.
    void beginDrag(const QString &text);
    void endDrag();
    bool dragOpen() const { return m_drag.has_value(); }

    TemplateState capture() const;
    // Puts `s` in place of the template and its settings as an undo would (the window shows
    // it through restored()); made inside an EditStep, it is that step.
    void replace(const TemplateState &s) { restore(s, false); }
    bool restoring() const { return m_restoring; }

    // Undo and redo, made by the history (their text names the step), into `actions`.
    void AddActions(WindowActions &actions, QWidget *window);

signals:
    void fileNameChanged(const QString &path);
    // Colours or pen-width index: the swatches and the list show them.
    void settingsChanged();
    // A step was undone or redone: the table and settings are back, the window shows them.
    // `looksChanged` when a colour or the pen-width index differs from before.
    void restored(bool looksChanged);

private:
    friend class EditStep;
    void record(const QString &text, const TemplateState &before, bool withFile, int mergeKey);
    void restore(const TemplateState &s, bool withFile);

    BranchTable &m_table;
    const ViewState &m_frame;
    DrawSettings m_settings;
    int m_penIndex = 2;
    SharedName m_fileName = std::make_shared<QString>();
    QUndoStack *m_undo;
    std::optional<EditStep> m_drag;
    bool m_restoring = false;
};

} // namespace ramulet
