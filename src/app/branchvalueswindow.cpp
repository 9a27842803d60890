#include "app/branchvalueswindow.h"

#include "core/expression.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>

namespace ramulet {

namespace {

// The cell an editor belongs to, kept on the editor.
const char *const RowKey = "ramuletRow";
const char *const ColumnKey = "ramuletColumn";

// Kinds in the order of the kind cell's list (and of the editor's kind menu).
constexpr int32_t KindsInList[] = {kindOrder, kindReverse, kindSegment};

// The cells' editors: a list of the three kinds for the kind column, a line for the others.
// Enter commits at once and keeps a refused text open with its message; Escape closes the
// editor and changes nothing; leaving the cell commits what it holds (or refuses it).
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(BranchValuesWindow *window)
        : QStyledItemDelegate(window), m_window(window)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = nullptr;
        if (index.column() == BranchValuesWindow::ColKind) {
            auto *box = new QComboBox(parent);
            for (int32_t kind : KindsInList) {
                box->addItem(BranchValuesWindow::KindText(kind));
            }
            auto *self = const_cast<CellDelegate *>(this);
            connect(box, &QComboBox::activated, self, [self, box] {
                emit self->commitData(box);
                emit self->closeEditor(box);
            });
            editor = box;
        } else {
            editor = QStyledItemDelegate::createEditor(parent, option, index);
        }
        editor->setProperty(RowKey, index.row());
        editor->setProperty(ColumnKey, index.column());
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *box = qobject_cast<QComboBox *>(editor)) {
            box->setCurrentText(index.data().toString());
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &) const override
    {
        // The window makes the edit (or refuses it); the cells show the template afterwards.
        m_window->commitCell(editor->property(RowKey).toInt(),
                             editor->property(ColumnKey).toInt(), TextOf(editor));
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *line = qobject_cast<QLineEdit *>(object);
        if (line && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (m_window->commitCell(line->property(RowKey).toInt(),
                                         line->property(ColumnKey).toInt(), line->text())) {
                    emit closeEditor(line, QAbstractItemDelegate::NoHint);
                }
                return true; // a refused text stays open, with its message
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static QString TextOf(QWidget *editor)
    {
        if (auto *box = qobject_cast<QComboBox *>(editor)) {
            return box->currentText();
        }
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            return line->text();
        }
        return {};
    }

    BranchValuesWindow *m_window;
};

ValueField FieldOf(int column)
{
    switch (column) {
    case BranchValuesWindow::ColPosition:
        return ValueField::Position;
    case BranchValuesWindow::ColAngle:
        return ValueField::Angle;
    case BranchValuesWindow::ColLength:
        return ValueField::Length;
    case BranchValuesWindow::ColX:
        return ValueField::X;
    default:
        return ValueField::Y;
    }
}

} // namespace

BranchValuesWindow::BranchValuesWindow(const BranchTable &table, QWidget *parent)
    : QWidget(parent, Qt::Window), m_table(table)
{
    setObjectName(QStringLiteral("BranchValues"));
    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("BranchValuesGrid"));
    m_grid->setColumnCount(ColumnCount);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    m_grid->setItemDelegate(new CellDelegate(this));
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->setWordWrap(false); // a value on one line, all 15 digits of it
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("BranchValuesMessage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_grid);
    layout->addWidget(m_message);
    resize(880, 330); // room for "-0.353553390593274" in every column

    // Enter on a cell that is not being edited opens it.
    connect(m_grid, &QTableWidget::activated, m_grid,
            [this](const QModelIndex &index) { m_grid->edit(index); });
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_programmatic && row >= 1 && row <= m_table.BranchCount) {
            emit rowChosen(row);
        }
    });
    retranslate();
    refresh();
}

void BranchValuesWindow::retranslate()
{
    setWindowTitle(tr("枝の値"));
    m_grid->setHorizontalHeaderLabels(
        {tr("種類"), tr("位置"), tr("角度"), tr("長さ"), QStringLiteral("x"), QStringLiteral("y")});
    m_grid->horizontalHeaderItem(ColPosition)->setToolTip(tr("幹に沿った枝の付け根（幹の長さ単位）"));
    m_grid->horizontalHeaderItem(ColAngle)->setToolTip(tr("幹の向きからの角度（度、左回りが正）"));
    m_grid->horizontalHeaderItem(ColLength)->setToolTip(tr("枝の長さ（幹の長さ単位）"));
    refresh();
}

void BranchValuesWindow::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(e);
}

QString BranchValuesWindow::FormatValue(long double v)
{
    if (v == 0.0L) {
        return QStringLiteral("0"); // no "-0"
    }
    char buf[64];
    // Locale-independent: the cells take back what they show.
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
}

QString BranchValuesWindow::KindText(int32_t kind)
{
    switch (kind) {
    case kindOrder:
        return tr("正像");
    case kindReverse:
        return tr("鏡像");
    default:
        return tr("線分");
    }
}

