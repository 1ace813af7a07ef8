#include "core/catalogue/RowSourceModel.h"

namespace db {

RowSourceModel::RowSourceModel(QObject *parent) : QAbstractTableModel(parent)
{
}

void RowSourceModel::setSource(std::shared_ptr<RowSource> rows)
{
    beginResetModel();
    if (m_rows)
        m_rows->disconnect(this);
    m_failureReported = false;
    m_rows = std::move(rows);
    m_fields = m_rows ? m_rows->fieldNames() : QStringList();
    m_shownRows = m_rows ? m_rows->rowCount() : 0;
    if (m_rows) {
        connect(m_rows.get(), &RowSource::rowsArrived, this, &RowSourceModel::takeArrivedRows);
        connect(m_rows.get(), &RowSource::arrivalFailed, this, &RowSourceModel::readFailed);
    }
    endResetModel();
}

void RowSourceModel::takeArrivedRows()
{
    const int arrived = m_rows->rowCount();
    if (arrived <= m_shownRows)
        return;
    beginInsertRows(QModelIndex(), m_shownRows, arrived - 1);
    rowsArriving(arrived - m_shownRows);
    m_shownRows = arrived;
    endInsertRows();
}

int RowSourceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rows ? 0 : m_shownRows;
}

int RowSourceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant RowSourceModel::shown(const QVariant &value)
{
    if (value.isNull())
        return QVariant();
    return value.toString();
}

QVariant RowSourceModel::data(const QModelIndex &index, int role) const
{
    if (!m_rows || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return shown(read(index.row(), index.column()));
}

QVariant RowSourceModel::read(int row, int column) const
{
    try {
        return m_rows->value(row, column);
    } catch (const DbError &error) {
        // Told once, and not from inside the view's painting.
        if (!m_failureReported) {
            m_failureReported = true;
            QMetaObject::invokeMethod(
                const_cast<RowSourceModel *>(this),
                [this, error] { emit const_cast<RowSourceModel *>(this)->readFailed(error); }, Qt::QueuedConnection);
        }
        return QVariant();
    }
}

QVariant RowSourceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole && section >= 0 && section < m_fields.size())
            return m_fields.at(section);
        return QVariant();
    }
    return QVariant(); // row selectors without numbers, as the grid shows them
}

} // namespace db
