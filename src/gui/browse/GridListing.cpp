#include "gui/browse/GridListing.h"

#include "gui/kit/Texts.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Printers.h"
#include "gui/kit/RowWindow.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QPainter>
#include <QPrinter>
#include <QStyledItemDelegate>
#include <QTableView>

namespace browse {

namespace {

constexpr int printedColumns = 7;
constexpr int tabColumn = 25; // column 1 is the line's first character
constexpr int blanksAfterCell = 10;

// Prints text the way a line printer does: a print position that moves along the
// line, tab stops counted in characters of the font, a new page when full. Text
// that would run past the right edge is not cut off: a text that fits on a line
// goes on the next line whole, a longer one is broken; what goes on below starts
// at the continuation column, so that the first column shows only the rows.
class LinePrinter {
public:
    LinePrinter(QPrinter &printer, QPainter &painter, int continuationColumn)
        : m_printer(printer), m_painter(painter), m_metrics(painter.font(), &printer)
    {
        m_blank = m_metrics.horizontalAdvance(QLatin1Char(' '));
        const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
        m_pageWidth = page.width();
        m_pageHeight = page.height();
        m_continuation = columnX(continuationColumn);
    }

    bool failed() const { return m_failed; }

    void print(QString text)
    {
        while (!text.isEmpty()) {
            const qsizetype fits = fittingLength(text);
            const bool continued = m_x > m_continuation + 0.5;
            if (fits < text.size() && continued
                && (fits == 0 || m_metrics.horizontalAdvance(text) <= m_pageWidth - m_continuation)) {
                wrap();
                continue;
            }
            const QString part = text.left(qMax<qsizetype>(fits, 1)); // at least one letter a line
            startLineOnPage();
            m_painter.drawText(QPointF(m_x, m_y + m_metrics.ascent()), part);
            m_x += m_metrics.horizontalAdvance(part);
            text.remove(0, part.size());
            if (!text.isEmpty())
                wrap();
        }
    }
    // Moves to character column `column`; past it already, to that column of the next line.
    void tab(int column)
    {
        const qreal target = columnX(column);
        if (m_x > target + 0.5)
            endLine();
        m_x = target;
    }
    // Blanks that would reach the right edge end the line.
    void blanks(int count)
    {
        m_x += count * m_blank;
        if (m_x > m_pageWidth)
            wrap();
    }
    void endLine()
    {
        m_x = 0;
        m_y += m_metrics.lineSpacing();
    }

private:
    qreal columnX(int column) const { return (column - 1) * m_blank; } // column 1 is the first
    void wrap()
    {
        endLine();
        m_x = m_continuation;
    }
    // How many leading letters of `text` fit between the print position and the right edge.
    qsizetype fittingLength(const QString &text) const
    {
        if (m_x + m_metrics.horizontalAdvance(text) <= m_pageWidth + 0.5)
            return text.size();
        qreal x = m_x;
        for (qsizetype i = 0; i < text.size(); ++i) {
            x += m_metrics.horizontalAdvance(text.at(i));
            if (x > m_pageWidth + 0.5)
                return i;
        }
        return text.size();
    }
    void startLineOnPage()
    {
        if (m_y > 0 && m_y + m_metrics.lineSpacing() > m_pageHeight) {
            m_failed = m_failed || !m_printer.newPage();
            m_y = 0;
        }
    }

