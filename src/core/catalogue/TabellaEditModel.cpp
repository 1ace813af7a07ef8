#include "core/catalogue/TabellaEditModel.h"

#include "core/catalogue/Store.h"

#include <algorithm>

namespace browse {

namespace {
// More deleted rows than this are shown by reading the rows again rather than
// by dropping them from the result one by one.
constexpr int rowsDroppedOneByOne = 1000;
} // namespace

TabellaEditModel::TabellaEditModel(const db::Store &store, QObject *parent) : db::RowSourceModel(parent), m_store(store)
{
}

void TabellaEditModel::setRows(std::shared_ptr<db::QueryRowSource> rows)
{
    m_pending.reset();
    setSource(std::move(rows));
}

void TabellaEditModel::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    if (!m_rows) {
        m_editable = editable;
        return;
    }
    const int placeholder = storedRowCount();
    if (editable) {
        beginInsertRows(QModelIndex(), placeholder, placeholder);
        m_editable = true;
        endInsertRows();
    } else {
        m_pending.reset();
        beginRemoveRows(QModelIndex(), placeholder, placeholder);
        m_editable = false;
        endRemoveRows();
    }
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TabellaEditModel::rowsArriving(int count)
{
    // Rows arrive before the new-record row, which moves down with its typing.
    if (m_pending && m_pending->adding)
        m_pending->row += count;
}

int TabellaEditModel::newRow() const
{
    return m_editable && m_rows ? storedRowCount() : -1;
}

int TabellaEditModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return storedRowCount() + (m_editable ? 1 : 0);
}

bool TabellaEditModel::isCounterColumn(int column) const
{
    return m_fields.value(column).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
}

QVariant TabellaEditModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    if (m_pending && m_pending->row == index.row()) {
        const auto typed = m_pending->values.constFind(index.column());
        if (typed != m_pending->values.constEnd())
            return shown(*typed);
    }
    if (index.row() >= storedRowCount())
        return QVariant();
    return db::RowSourceModel::data(index, role);
}

QVariant TabellaEditModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        // The row selectors mark the row holding an unsaved change and the new row.
        if (section == pendingRow())
            return QStringLiteral("\u270E");
        if (section == newRow())
            return QStringLiteral("*");
        return QVariant();
    }
    return db::RowSourceModel::headerData(section, orientation, role);
}

Qt::ItemFlags TabellaEditModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = db::RowSourceModel::flags(index);
    if (index.isValid() && m_editable && !isCounterColumn(index.column()))
        result |= Qt::ItemIsEditable;
    return result;
}

bool TabellaEditModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || !(flags(index) & Qt::ItemIsEditable))
        return false;
    // One row holds unsaved changes at a time; the window stores it when the user
    // leaves it, before another row can be changed.
    if (m_pending && m_pending->row != index.row())
        return false;
    if (!m_pending && data(index, Qt::EditRole).toString() == value.toString())
        return true; // an editor left as it was changes nothing
    const bool started = !m_pending;
    if (started) {
        m_pending = PendingEdit{index.row(), index.row() == newRow(), {}, {}};
        // The row as the grid shows it now, values as read (a missing value stays
        // missing): storing compares it with the row as stored then.
        if (!m_pending->adding) {
            for (int column = 0; column < columnCount(); ++column)
                m_pending->seen.insert(m_fields.at(column), read(index.row(), column));
        }
    }
    m_pending->values.insert(index.column(), value);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (started) {
        emit headerDataChanged(Qt::Vertical, index.row(), index.row());
        emit rowChangeStarted();
    }
    return true;
}

void TabellaEditModel::discardPendingEdit()
{
    if (!m_pending)
        return;
    const int row = m_pending->row;
    m_pending.reset();
    rows()->invalidate(); // read again: another copy of the program may have changed the row
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

void TabellaEditModel::storePendingEdit(IfChangedMeanwhile ifChanged)
{
    if (!m_pending || !m_rows)
        return;
    // A new record comes after every row of the table: those still to come first.
    if (m_pending->adding)
        rows()->readAll();
    const PendingEdit edit = *m_pending;
    QMap<QString, QVariant> fields;
    for (auto typed = edit.values.cbegin(); typed != edit.values.cend(); ++typed)
        fields.insert(m_fields.at(typed.key()), typed.value());
    qint64 newId = 0;
    if (edit.adding)
        newId = m_store.addRecordFields(fields);
    else
        m_store.updateRecordFields(rows()->rowId(edit.row), fields,
                                   ifChanged == IfChangedMeanwhile::Refuse ? std::optional(edit.seen) : std::nullopt);

    if (edit.adding) {
        // The stored record comes in before the new-record row, which then empties.
        const int at = storedRowCount();
        beginInsertRows(QModelIndex(), at, at);
        rows()->appendRow(newId);
        ++m_shownRows;
        m_pending->row = at + 1;
        endInsertRows();
        m_pending.reset();
        emit dataChanged(index(at + 1, 0), index(at + 1, columnCount() - 1));
    } else {
        m_pending.reset();
        rows()->invalidate();
        emit dataChanged(index(edit.row, 0), index(edit.row, columnCount() - 1));
    }
    emit headerDataChanged(Qt::Vertical, edit.row, rowCount() - 1);
    emit rowStored();
}

void TabellaEditModel::deleteRows(QList<int> rowList)
{
    if (!m_editable || !m_rows)
        return;
    const int stored = storedRowCount();
    rowList.erase(
        std::remove_if(rowList.begin(), rowList.end(), [stored](int row) { return row < 0 || row >= stored; }),
        rowList.end());
    std::sort(rowList.begin(), rowList.end());
    rowList.erase(std::unique(rowList.begin(), rowList.end()), rowList.end());
    if (rowList.isEmpty())
        return;
    if (m_pending) {
        if (rowList.contains(m_pending->row))
            discardPendingEdit(); // the changed row goes away with its change
        else
            storePendingEdit();
    }

    QList<qint64> ids;
    for (int row : rowList)
        ids.append(rows()->rowId(row));
    m_store.deleteRecords(ids);

    if (rowList.size() > rowsDroppedOneByOne) {
        reload();
        return;
    }
    for (auto row = rowList.crbegin(); row != rowList.crend(); ++row) {
        beginRemoveRows(QModelIndex(), *row, *row);
        rows()->removeRow(*row);
        --m_shownRows;
        endRemoveRows();
    }
}

void TabellaEditModel::reload()
{
    setRows(m_store.browseRows());
}

} // namespace browse
