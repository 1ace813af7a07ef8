#include "core/catalogue/Store.h"

#include "core/engines/Connection.h"
#include "core/catalogue/DbError.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/engines/Recordset.h"
#include "core/engines/SearchIndex.h"
#include "core/engines/Server.h"

namespace db {

namespace {
// Rows deleted by one statement of the grid's deletion.
constexpr int rowsPerDeletion = 500;

// A value of the grid as it may be stored: texts without NUL characters.
QVariant storableValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? QVariant(storable(value.toString())) : value;
}

QString searchPrefix(SearchField field)
{
    switch (field) {
    case SearchField::Chiave:
        return QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%");
    case SearchField::Argomento:
        return QStringLiteral("SELECT * FROM tabella WHERE argomento LIKE '%");
    case SearchField::Testo:
        return QStringLiteral("SELECT * FROM tabella WHERE testo LIKE '%");
    case SearchField::Pubblicazione:
        return QStringLiteral("SELECT * FROM tabella WHERE pubblicazione LIKE '%");
    }
    return QString();
}
} // namespace

QString storable(QString text)
{
    return text.remove(QChar(0));
}

Store::Store(QString catalogPath) : m_path(std::move(catalogPath))
{
}

bool Store::isServer() const
{
    return isServerLocation(m_path);
}

QString Store::connectionText() const
{
    return connectionTextA(m_path);
}

// ---- document counter ----

counter::Reading Store::readCounter() const
{
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    return counter::read(connection);
}

counter::Reading Store::storeCounter(qint64 number, std::optional<qint64> expected) const
{
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    counter::Reading found;
    inTransaction(connection, [&] {
        found = counter::read(connection);
        if (expected && (found.problem != counter::Reading::None || found.last != *expected))
            return; // changed meanwhile by another copy of the program
        found = counter::store(connection, number);
    });
    return found;
}

// ---- records ----

qint64 Store::addRecord(const NewRecord &record, qint64 documentNumber) const
{
    qint64 id = 0;
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    // The row and the counter together or not at all: a program ended between
    // the two never gives the same number twice. The write lock is held from the
    // start, so no other copy of the program can take the number meanwhile.
    inTransaction(connection, [&] {
        const counter::Reading counterNow = counter::read(connection);
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
        Recordset rows;
        // No row read: only the new one is written (a server would send the whole table).
        rows.open(QStringLiteral("SELECT * FROM Tabella WHERE 0 = 1"), connection, adOpenStatic, adLockOptimistic);
        id = rows.addNew();
        rows.setField(QStringLiteral("Chiave"), storable(record.chiave));
        rows.setField(QStringLiteral("Argomento"), storable(record.argomento));
        rows.setField(QStringLiteral("Testo"), storable(record.testo));
        rows.setField(QStringLiteral("Pubblicazione"), storable(record.pubblicazione));
        rows.setField(QStringLiteral("N°"), storable(record.numero));
        rows.setField(QStringLiteral("Data"), storable(record.data));
        rows.setField(QStringLiteral("Pag"), storable(record.pag));
        rows.setField(QStringLiteral("Par"), storable(record.par));
        rows.setField(QStringLiteral("Note"), storable(record.note));
        rows.setField(QStringLiteral("Allocazione"), storable(record.allocazione));
        rows.setField(QStringLiteral("Prog"), QString::number(documentNumber));
        rows.update();
        rows.close();
        counter::store(connection, documentNumber);
    });
    return id;
}

bool Store::deleteRecord(qint64 id) const
{
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    bool deleted = false;
    inTransaction(connection, [&] {
        Recordset rows;
        rows.open(QStringLiteral("Select * from Tabella where ID = ?"), connection, adOpenKeyset, adLockOptimistic, -1,
                  {id});
        if (rows.eof())
            return;
        rows.deleteCurrent();
        deleted = true;
    });
    return deleted;
}

std::shared_ptr<QueryRowSource> Store::recordList() const
{
    // Each page read on its own: no read transaction stays open to hold up a deletion.
    return std::make_shared<QueryRowSource>(connectionText(), QStringLiteral("SELECT * FROM  Tabella"), false);
}

// ---- lookup lists ----

QList<LookupEntry> Store::lookupEntries(lookups::List list) const
{
    const QString field = lookups::tableName(list);
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    Recordset rows;
    rows.open(QStringLiteral("SELECT * FROM ") + field, connection, adOpenKeyset);
    QList<LookupEntry> entries;
    for (; !rows.eof(); rows.moveNext())
        entries.append({rows.field(QStringLiteral("ID")).toLongLong(), rows.field(field).toString()});
    return entries;
}

void Store::addLookupEntry(lookups::List list, const QString &text) const
{
    const QString table = lookups::tableName(list);
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    inTransaction(connection, [&] {
        Recordset rows;
        rows.open(QStringLiteral("SELECT * FROM %1 WHERE 0 = 1").arg(table), connection, adOpenStatic,
                  adLockOptimistic);
        rows.addNew();
        rows.setField(table, storable(text));
        rows.update();
    });
}

namespace {
// Changes (text given) or deletes (no text) the lookup row with that ID.
bool changeLookupRow(const QString &connectionText, lookups::List list, qint64 id, const QString *text)
{
    const QString table = lookups::tableName(list);
    Connection connection;
    connection.open(connectionText, QString(), QString());
    Recordset row;
    row.open(QStringLiteral("SELECT * FROM %1 WHERE ID = ?").arg(table), connection, adOpenKeyset, adLockOptimistic, -1,
             {id});
    if (row.recordCount() == 0)
        return false;
    if (text) {
        row.setField(table, *text);
        row.update();
    } else {
        row.deleteCurrent();
    }
    return true;
}
} // namespace