    QPrinter &m_printer;
    QPainter &m_painter;
    QFontMetricsF m_metrics;
    qreal m_blank = 0;
    qreal m_pageWidth = 0;
    qreal m_pageHeight = 0;
    qreal m_continuation = 0;
    qreal m_x = 0;
    qreal m_y = 0;
    bool m_failed = false;
};

// A cell's text on one printed line: line breaks inside it become blanks.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

void tell(const AppContext &context, QWidget *parent, const QString &text)
{
    context.dialogs->message(parent, text, texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
}

void tellTooFewColumns(const AppContext &context, QWidget *parent)
{
    tell(context, parent, QStringLiteral("La griglia ha meno di sette colonne: impossibile stampare l'elenco."));
}

// True when row `row` exists, fetching more rows from a model that reads lazily.
bool hasRow(QAbstractItemModel &model, int row)
{
    while (row >= model.rowCount() && model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    return row < model.rowCount();
}

using CellText = std::function<QString(const QModelIndex &)>;

// Prints the listing; `columns` are the model columns of grid columns 0..6.
// Returns the number of rows printed, or -1 when nothing was printed.
int printRows(const AppContext &context, QWidget *parent, QAbstractItemModel &model, const QVector<int> &columns,
              const CellText &cellText)
{
    if (columns.size() < printedColumns) {
        tellTooFewColumns(context, parent);
        return -1;
    }
    const std::unique_ptr<QPrinter> printer = context.printers->defaultPrinter();
    if (!printer) {
        tell(context, parent, QStringLiteral("Nessuna stampante installata: impossibile stampare l'elenco."));
        return -1;
    }
    printer->setDocName(QStringLiteral("Elenco"));
    QPainter painter;
    if (!painter.begin(printer.get())) {
        tell(context, parent, QStringLiteral("Impossibile avviare la stampa: controllare la stampante."));
        return -1;
    }
    QFont font(gridListingFontFamily());
    font.setPointSize(gridListingFontPoints());
    painter.setFont(font);
    painter.setPen(Qt::black);

    LinePrinter line(*printer, painter, tabColumn);
    const auto cell
        = [&](int row, int gridColumn) { return oneLine(cellText(model.index(row, columns.at(gridColumn)))); };
    int row = 0;
    for (; hasRow(model, row) && !line.failed(); ++row) {
        line.print(cell(row, 0));
        line.tab(tabColumn);
        for (int column = 1; column <= 5; ++column) {
            line.print(cell(row, column));
            line.blanks(blanksAfterCell);
        }
        line.print(cell(row, 6));
        line.endLine();
    }
    const bool ended = painter.end();
    const QString problem = ended ? Printers::deliveryProblem(*printer) : QString();
    if (!ended || line.failed() || !problem.isEmpty()) {
        const QString failed = QStringLiteral("La stampa dell'elenco non è riuscita: controllare la stampante.");
        tell(context, parent, problem.isEmpty() ? failed : failed + QLatin1Char('\n') + problem);
        return -1;
    }
    return row;
}

} // namespace

QString gridListingFontFamily()
{
    return QStringLiteral("Courier New");
}
int gridListingFontPoints()
{
    return 10;
}

bool printGridListing(const AppContext &context, QWidget *parent, QAbstractItemModel &model)
{
    QVector<int> columns;
    for (int column = 0; column < model.columnCount(); ++column)
        columns.append(column);
    const CellText text = [](const QModelIndex &index) { return index.data(Qt::DisplayRole).toString(); };
    return printRows(context, parent, model, columns, text) >= 0;
}

bool printGridListing(const AppContext &context, QTableView &grid)
{
    // Every row of the grid, not only those of its window.
    QAbstractItemModel *model = RowWindow::rowsOf(grid.model());
    if (!model) {
        tellTooFewColumns(context, &grid);
        return false;
    }
    QVector<int> columns;
    const QHeaderView *header = grid.horizontalHeader();
    for (int visual = 0; visual < model->columnCount(); ++visual)
        columns.append(header->logicalIndex(visual));
    const QLocale locale = grid.locale();
    const CellText text = [&grid, locale](const QModelIndex &index) {
        const QVariant value = index.data(Qt::DisplayRole);
        const auto *delegate = qobject_cast<const QStyledItemDelegate *>(grid.itemDelegateForIndex(index));
        return delegate && value.isValid() ? delegate->displayText(value, locale) : value.toString();
    };
    const int printed = printRows(context, &grid, *model, columns, text);
    if (printed > 0)
        RowWindow::setCurrent(grid, model->index(printed - 1, columns.at(printedColumns - 1)));
    return printed >= 0;
}

} // namespace browse
