#pragma once
// The records of the catalogue, all of them or those a search finds, read on
// demand: only their IDs are kept (eight bytes a row), read when the rows are
// asked for; the fields are read a page at a time when a grid or the report asks
// for them. A snapshot keeps the rows as they were when their IDs were read,
// whatever other windows change meanwhile; live rows show what the table holds
// when each page is read.
#include "core/catalogue/RowSource.h"
#include "core/engines/Engine.h"

#include <QHash>
#include <QList>
#include <memory>
#include <vector>

namespace db {

class QueryRowSource : public RowSource {
public:
    enum class Reading { Snapshot, Live };
    // Reads the IDs of the records of the catalogue at `location`, in ID order:
    // every record, or those `search` finds. Throws DbError.
    QueryRowSource(const QString &location, Reading reading, const std::optional<Search> &search = std::nullopt);
    // The same on a connection of the store's, kept while the rows are.
    QueryRowSource(std::shared_ptr<Connection> connection, Reading reading,
                   const std::optional<Search> &search = std::nullopt);
    ~QueryRowSource() override;

    int rowCount() const override { return int(m_ids.size()); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(int row, int column) const override; // throws DbError

    qint64 rowId(int row) const { return m_ids.at(size_t(row)); }
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
    using Page = std::vector<QVariantList>;
    const Page &page(int index) const;

    std::shared_ptr<Connection> m_connection;
    QStringList m_fields;
    std::vector<qint64> m_ids;
    mutable QHash<int, std::shared_ptr<Page>> m_pages;
    mutable QList<int> m_order; // pages, least recently read first
};

} // namespace db
