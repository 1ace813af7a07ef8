#include "gui/kit/RowWindow.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

RowWindow::RowWindow(QAbstractItemModel &rows, QObject &owner) : QAbstractProxyModel(&owner)
{
    setSourceModel(&rows);
    m_count = countFrom(0);
    const auto reset = [this] {
        m_first = 0;
        m_count = countFrom(0);
        endResetModel();
        showPosition();
    };
    connect(&rows, &QAbstractItemModel::modelAboutToBeReset, this, &RowWindow::beginResetModel);
    connect(&rows, &QAbstractItemModel::modelReset, this, reset);
    connect(&rows, &QAbstractItemModel::layoutAboutToBeChanged, this, &RowWindow::beginResetModel);
    connect(&rows, &QAbstractItemModel::layoutChanged, this, reset);
    connect(&rows, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsInserted(first, last); });
    connect(&rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsAboutToBeRemoved(first, last); });
    connect(&rows, &QAbstractItemModel::rowsRemoved, this, &RowWindow::rowsRemoved);
    connect(&rows, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                const int top = std::max(topLeft.row(), m_first) - m_first;
                const int bottom = std::min(bottomRight.row(), m_first + m_count - 1) - m_first;
                if (top <= bottom)
                    emit dataChanged(index(top, topLeft.column()), index(bottom, bottomRight.column()), roles);
            });
    connect(&rows, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal) {
                    emit headerDataChanged(orientation, first, last);
                    return;
                }
                first = std::max(first, m_first) - m_first;
                last = std::min(last, m_first + m_count - 1) - m_first;
                if (first <= last)
                    emit headerDataChanged(orientation, first, last);
            });
}

RowWindow::~RowWindow()
{
    delete m_bar.data();
}

int RowWindow::sourceRows() const
{
    return sourceModel()->rowCount();
}

int RowWindow::countFrom(int first) const
{
    return std::clamp(sourceRows() - first, 0, m_capacity);
}

QAbstractItemModel *RowWindow::rowsOf(QAbstractItemModel *model)
{
    const auto *window = qobject_cast<RowWindow *>(model);
    return window ? window->sourceModel() : model;
}

int RowWindow::rowOf(const QModelIndex &index)
{
    const auto *window = qobject_cast<const RowWindow *>(index.model());
    return window && index.isValid() ? window->m_first + index.row() : index.row();
}

void RowWindow::setCurrent(QAbstractItemView &view, const QModelIndex &row)
{
    auto *window = qobject_cast<RowWindow *>(view.model());
    view.setCurrentIndex(window ? window->shown(row) : row);
}

// ---- the model ----

QModelIndex RowWindow::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid())
        return QModelIndex();
    return sourceModel()->index(m_first + proxyIndex.row(), proxyIndex.column());
}

QModelIndex RowWindow::mapFromSource(const QModelIndex &sourceIndex) const
{
    const int row = sourceIndex.row() - m_first;
    if (!sourceIndex.isValid() || row < 0 || row >= m_count)
        return QModelIndex();
    return createIndex(row, sourceIndex.column());
}

QModelIndex RowWindow::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_count || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex RowWindow::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int RowWindow::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int RowWindow::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : sourceModel()->columnCount();
}

QVariant RowWindow::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Headings stay also when the window holds no row.
    return sourceModel()->headerData(orientation == Qt::Vertical ? m_first + section : section, orientation, role);
}

void RowWindow::setCapacity(int rows)
{
    beginResetModel();
    m_capacity = std::max(1, rows);
    m_first = 0;
    m_count = countFrom(0);
    endResetModel();
    showPosition();
}

// ---- the rows' changes ----

void RowWindow::rowsInserted(int first, int last)
{
    const int added = last - first + 1;
    if (first < m_first) {
        m_first += added; // before the window: it keeps its rows
    } else if (first <= m_first + m_count) {
        const bool holdsTheEnd = m_first + m_count + added == sourceRows();
        const int at = first - m_first;
        const int fit = std::min(added, m_capacity - at);
        if (fit > 0) {
            beginInsertRows(QModelIndex(), at, at + fit - 1);
            m_count += fit;
            endInsertRows();
        }
        const int excess = m_count - m_capacity;
        if (excess > 0 && holdsTheEnd) { // the last rows stay, the first ones leave
            beginRemoveRows(QModelIndex(), 0, excess - 1);
            m_first += excess;
            m_count = m_capacity;
            endRemoveRows();
        } else if (excess > 0) { // rows pushed past the window's end leave it
            beginRemoveRows(QModelIndex(), m_capacity, m_count - 1);
            m_count = m_capacity;
            endRemoveRows();
        }
    }
    showPosition();
}

void RowWindow::rowsAboutToBeRemoved(int first, int last)
{
    m_removal.before = std::max(0, std::min(last + 1, m_first) - first);
    const int top = std::max(first, m_first);
    const int bottom = std::min(last, m_first + m_count - 1);
    m_removal.inside = std::max(0, bottom - top + 1);
    if (m_removal.inside > 0)
        beginRemoveRows(QModelIndex(), top - m_first, bottom - m_first);
}

