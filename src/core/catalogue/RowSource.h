#pragma once
// Random access to the rows of a result, read on demand. The report and the grids
// read through it, so that a million rows never need to sit in memory at once.
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace db {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int rowCount() const = 0;
    virtual QStringList fieldNames() const = 0;
    // Throws DbError when the row cannot be read.
    virtual QVariant value(int row, int column) const = 0;

    // Column of a field, without regard to letter case; -1 when absent.
    int columnOf(const QString &field) const;
};

// Rows held in memory: for small results and for tests.
class MemoryRowSource : public RowSource {
public:
    MemoryRowSource(QStringList fields, QVector<QVector<QVariant>> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows))
    {
    }
    int rowCount() const override { return int(m_rows.size()); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(int row, int column) const override { return m_rows.at(row).value(column); }

private:
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
};

} // namespace db
