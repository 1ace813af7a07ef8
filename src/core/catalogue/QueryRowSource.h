#pragma once
// The rows of a statement on the catalogue, read on demand: only the row ids of
// the result are kept (eight bytes a row); the fields are read a page at a time
// when a grid or the report asks for them. With `snapshot` the rows stay as they
// were when the statement ran, whatever other windows change meanwhile.
#include "core/engines/Connection.h"
#include "core/catalogue/RowSource.h"

#include <QHash>
#include <QList>
#include <memory>
#include <vector>

namespace db {

class QueryRowSource : public RowSource {
public:
    // Runs `statement` (a SELECT on one table, or a bare table name) on the
    // catalogue named by `connectionText`. Throws DbError.
    QueryRowSource(const QString &connectionText, const QString &statement, bool snapshot = true);
    ~QueryRowSource() override;

    int rowCount() const override { return int(m_ids.size()); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(int row, int column) const override; // throws DbError

    qint64 rowId(int row) const { return m_ids.at(size_t(row)); }
    const QString &table() const { return m_table; }
    const QString &statement() const { return m_statement; }
    // Forgets the pages read, so that rows changed since are read again.
    void invalidate() const
    {
        m_pages.clear();
        m_order.clear();
    }
    // Drops one row from the result (after it was deleted from the table).
    void removeRow(int row);
    // Adds a row id at the end (after a row was added to the table).
    void appendRow(qint64 id);

private:
    using Page = std::vector<QVector<QVariant>>;
    const Page &page(int index) const;
    void readIds(const QString &idStatement);

    Connection m_connection;
    QString m_statement;
    QString m_table;
    QStringList m_fields;
    std::vector<qint64> m_ids;
    bool m_snapshot;
    mutable QHash<int, std::shared_ptr<Page>> m_pages;
    mutable QList<int> m_order; // pages, least recently read first
};

} // namespace db
