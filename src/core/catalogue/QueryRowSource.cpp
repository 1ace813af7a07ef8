#include "core/catalogue/QueryRowSource.h"

namespace db {

namespace {
constexpr int pageSize = 128;
constexpr int pagesKept = 64;
} // namespace

QueryRowSource::QueryRowSource(const QString &location, Reading reading, const std::optional<Search> &search)
    : QueryRowSource(std::shared_ptr<Connection>(connect(location)), reading, search)
{
}

QueryRowSource::QueryRowSource(std::shared_ptr<Connection> connection, Reading reading,
                               const std::optional<Search> &search)
    : m_connection(std::move(connection)), m_fields(m_connection->fieldsOf(schema::tabella().name))
{
    // A read transaction: what a search index says and the rows it points to are
    // of the same moment. It lasts as long as the snapshot, or while the IDs are read.
    m_connection->beginSnapshot();
    m_connection->readIds(search, m_ids);
    if (reading == Reading::Live)
        m_connection->rollback();
}

QueryRowSource::~QueryRowSource() = default; // the connection, given back, rolls its snapshot back

QVariant QueryRowSource::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_fields.size())
        return QVariant();
    const Page &rows = page(row / pageSize);
    return rows.at(size_t(row % pageSize)).value(column);
}

const QueryRowSource::Page &QueryRowSource::page(int index) const
{
    if (auto found = m_pages.find(index); found != m_pages.end()) {
        m_order.removeOne(index);
        m_order.append(index);
        return **found;
    }
    const size_t first = size_t(index) * pageSize;
    const size_t last = std::min(m_ids.size(), first + pageSize);
    // A page that cannot be read is an error, never blank rows: nothing is kept,
    // so the next read tries again. A row deleted meanwhile shows empty.
    const QHash<qint64, QVariantList> byId
        = m_connection->rowsById(m_fields, std::span<const qint64>(m_ids.data() + first, last - first));
    auto rows = std::make_shared<Page>(last - first);
    for (size_t i = first; i < last; ++i)
        (*rows)[i - first] = byId.value(m_ids[i]);
    m_pages.insert(index, rows);
    m_order.append(index);
    while (m_order.size() > pagesKept)
        m_pages.remove(m_order.takeFirst());
    return *rows;
}

void QueryRowSource::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_ids.erase(m_ids.begin() + row);
    invalidate();
}

void QueryRowSource::appendRow(qint64 id)
{
    m_ids.push_back(id);
    invalidate();
}

} // namespace db
