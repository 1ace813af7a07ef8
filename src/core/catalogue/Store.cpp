#include "core/catalogue/Store.h"

#include "core/engines/DbError.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/engines/Schema.h"

namespace db {

namespace {
const QString &tabella()
{
    return schema::tabella().name;
}

// The values of the grid as they may be stored: texts without NUL characters.
QMap<QString, QVariant> storableValues(const QMap<QString, QVariant> &fields)
{
    QMap<QString, QVariant> values;
    for (auto field = fields.cbegin(); field != fields.cend(); ++field)
        values.insert(field.key(), field.value().typeId() == QMetaType::QString
                                       ? QVariant(storable(field.value().toString()))
                                       : field.value());
    return values;
}
} // namespace

QString storable(QString text)
{
    return text.remove(QChar(0));
}

// The connections a store keeps open to a server between its calls. Each call
// borrows an idle one, asked first whether the server still answers (a server
// restarted or a network gone meanwhile has dropped it: a new one is opened), and
// gives it back at its end; a row source keeps its own while it lives. So a
// workstation signs in once, not for every action, and holds no more sessions than
// it has windows reading.
class KeptConnections : public std::enable_shared_from_this<KeptConnections> {
public:
    KeptConnections(QString location, const Engine &engine) : m_location(std::move(location)), m_engine(engine) {}

    std::shared_ptr<Connection> lend()
    {
        if (!m_engine.keepsConnections())
            return m_engine.connect(m_location);
        std::unique_ptr<Connection> connection;
        while (!connection && !m_idle.empty()) {
            connection = std::move(m_idle.back());
            m_idle.pop_back();
            if (!connection->answers())
                connection.reset();
        }
        if (!connection)
            connection = m_engine.connect(m_location);
        return std::shared_ptr<Connection>(connection.release(), [kept = weak_from_this()](Connection *lent) {
            std::unique_ptr<Connection> back(lent);
            back->rollback(); // whatever a failed call left open ends here
            if (const auto self = kept.lock(); self && self->m_idle.size() < idleKept)
                self->m_idle.push_back(std::move(back));
        });
    }

private:
    // More than the windows that read at once never wait idle.
    static constexpr size_t idleKept = 4;
    const QString m_location;
    const Engine &m_engine;
    std::vector<std::unique_ptr<Connection>> m_idle;
};

Store::Store(QString catalogPath)
    : m_path(std::move(catalogPath)), m_engine(&Engine::of(m_path)),
      m_kept(std::make_shared<KeptConnections>(m_path, *m_engine))
{
}

std::shared_ptr<Connection> Store::connect() const
{
    return m_kept->lend();
}

// ---- document counter ----

counter::Reading Store::readCounter() const
{
    return counter::read(*connect());
}

counter::Reading Store::storeCounter(qint64 number, std::optional<qint64> expected) const
{
    const auto connection = connect();
    counter::Reading found;
    inChange(*connection, [&] {
        found = counter::read(*connection);
        if (expected && (found.problem != counter::Reading::None || found.last != *expected))
            return; // changed meanwhile by another copy of the program
        found = counter::store(*connection, number);
    });
    return found;
}

// ---- records ----

qint64 Store::addRecord(const NewRecord &record, qint64 documentNumber) const
{
    qint64 id = 0;
    const auto connection = connect();
    // The row and the counter together or not at all: a program ended between
    // the two never gives the same number twice. The write lock is held from the
    // start, so no other copy of the program can take the number meanwhile.
    inChange(*connection, [&] {
        const counter::Reading counterNow = counter::read(*connection);
        if (counterNow.problem != counter::Reading::None)
            throw Refusal(QStringLiteral("La registrazione non è stata inserita.\n")
                          + counter::problemMessage(counterNow, m_path));
        if (counterNow.last != documentNumber - 1) {
            const qint64 next = counterNow.last + 1;
            throw NumberTaken(QStringLiteral("Il numero di documento %1 è stato assegnato nel frattempo da un'altra "
                                             "copia del programma: la registrazione non è stata inserita.\n"
                                             "Il numero ora libero è %2: i dati scritti sono rimasti, premere "
                                             "\"Inserisci\" per inserirla con questo numero.")
                                  .arg(documentNumber)
                                  .arg(next),
                              next);
        }
        id = connection->insert(tabella(), {{QStringLiteral("Chiave"), storable(record.chiave)},
                                            {QStringLiteral("Argomento"), storable(record.argomento)},
                                            {QStringLiteral("Testo"), storable(record.testo)},
                                            {QStringLiteral("Pubblicazione"), storable(record.pubblicazione)},
                                            {QStringLiteral("N°"), storable(record.numero)},
                                            {QStringLiteral("Data"), storable(record.data)},
                                            {QStringLiteral("Pag"), storable(record.pag)},
                                            {QStringLiteral("Par"), storable(record.par)},
                                            {QStringLiteral("Note"), storable(record.note)},
                                            {QStringLiteral("Allocazione"), storable(record.allocazione)},
                                            {QStringLiteral("Prog"), QString::number(documentNumber)}});
        counter::store(*connection, documentNumber);
    });
    return id;
}

bool Store::deleteRecord(qint64 id) const
{
    const auto connection = connect();
    bool deleted = false;
    inChange(*connection, [&] { deleted = connection->remove(tabella(), id); });
    return deleted;
}

std::shared_ptr<QueryRowSource> Store::recordList() const
{
    return std::make_shared<QueryRowSource>(connect());
}

// ---- lookup lists ----

QList<LookupEntry> Store::lookupEntries(lookups::List list) const
{
    const QString table = lookups::tableName(list);
    QList<LookupEntry> entries;
    for (const QVariantList &row : connect()->rows(table, {QStringLiteral("ID"), table}))
        entries.append({row.at(0).toLongLong(), row.at(1).toString()});
    return entries;
}

void Store::addLookupEntry(lookups::List list, const QString &text) const
{
    const QString table = lookups::tableName(list);
    const auto connection = connect();
    inChange(*connection, [&] { connection->insert(table, {{table, storable(text)}}); });
}

bool Store::renameLookupEntry(lookups::List list, qint64 id, const QString &text) const
{
    const QString table = lookups::tableName(list);
    return connect()->update(table, id, {{table, text}});
}

bool Store::deleteLookupEntry(lookups::List list, qint64 id) const
{
    return connect()->remove(lookups::tableName(list), id);
}

// ---- service functions ----

namespace {
// What touches every record waits until no other workstation has the catalogue
// open: their screens and numbers would no longer be true.
void requireNoOtherWorkstation(Connection &connection, const QString &action)
{
    const int others = connection.otherWorkstations();
    if (others > 0)
        throw Refusal(QStringLiteral("%1 non è possibile mentre il catalogo è aperto su altre postazioni (%2).\n"
                                     "Chiudere il programma sulle altre postazioni e riprovare: nulla è stato "
                                     "cambiato.")
                          .arg(action)
                          .arg(others));
}
} // namespace

void Store::deleteAllRecords() const
{
    const auto connection = connect();
    inChange(*connection, [&] {
        requireNoOtherWorkstation(*connection, QStringLiteral("L'eliminazione di tutti i record"));
        connection->removeAll(tabella());
    });
}

void Store::restartNumbering() const
{
    const auto connection = connect();
    inChange(*connection, [&] {
        requireNoOtherWorkstation(*connection, QStringLiteral("Far ripartire la numerazione"));
        connection->numberAfter(tabella(), 0);
    });
}

// ---- search window ----

std::shared_ptr<QueryRowSource> Store::catalogueSnapshot() const
{
    return std::make_shared<QueryRowSource>(connect());
}

std::shared_ptr<QueryRowSource> Store::search(const Search &search) const
{
    return std::make_shared<QueryRowSource>(connect(), search);
}

// ---- browse window and report ----

std::shared_ptr<QueryRowSource> Store::browseRows() const
{
    return std::make_shared<QueryRowSource>(connect());
}

std::shared_ptr<QueryRowSource> Store::reportRows() const
{
    return std::make_shared<QueryRowSource>(connect());
}

namespace {
// Two values as the catalogue holds them: a missing value (NULL) is not the empty
// text, and a text is compared exactly.
bool sameStoredValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b;
}
} // namespace