bool Store::renameLookupEntry(lookups::List list, qint64 id, const QString &text) const
{
    return changeLookupRow(connectionText(), list, id, &text);
}

bool Store::deleteLookupEntry(lookups::List list, qint64 id) const
{
    return changeLookupRow(connectionText(), list, id, nullptr);
}

// ---- service functions ----

namespace {
// On a server, what touches every record waits until no other workstation has
// the catalogue open: their screens and numbers would no longer be true.
void requireNoOtherWorkstation(Connection &connection, const QString &action)
{
    if (!connection.isServer())
        return;
    const int others = otherWorkstations(connection.database(), connection.path());
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
    Connection connection;
    connection.open(connectionText(), QString(), QString());
    inTransaction(connection, [&] {
        requireNoOtherWorkstation(connection, QStringLiteral("L'eliminazione di tutti i record"));
        connection.execute(QStringLiteral("DELETE * FROM tabella "));
    });
}

void Store::restartNumbering() const
{
    Connection connection;
    connection.ConnectionString = connectionText();
    connection.open();
    inTransaction(connection, [&] {
        requireNoOtherWorkstation(connection, QStringLiteral("Far ripartire la numerazione"));
        connection.execute(QStringLiteral("ALTER TABLE Tabella ALTER COLUMN ID COUNTER(1,1)"));
    });
}

// ---- search window ----

QString Store::searchStatement(SearchField field, const QString &fragment)
{
    QString inside = fragment;
    inside.replace(QLatin1Char('\''), QStringLiteral("''"));
    return searchPrefix(field) + inside + QStringLiteral("%'");
}

std::shared_ptr<QueryRowSource> Store::catalogueSnapshot() const
{
    return std::make_shared<QueryRowSource>(connectionText(), QStringLiteral("SELECT * FROM tabella"), true);
}

std::shared_ptr<QueryRowSource> Store::searchSnapshot(const QString &statement) const
{
    return std::make_shared<QueryRowSource>(connectionText(), statement, true);
}

// ---- browse window and report ----

std::shared_ptr<QueryRowSource> Store::browseRows() const
{
    return std::make_shared<QueryRowSource>(connectionText(), QStringLiteral("select * from tabella;"), false);
}

std::shared_ptr<QueryRowSource> Store::reportRows() const
{
    return std::make_shared<QueryRowSource>(connectionTextB(m_path), QStringLiteral("SELECT * FROM Tabella"));
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

// Every field of the current row of `record`, field name -> value.
QMap<QString, QVariant> currentValues(const Recordset &record)
{
    QMap<QString, QVariant> values;
    for (const QString &name : record.fieldNames())
        values.insert(name, record.field(name));
    return values;
}
} // namespace

void Store::updateRecordFields(qint64 rowId, const QMap<QString, QVariant> &fields,
                               const std::optional<QMap<QString, QVariant>> &seen) const
{
    Connection connection;
    connection.open(connectionText());
    inTransaction(connection, [&] {
        Recordset record;
        record.open(QStringLiteral("SELECT * FROM Tabella WHERE rowid = ?"), connection, adOpenKeyset, adLockOptimistic,
                    -1, {rowId});
        if (record.eof())
            throw Refusal(QStringLiteral("La modifica non è stata salvata: il record non è più nel catalogo "
                                         "(è stato eliminato nel frattempo)."));
        // Read inside the write transaction: no other copy of the program can
        // change the record between this comparison and the update.
        if (seen) {
            for (auto field = seen->cbegin(); field != seen->cend(); ++field) {
                if (!sameStoredValue(record.field(field.key()), field.value()))
                    throw RecordChanged(QStringLiteral("Il record è stato modificato da un'altra postazione dopo che "
                                                       "lei ha iniziato a modificarlo."),
                                        currentValues(record));
            }
        }
        for (auto field = fields.cbegin(); field != fields.cend(); ++field)
            record.setField(field.key(), storableValue(field.value()));
        record.update();
    });
}

qint64 Store::addRecordFields(const QMap<QString, QVariant> &fields) const
{
    Connection connection;
    connection.open(connectionText());
    qint64 id = 0;
    inTransaction(connection, [&] {
        Recordset record;
        record.open(QStringLiteral("SELECT * FROM Tabella WHERE 0 = 1"), connection, adOpenKeyset, adLockOptimistic);
        id = record.addNew();
        for (auto field = fields.cbegin(); field != fields.cend(); ++field)
            record.setField(field.key(), storableValue(field.value()));
        record.update();
    });
    return id;
}

void Store::deleteRecords(const QList<qint64> &rowIds) const
{
    QStringList ids;
    for (qint64 id : rowIds)
        ids.append(QString::number(id));
    Connection connection;
    connection.open(connectionText());
    inTransaction(connection, [&] {
        for (qsizetype first = 0; first < ids.size(); first += rowsPerDeletion)
            connection.execute(QStringLiteral("DELETE FROM Tabella WHERE rowid IN (")
                               + ids.mid(first, rowsPerDeletion).join(QLatin1Char(',')) + QLatin1Char(')'));
    });
}

// ---- start-up ----

IndexRepair Store::checkSearchIndex(const IndexProgress &progress) const
{
    if (isServer())
        return IndexRepair::None; // the server keeps its own indexes
    return db::checkSearchIndex(m_path, progress);
}

} // namespace db