void RowWindow::rowsRemoved()
{
    m_first -= m_removal.before;
    if (m_removal.inside > 0) {
        m_count -= m_removal.inside;
        endRemoveRows();
    }
    m_removal = {};
    takeRowsAfterWindow();
    showPosition();
}

void RowWindow::takeRowsAfterWindow()
{
    const int more = std::min(m_capacity - m_count, sourceRows() - (m_first + m_count));
    if (more <= 0)
        return;
    beginInsertRows(QModelIndex(), m_count, m_count + more - 1);
    m_count += more;
    endInsertRows();
}

// ---- moving ----

void RowWindow::moveTo(int row)
{
    const int target = std::clamp(row, 0, std::max(0, sourceRows() - m_capacity));
    if (target == m_first)
        return;
    const int count = countFrom(target);
    if (count != m_count) { // a window cut short by deletions at the end
        beginResetModel();
        m_first = target;
        m_count = count;
        endResetModel();
        return;
    }
    // The current row, the selection and open editors follow their rows, or leave
    // the window with them.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex &index : before) {
        const int moved = m_first + index.row() - target;
        after.append(moved >= 0 && moved < count ? createIndex(moved, index.column()) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    m_first = target;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QModelIndex RowWindow::shown(const QModelIndex &row)
{
    if (!row.isValid() || row.model() != sourceModel())
        return QModelIndex();
    if (row.row() < m_first || row.row() >= m_first + m_count)
        moveTo(row.row() - m_capacity / 2);
    return mapFromSource(row);
}

// ---- the view ----

void RowWindow::attach(QAbstractItemView &view)
{
    m_view = &view;
    // Rows, not pixels: the bar's positions are rows of the whole list.
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QScrollBar *own = view.verticalScrollBar();
    m_bar = new QScrollBar(Qt::Vertical, &view);
    m_bar->setObjectName(QStringLiteral("righe"));
    // In the place of the view's own bar, which still moves the rows in view.
    view.addScrollBarWidget(m_bar, Qt::AlignTop);
    own->hide();
    view.installEventFilter(this);
    connect(own, &QScrollBar::valueChanged, this, &RowWindow::viewScrolled);
    connect(own, &QScrollBar::rangeChanged, this, &RowWindow::viewScrolled);
    connect(m_bar, &QScrollBar::valueChanged, this, &RowWindow::barMoved);
    showPosition();
}

void RowWindow::showPosition()
{
    if (!m_bar || !m_view)
        return;
    const QScrollBar *own = m_view->verticalScrollBar();
    const QSignalBlocker quiet(m_bar);
    m_bar->setRange(0, own->maximum() + sourceRows() - m_count);
    m_bar->setPageStep(own->pageStep());
    m_bar->setSingleStep(own->singleStep());
    m_bar->setValue(m_first + own->value());
}

void RowWindow::viewScrolled()
{
    if (m_moving || !m_view)
        return;
    showPosition();
    const QScrollBar *own = m_view->verticalScrollBar();
    const int top = own->value();
    const int margin = m_capacity / 4;
    const bool nearStart = top < margin && m_first > 0;
    const bool nearEnd = top + own->pageStep() > m_count - margin && m_first + m_count < sourceRows();
    if (nearStart || nearEnd)
        barMoved(m_first + top); // the same rows in view, the window around them
}

void RowWindow::barMoved(int row)
{
    if (!m_view)
        return;
    QScrollBar *own = m_view->verticalScrollBar();
    const int inView = own->pageStep();
    m_moving = true;
    if (row < m_first + m_capacity / 4 || row + inView > m_first + m_count - m_capacity / 4)
        moveTo(row - (m_capacity - inView) / 2);
    own->setValue(row - m_first);
    m_moving = false;
    showPosition();
}

bool RowWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Ctrl+Home and Ctrl+End (Home and End in a list) go to the first and last
    // row of all: the window moves there first, the current cell into it, and
    // the view goes on from there. Without a current cell the view goes to its
    // first row, which is then the first of all.
    // (The event's type first: a view being destroyed still sends events here, and
    // is no longer a view.)
    if (event->type() == QEvent::KeyPress && watched == m_view) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool wholeList = !qobject_cast<QTableView *>(m_view.data()) || key->modifiers() & Qt::ControlModifier;
        if (wholeList && (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            const QModelIndex current = m_view->currentIndex();
            moveTo(key->key() == Qt::Key_End && current.isValid() ? sourceRows() : 0);
            if (current.isValid() && !m_view->currentIndex().isValid())
                m_view->selectionModel()->setCurrentIndex(index(0, current.column()), QItemSelectionModel::NoUpdate);
        }
    }
    return QAbstractProxyModel::eventFilter(watched, event);
}
