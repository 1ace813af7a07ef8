#pragma once
// The records of the catalogue, all of them or those a search finds, read on
// demand and holding no transaction open. Which records, and in what order (their
// IDs'), is settled when the rows are asked for: the first IDs are read at once,
// the rest a batch at a time while the program waits for the user, records added
// meanwhile left out. The fields are read a page at a time when a grid or the
// report shows them, as the catalogue holds them then: a record deleted meanwhile
// comes back empty.
#include "core/catalogue/IdList.h"
#include "core/catalogue/RowSource.h"
#include "core/engines/Engine.h"

#include <QHash>
#include <QList>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class QueryRowSource : public RowSource {
    Q_OBJECT
public:
    // The records of the catalogue at `location`: every record, or those `search`
    // finds. Throws DbError.
    explicit QueryRowSource(const QString &location, const std::optional<Search> &search = std::nullopt);
    // The same on a connection of the store's, kept while the rows are.
    explicit QueryRowSource(std::shared_ptr<Connection> connection, const std::optional<Search> &search = std::nullopt);
    ~QueryRowSource() override;

    int rowCount() const override { return int(m_ids.size()); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(int row, int column) const override; // throws DbError
    bool complete() const override { return m_complete; }
    void readAll() override;

    qint64 rowId(int row) const { return m_ids.at(row); }
    // Forgets the pages read, so that rows changed since are read again.
    void invalidate() const
    {
        m_pages.clear();
        m_order.clear();
    }
    // Drops one row from the result (after it was deleted from the table).
    void removeRow(int row);
    // Adds a row id at the end, once every row has arrived (after a row was added
    // to the table, which gave it an ID above all others).
    void appendRow(qint64 id);

private:
    using Page = std::vector<QVariantList>;
    const Page &page(int index) const;
    // Reads up to `limit` more IDs and tells of them; throws DbError.
    void readIds(qint64 limit);
    void readNextBatch();

    std::shared_ptr<Connection> m_connection;
    std::optional<Search> m_search;
    QStringList m_fields;
    IdList m_ids;
    IdRange m_unread;        // the IDs still to read: above the last read, up to the highest at the start
    qint64 m_batch = 0;      // IDs the next batch reads
    bool m_complete = false;
    mutable QHash<int, std::shared_ptr<Page>> m_pages;
    mutable QList<int> m_order; // pages, least recently read first
};

} // namespace db
