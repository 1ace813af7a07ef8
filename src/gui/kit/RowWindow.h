#pragma once
// A list or grid of millions of rows, shown through a window of a few thousand.
// Qt's views keep a record for every row of their model (8 bytes a row in a
// table's row header, 4 in a list) and lay them all out when the model is set:
// 80 MB and most of a second for ten million rows. A RowWindow is the model the
// view is given instead: the rows from first() on, at most capacity() of them.
// Its scroll bar, put in the place of the view's own, spans every row; as the
// user scrolls, drags the bar or presses Ctrl+Home and Ctrl+End, the window moves
// so that the rows in view stay well inside it, and the current row, the
// selection and an open editor follow their rows. With fewer rows than its
// capacity the window holds them all and does nothing else.
#include <QAbstractProxyModel>
#include <QPointer>

class QAbstractItemView;
class QScrollBar;

class RowWindow : public QAbstractProxyModel {
    Q_OBJECT
public:
    static constexpr int defaultCapacity = 4096;

    // A window over `rows`, owned by `owner`; attach() a view to it.
    RowWindow(QAbstractItemModel &rows, QObject &owner);
    ~RowWindow() override;

    // Gives `view` (whose model this is) the scroll bar over every row.
    void attach(QAbstractItemView &view);

    int first() const { return m_first; }
    int capacity() const { return m_capacity; }
    void setCapacity(int rows);
    // Moves the window so that it starts at `row` of the rows, or as near as it can.
    void moveTo(int row);
    // The index in the window for `row` of the rows, after moving the window so
    // that it holds that row; invalid when there is no such row.
    QModelIndex shown(const QModelIndex &row);

    // For views that may show their rows through a window or not:
    // the model of `model`'s rows, when it is a window; else `model` itself;
    static QAbstractItemModel *rowsOf(QAbstractItemModel *model);
    // the row of the rows that an index of the view stands for;
    static int rowOf(const QModelIndex &index);
    // makes `row`, an index of the rows, the view's current index.
    static void setCurrent(QAbstractItemView &view, const QModelIndex &row);

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int sourceRows() const;
    // The rows the window holds with its start at `first`.
    int countFrom(int first) const;
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    void takeRowsAfterWindow();
    // The view scrolled: the bar shows where, and the window moves when the rows
    // in view come near its edge.
    void viewScrolled();
    // The user moved the bar.
    void barMoved(int row);
    void showPosition();

    int m_first = 0;
    int m_count = 0;
    int m_capacity = defaultCapacity;
    struct Removal {
        int before = 0; // rows removed before the window
        int inside = 0; // rows removed from it
    } m_removal;
    QPointer<QAbstractItemView> m_view;
    QPointer<QScrollBar> m_bar;
    bool m_moving = false;
};