void Store::updateRecordFields(qint64 rowId, const QMap<QString, QVariant> &fields,
                               const std::optional<QMap<QString, QVariant>> &seen) const
{
    const auto connection = connect();
    inChange(*connection, [&] {
        const std::optional<QMap<QString, QVariant>> stored = connection->row(tabella(), rowId);
        if (!stored)
            throw Refusal(QStringLiteral("La modifica non è stata salvata: il record non è più nel catalogo "
                                         "(è stato eliminato nel frattempo)."));
        // Read inside the write transaction: no other copy of the program can
        // change the record between this comparison and the update.
        if (seen) {
            for (auto field = seen->cbegin(); field != seen->cend(); ++field) {
                const QString name = schema::fieldOf(schema::tabella(), field.key());
                if (name.isEmpty())
                    throw DbError(QStringLiteral("Il campo \"%1\" non esiste.").arg(field.key()));
                if (!sameStoredValue(stored->value(name), field.value()))
                    throw RecordChanged(QStringLiteral("Il record è stato modificato da un'altra postazione dopo che "
                                                       "lei ha iniziato a modificarlo."),
                                        *stored);
            }
        }
        connection->update(tabella(), rowId, storableValues(fields));
    });
}

qint64 Store::addRecordFields(const QMap<QString, QVariant> &fields) const
{
    const auto connection = connect();
    qint64 id = 0;
    inChange(*connection, [&] { id = connection->insert(tabella(), storableValues(fields)); });
    return id;
}

void Store::deleteRecords(const QList<qint64> &rowIds) const
{
    const auto connection = connect();
    inChange(*connection, [&] { connection->remove(tabella(), rowIds); });
}

// ---- export ----

qint64 Store::recordCount() const
{
    return connect()->count(schema::tabella().name);
}

void Store::eachRecord(const std::function<bool(const QVariantList &)> &take) const
{
    struct Stop {};
    const auto connection = connect();
    try {
        connection->eachRow(schema::tabella().name, schema::tabella().fieldNames(), [&](const QVariantList &values) {
            if (!take(values))
                throw Stop();
        });
    } catch (const Stop &) {
    }
}

// ---- start-up ----

bool Store::searchIndexWantsRepair() const
{
    return m_engine->searchIndexWantsRepair(m_path);
}

IndexRepair Store::checkSearchIndex(const IndexProgress &progress) const
{
    return m_engine->checkSearchIndex(m_path, progress);
}

} // namespace db
