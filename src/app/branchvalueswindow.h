#pragma once

// The branch values window "枝の値": one row per template row with its kind, position, angle,
// length and vector, each cell showing the row's exact value and taking a typed number or
// small expression. Non-modal; it reads the template it is given and asks its owner to make
// every edit (one undoable step each), then shows the template again.

#include "core/branches.h"
#include "core/branchvalues.h"

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;

namespace ramulet {

class BranchValuesWindow : public QWidget {
    Q_OBJECT
public:
    enum Column { ColKind, ColPosition, ColAngle, ColLength, ColX, ColY, ColumnCount };

    // `table` is read on every refresh(); the window never writes it.
    BranchValuesWindow(const BranchTable &table, QWidget *parent = nullptr);

    // Shows the template's values as they are now: the values the next growth takes (a
    // dragged row's from its pixel points). Rows come and go with the branch count. An open
    // cell editor is left alone unless its row is gone.
    void refresh();
    // Marks row `row` as the editor's selection (the branch hovered there), without asking
    // for a mark back; nothing while a cell is being edited.
    void showSelectedRow(int row);
    // Shows the window with branch 1's angle cell current (the trunk's when there are no
    // branches), raised and active.
    void open();

    QTableWidget *grid() const { return m_grid; }
    // Whether a cell's editor is open.
    bool editing() const;
    // The last refusal (empty when the last commit was taken).
    QString message() const;

    // A value as the cells show it: 15 significant digits, the shortest form, "." always.
    static QString FormatValue(long double v);
    // The six cells of row `row` of a table normalised as the growth takes it
    // (NormalizedCopy): what the window shows for that row.
    static QStringList RowTexts(const BranchTable &normalized, int row);
    // The text of a kind: "正像", "鏡像", "線分" (in the window's language).
    static QString KindText(int32_t kind);
    // Evaluates a cell's text (full-width forms, "π", "×", "÷" and "−" taken as their ASCII
    // counterparts): the value, or nullopt with `error` set to the message to show.
    static std::optional<long double> ParseCell(const QString &text, QString *error);

    // Commits `text` to the cell: a kind cell takes a kind's text, the others a number or
    // expression. Text equal to what the cell shows changes nothing. Returns false with the
    // message shown when the text is refused.
    bool commitCell(int row, int column, const QString &text);

signals:
    // The owner makes these edits, each as one undoable step, and then calls refresh().
    void kindEdited(int row, int kind);
    void valuesEdited(int row, ramulet::RowValues values);
    // The user chose row `row` (1..BranchCount): the editor marks that branch.
    void rowChosen(int row);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    void setCell(int row, int column, const QString &text, bool editable);
    void showMessage(const QString &text, int row, int column);
    void retranslate();

    const BranchTable &m_table;
    QTableWidget *m_grid = nullptr;
    QLabel *m_message = nullptr;
    bool m_programmatic = false; // the current cell is being moved by the window itself
};

} // namespace ramulet

Q_DECLARE_METATYPE(ramulet::RowValues)