void BranchValuesWindow::setCell(int row, int column, const QString &text, bool editable)
{
    QTableWidgetItem *item = m_grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_grid->setItem(row, column, item);
    }
    const Qt::ItemFlags flags = editable ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                            Qt::ItemIsEditable)
                                         : (Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (item->flags() != flags) {
        item->setFlags(flags);
    }
    // Unchanged text is not set again: an editor open on the cell keeps what is typed.
    if (item->text() != text) {
        item->setText(text);
    }
    if (column != ColKind) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void BranchValuesWindow::refresh()
{
    if (!m_grid) {
        return;
    }
    const BranchTable values = NormalizedCopy(m_table);
    const int rows = std::clamp(m_table.BranchCount, 0, MaxBranches) + 1;
    const bool keep = m_programmatic;
    m_programmatic = true;
    if (m_grid->rowCount() != rows) {
        m_grid->setRowCount(rows);
        QStringList names{tr("幹")};
        for (int i = 1; i < rows; ++i) {
            names << QString::number(i);
        }
        m_grid->setVerticalHeaderLabels(names);
    }
    for (int i = 0; i < rows; ++i) {
        const QStringList texts = RowTexts(values, i);
        for (int c = 0; c < ColumnCount; ++c) {
            setCell(i, c, texts[c], i > 0);
        }
    }
    m_programmatic = keep;
}

QStringList BranchValuesWindow::RowTexts(const BranchTable &normalized, int row)
{
    const TBranch &r = normalized.Branches[static_cast<size_t>(std::clamp(row, 0, MaxBranches))];
    if (row == 0) {
        // The trunk: its own vector in model space, which is its direction and one length.
        return {KindText(kindSegment), FormatValue(0.0L), FormatValue(0.0L), FormatValue(1.0L),
                FormatValue(r.V.x), FormatValue(r.V.y)};
    }
    return {KindText(r.kind),          FormatValue(r.P.y),  FormatValue(AngleDegrees(r.V)),
            FormatValue(VectorLength(r.V)), FormatValue(r.V.x), FormatValue(r.V.y)};
}

void BranchValuesWindow::showSelectedRow(int row)
{
    if (row < 1 || row >= m_grid->rowCount() || editing() || m_grid->currentRow() == row) {
        return;
    }
    const int column = std::max(m_grid->currentColumn(), static_cast<int>(ColAngle));
    m_programmatic = true;
    m_grid->setCurrentCell(row, column);
    m_programmatic = false;
}

bool BranchValuesWindow::editing() const
{
    // The open editor of a cell is the current index's widget.
    return m_grid->indexWidget(m_grid->currentIndex()) != nullptr;
}

void BranchValuesWindow::open()
{
    refresh();
    show();
    raise();
    activateWindow();
    m_programmatic = true;
    m_grid->setCurrentCell(m_grid->rowCount() > 1 ? 1 : 0, ColAngle);
    m_programmatic = false;
    m_grid->setFocus();
    m_message->clear();
    // A window newly shown may be activated by the platform only after the window it was
    // opened from has taken its key release; ask once more when that is done.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow()) {
            activateWindow();
            m_grid->setFocus();
        }
    });
}

QString BranchValuesWindow::message() const { return m_message->text(); }

void BranchValuesWindow::showMessage(const QString &text, int row, int column)
{
    m_message->setText(text);
    if (text.isEmpty() || !isVisible()) {
        return;
    }
    const QRect cell = m_grid->visualRect(m_grid->model()->index(row, column));
    QToolTip::showText(m_grid->viewport()->mapToGlobal(cell.bottomLeft()), text, m_grid);
}

std::optional<long double> BranchValuesWindow::ParseCell(const QString &text, QString *error)
{
    QString t = text.normalized(QString::NormalizationForm_KC);
    t.replace(QChar(0x03C0), QStringLiteral("pi")); // π
    t.replace(QChar(0x00D7), QLatin1Char('*'));     // ×
    t.replace(QChar(0x00F7), QLatin1Char('/'));     // ÷
    t.replace(QChar(0x2212), QLatin1Char('-'));     // −
    const ExpressionResult r = EvaluateExpression(t.toStdString());
    QString message;
    switch (r.error) {
    case ExpressionError::None:
        return r.value;
    case ExpressionError::Empty:
        message = tr("値を入力してください");
        break;
    case ExpressionError::UnexpectedText:
        message = tr("%1 文字目が数値にも式にもなっていません").arg(r.position + 1);
        break;
    case ExpressionError::MissingOperand:
        message = tr("%1 文字目に値がありません").arg(r.position + 1);
        break;
    case ExpressionError::MissingParenthesis:
        message = tr("括弧が閉じていません");
        break;
    case ExpressionError::TooDeep:
        message = tr("括弧が深すぎます");
        break;
    case ExpressionError::OutOfRange:
    case ExpressionError::NotFinite:
        message = tr("値が大きすぎます");
        break;
    case ExpressionError::DivisionByZero:
        message = tr("0 で割っています");
        break;
    case ExpressionError::NegativeRoot:
        message = tr("負の数の平方根はとれません");
        break;
    }
    if (error) {
        *error = message;
    }
    return std::nullopt;
}

bool BranchValuesWindow::commitCell(int row, int column, const QString &text)
{
    if (row < 1 || row > m_table.BranchCount || column < 0 || column >= ColumnCount) {
        return true; // the row is gone: nothing to do and nothing to refuse
    }
    const QTableWidgetItem *item = m_grid->item(row, column);
    if (item && item->text() == text.trimmed()) {
        showMessage({}, row, column);
        return true;
    }
    if (column == ColKind) {
        for (int32_t kind : KindsInList) {
            if (KindText(kind) == text) {
                showMessage({}, row, column);
                emit kindEdited(row, kind);
                return true;
            }
        }
        showMessage(tr("種類は「正像」「鏡像」「線分」のどれかです"), row, column);
        return false;
    }
    QString error;
    const std::optional<long double> value = ParseCell(text, &error);
    if (!value) {
        showMessage(error, row, column);
        return false;
    }
    const BranchTable values = NormalizedCopy(m_table);
    const std::optional<RowValues> edited =
        EditedRowValues(values.Branches[static_cast<size_t>(row)], FieldOf(column), *value);
    if (!edited) {
        showMessage(tr("長さは 0 以上です"), row, column);
        return false;
    }
    showMessage({}, row, column);
    emit valuesEdited(row, *edited);
    return true;
}

void BranchValuesWindow::keyPressEvent(QKeyEvent *e)
{
    // Escape outside a cell closes the window (inside one, the cell's editor takes it).
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace ramulet
