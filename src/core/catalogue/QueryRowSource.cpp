#include "core/catalogue/QueryRowSource.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace db {

namespace {
constexpr int pageSize = 128;
constexpr int pagesKept = 64;
// The first batch: more than any window shows at once, read before it shows them.
constexpr qint64 firstBatch = 1024;
// The batches after it are sized to take about this long, so that the window
// answers the user between two of them.
constexpr double batchMilliseconds = 20;
constexpr qint64 smallestBatch = 1024;
constexpr qint64 largestBatch = 262144;
} // namespace

QueryRowSource::QueryRowSource(const QString &location, const std::optional<Search> &search)
    : QueryRowSource(std::shared_ptr<Connection>(db::connect(location)), search)
{
}

QueryRowSource::QueryRowSource(std::shared_ptr<Connection> connection, const std::optional<Search> &search)
    : m_connection(std::move(connection)), m_search(search), m_fields(m_connection->fieldsOf(schema::tabella().name))
{
    // Records added from now on are not part of the result.
    m_unread.upTo = m_connection->lastId();
    readIds(firstBatch);
    m_batch = 16 * firstBatch;
    if (!m_complete)
        QTimer::singleShot(0, this, &QueryRowSource::readNextBatch);
}

QueryRowSource::~QueryRowSource() = default;

void QueryRowSource::readIds(qint64 limit)
{
    const qint64 before = m_ids.size();
    IdRange range = m_unread;
    range.limit = limit;
    const qint64 handed = m_connection->readIds(m_search, range, [this](qint64 id) {
        m_ids.append(id);
        m_unread.after = id;
    });
    m_complete = handed < limit;
    if (m_ids.size() > before)
        emit rowsArrived();
    if (m_complete)
        emit completed();
}

void QueryRowSource::readNextBatch()
{
    if (m_complete)
        return; // read meanwhile by readAll()
    QElapsedTimer took;
    took.start();
    try {
        readIds(m_batch);
    } catch (const DbError &error) {
        emit arrivalFailed(error);
        return;
    }
    const double ms = std::max(1.0, double(took.nsecsElapsed()) / 1e6);
    m_batch = std::clamp(qint64(double(m_batch) * std::min(2.0, batchMilliseconds / ms)), smallestBatch, largestBatch);
    if (!m_complete)
        QTimer::singleShot(0, this, &QueryRowSource::readNextBatch);
}

void QueryRowSource::readAll()
{
    while (!m_complete)
        readIds(largestBatch);
}

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
    const qint64 first = qint64(index) * pageSize;
    const qint64 last = std::min(m_ids.size(), first + pageSize);
    std::vector<qint64> ids;
    for (qint64 row = first; row < last; ++row)
        ids.push_back(m_ids.at(row));
    // A page that cannot be read is an error, never blank rows: nothing is kept,
    // so the next read tries again. A row deleted meanwhile shows empty.
    const QHash<qint64, QVariantList> byId = m_connection->rowsById(m_fields, ids);
    auto rows = std::make_shared<Page>(ids.size());
    for (size_t i = 0; i < ids.size(); ++i)
        (*rows)[i] = byId.value(ids[i]);
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
    m_ids.removeAt(row);
    invalidate();
}

void QueryRowSource::appendRow(qint64 id)
{
    m_ids.append(id);
    invalidate();
}

} // namespace db
