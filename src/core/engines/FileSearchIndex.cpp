#include "core/engines/FileSearchIndex.h"

#include "core/engines/DbError.h"
#include "core/engines/Like.h"
#include "core/engines/Schema.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <sqlite3.h>

namespace db {

namespace {

const char *const tokenizerName = "catalogo_trigrammi";
const QString indexTable = QStringLiteral("Tabella_ricerca");

// ---- the tokenizer: every run of three folded characters is a token ----

struct TrigramTokenizer {};

int createTokenizer(void *, const char **, int, Fts5Tokenizer **out)
{
    *out = reinterpret_cast<Fts5Tokenizer *>(new TrigramTokenizer);
    return SQLITE_OK;
}

void deleteTokenizer(Fts5Tokenizer *tokenizer)
{
    delete reinterpret_cast<TrigramTokenizer *>(tokenizer);
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// A NUL, which another program may store, cannot be part of a term of the index
// (the engine keeps terms as C strings): it stands as a byte that no UTF-8 text
// holds, so the trigrams around it keep their places and match no search.
constexpr char nulStandIn = char(0xFF);

int tokenize(Fts5Tokenizer *, void *context, int, const char *text, int bytes,
             int (*token)(void *, int, const char *, int, int, int))
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    bool ascii = true;
    for (int i = 0; i < bytes && ascii; ++i)
        ascii = s[i] < 0x80;
    if (ascii) {
        // Most fields are plain ASCII: fold in place, one byte a character.
        thread_local std::string lowered;
        lowered.assign(text, size_t(bytes));
        for (char &c : lowered)
            if (c >= 'A' && c <= 'Z')
                c = char(c + 32);
            else if (c == '\0')
                c = nulStandIn;
        for (int i = 0; i + 3 <= bytes; ++i)
            if (const int rc = token(context, 0, lowered.data() + i, 3, i, i + 3); rc != SQLITE_OK)
                return rc;
        return SQLITE_OK;
    }
    thread_local std::u32string folded;
    thread_local std::vector<int> offsets;
    decodeFolded(s, bytes, folded, &offsets);
    std::string trigram;
    for (size_t i = 0; i + 3 <= folded.size(); ++i) {
        trigram.clear();
        for (size_t k = i; k < i + 3; ++k)
            if (folded[k] == 0)
                trigram.push_back(nulStandIn);
            else
                appendUtf8(trigram, folded[k]);
        const int rc = token(context, 0, trigram.data(), int(trigram.size()), offsets[i], offsets[i + 3]);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

fts5_api *fts5Of(sqlite3 *handle)
{
    fts5_api *api = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, reinterpret_cast<void *>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

// ---- the objects of the index ----

const QString noteTable = QStringLiteral("Tabella_modifiche");
// The rows the index holds: one row of its table of document sizes for each.
const QString indexedRows = indexTable + QStringLiteral("_docsize");
// The fields in the order the index was always made with: its statements in the
// catalogue's schema are compared word for word.
const QString indexedFields = schema::searchableFields().join(QStringLiteral(", "));

QString indexTableStatement()
{
    return QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='Tabella', content_rowid='ID',"
                          " tokenize='%3', detail=full)")
        .arg(indexTable, indexedFields, QLatin1String(tokenizerName));
}

// One row for each ID changed since the index was last brought up to date:
// `indicizzato` 1 with the four fields as the index holds them (an external
// content index removes a row by the values it was given), 0 when the index holds
// nothing for that ID. The fields take any value as it is (no type), so that the
// index is given back exactly what it was given.
QString noteTableStatement()
{
    return QStringLiteral("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, indicizzato INTEGER NOT NULL, %2)")
        .arg(noteTable, indexedFields);
}

// Plain SQL, so that any client can change Tabella. Only the first note of an ID
// counts: it holds what the index holds. (Not "OR IGNORE": a REPLACE of the
// statement that fires the trigger would turn it into a REPLACE.) The checks
// before an insertion and an update also note a row that REPLACE would remove
// without firing the delete trigger.
QStringList noteTriggerStatements()
{
    const auto notNoted = [](const QString &id) {
        return QStringLiteral("NOT EXISTS (SELECT 1 FROM %1 WHERE ID = %2)").arg(noteTable, id);
    };
    // The rows of Tabella that `which` picks, as they are before the change.
    const auto noteRows = [&](const QString &which) {
        return QStringLiteral("INSERT INTO %1 SELECT ID, 1, %2 FROM Tabella AS t WHERE ID %3 AND %4;")
            .arg(noteTable, indexedFields, which, notNoted(QStringLiteral("t.ID")));
    };
    const QString noteNew = QStringLiteral("INSERT INTO %1 (ID, indicizzato) SELECT new.ID, 0 WHERE %2;")
                                .arg(noteTable, notNoted(QStringLiteral("new.ID")));
    return {
        QStringLiteral("CREATE TRIGGER %1_sostituzione BEFORE INSERT ON Tabella BEGIN %2 END")
            .arg(noteTable, noteRows(QStringLiteral("= new.ID"))),
        QStringLiteral("CREATE TRIGGER %1_aggiunta AFTER INSERT ON Tabella BEGIN %2 END").arg(noteTable, noteNew),
        QStringLiteral("CREATE TRIGGER %1_modifica BEFORE UPDATE OF ID, %2 ON Tabella BEGIN %3 %4 END")
            .arg(noteTable, indexedFields, noteRows(QStringLiteral("IN (old.ID, new.ID)")), noteNew),
        QStringLiteral("CREATE TRIGGER %1_eliminazione AFTER DELETE ON Tabella BEGIN INSERT INTO %1 SELECT old.ID, 1,"
                       " old.Chiave, old.Argomento, old.Testo, old.Pubblicazione WHERE %2; END")
            .arg(noteTable, notNoted(QStringLiteral("old.ID"))),
    };
}

QStringList noteTriggerNames()
{
    return {noteTable + QStringLiteral("_sostituzione"), noteTable + QStringLiteral("_aggiunta"),
            noteTable + QStringLiteral("_modifica"), noteTable + QStringLiteral("_eliminazione")};
}

// The triggers of older catalogues, which filled the index themselves through the
// tokenizer: while they were in place the index stayed exact.
QStringList legacyTriggerStatements()
{
    const QString oldValues = QStringLiteral("old.ID, old.Chiave, old.Argomento, old.Testo, old.Pubblicazione");
    const QString newValues = QStringLiteral("new.ID, new.Chiave, new.Argomento, new.Testo, new.Pubblicazione");
    const QString remove = QStringLiteral("INSERT INTO %1(%1, rowid, %2) VALUES ('delete', %3);")
                               .arg(indexTable, indexedFields, oldValues);
    const QString add
        = QStringLiteral("INSERT INTO %1(rowid, %2) VALUES (%3);").arg(indexTable, indexedFields, newValues);
    return {
        QStringLiteral("CREATE TRIGGER %1_aggiunta AFTER INSERT ON Tabella BEGIN %2 END").arg(indexTable, add),
        QStringLiteral("CREATE TRIGGER %1_eliminazione AFTER DELETE ON Tabella BEGIN %2 END").arg(indexTable, remove),
        QStringLiteral("CREATE TRIGGER %1_modifica AFTER UPDATE OF ID, %2 ON Tabella BEGIN %3 %4 END")
            .arg(indexTable, indexedFields, remove, add),
    };
}

QStringList legacyTriggerNames()
{
    return {indexTable + QStringLiteral("_aggiunta"), indexTable + QStringLiteral("_eliminazione"),
            indexTable + QStringLiteral("_modifica")};
}

// Remove the note, its triggers and those of older catalogues; the index stays.
QStringList noteDropStatements()
{
    QStringList statements;
    for (const QString &trigger : noteTriggerNames() + legacyTriggerNames())
        statements.append(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
    statements.append(QStringLiteral("DROP TABLE IF EXISTS %1").arg(noteTable));
    return statements;
}

// Every object the program makes for the index, as sqlite_master holds it.
QStringList wholeIndexStatements()
{
    return QStringList{indexTableStatement(), noteTableStatement()} + noteTriggerStatements();
}

// How many of those objects the catalogue holds exactly so: a statement with one
// placeholder for each.
QString wholeObjectsCount()
{
    QStringList marks;
    for (qsizetype i = 0; i < wholeIndexStatements().size(); ++i)
        marks.append(QStringLiteral("?"));
    return QStringLiteral("SELECT count(*) FROM sqlite_master WHERE sql IN (%1)").arg(marks.join(QLatin1Char(',')));
}

// ---- a connection of the index's own, straight on the engine ----

// Its own busy wait, and no window's connection or transaction is touched.
class IndexConnection {
public:
    IndexConnection(const QString &path, int busyWaitMs) : m_path(path)
    {
        const QByteArray file = path.toUtf8();
        if (sqlite3_open_v2(file.constData(), &m_handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            const DbError error = lastError();
            sqlite3_close(m_handle);
            throw error;
        }
        if (!installTrigramTokenizer(m_handle)) {
            sqlite3_close(m_handle);
            throw DbError(QStringLiteral("impossibile preparare l'indice di ricerca"));
        }
        sqlite3_busy_timeout(m_handle, busyWaitMs);
    }
    ~IndexConnection() { sqlite3_close(m_handle); } // an open transaction is rolled back
    IndexConnection(const IndexConnection &) = delete;
    IndexConnection &operator=(const IndexConnection &) = delete;

    sqlite3 *handle() const { return m_handle; }
    DbError lastError() const
    {
        return m_handle
            ? engineError(sqlite3_extended_errcode(m_handle), QString::fromUtf8(sqlite3_errmsg(m_handle)), m_path)
            : engineError(SQLITE_CANTOPEN, QString(), m_path);
    }
    [[noreturn]] void fail() const { throw lastError(); }
    void exec(const QString &sql)
    {
        if (sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail();
    }
    void execAll(const QStringList &statements)
    {
        for (const QString &statement : statements)
            exec(statement);
    }
    qint64 integer(const QString &sql, std::initializer_list<qint64> values = {});

private:
    QString m_path;
    sqlite3 *m_handle = nullptr;
};

class Statement {
public:
    Statement(IndexConnection &connection, const QString &sql, std::initializer_list<qint64> values = {})
        : m_connection(connection)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(connection.handle(), text.constData(), int(text.size()), &m_statement, nullptr)
            != SQLITE_OK)
            connection.fail();
        int index = 0;
        for (qint64 value : values)
            sqlite3_bind_int64(m_statement, ++index, value);
    }
    // Texts bound to the placeholders in order.
    Statement(IndexConnection &connection, const QString &sql, const QStringList &texts)
        : Statement(connection, sql)
    {
        int index = 0;
        for (const QString &text : texts) {
            const QByteArray utf8 = text.toUtf8();
            sqlite3_bind_text(m_statement, ++index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool next()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            m_connection.fail();
        return rc == SQLITE_ROW;
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    bool isNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column)),
                                 sqlite3_column_bytes(m_statement, column));
    }

private:
    IndexConnection &m_connection;
    sqlite3_stmt *m_statement = nullptr;
};

qint64 IndexConnection::integer(const QString &sql, std::initializer_list<qint64> values)
{
    Statement statement(*this, sql, values);
    return statement.next() ? statement.integer(0) : 0;
}

// ---- bringing the index up to date ----

// Rows a step of the long pieces of work handles, between two progress reports.
constexpr int rowsPerStep = 5000;

// Calls `step(first, last)` for consecutive ranges of the IDs of `table`, each
// holding up to rowsPerStep of them, from the lowest; reports the part of the
// IDs done.
void inSteps(IndexConnection &connection, const QString &table, const IndexProgress &progress,
             const std::function<void(qint64, qint64)> &step)
{
    qint64 lowest = 0, highest = 0;
    {
        Statement range(connection, QStringLiteral("SELECT min(ID), max(ID) FROM %1").arg(table));
        if (!range.next() || range.isNull(0))
            return;
        lowest = range.integer(0);
        highest = range.integer(1);
    }
    if (progress)
        progress(0);
    const QString stepEnd
        = QStringLiteral("SELECT max(ID) FROM (SELECT ID FROM %1 WHERE ID >= ?1 ORDER BY ID LIMIT %2)")
              .arg(table)
              .arg(rowsPerStep);
    for (qint64 first = lowest;;) {
        const qint64 last = connection.integer(stepEnd, {first});
        if (last < first) // no ID from `first` on
            break;
        step(first, last);
        if (progress)
            progress(int(100.0 * (double(last) - double(lowest) + 1) / (double(highest) - double(lowest) + 1)));
        if (last >= highest)
            break;
        first = last + 1;
    }
}

// Fills the index anew from Tabella and clears the note.
void refill(IndexConnection &connection, const IndexProgress &progress)
{
    connection.exec(QStringLiteral("INSERT INTO %1(%1) VALUES ('delete-all')").arg(indexTable));
    connection.exec(QStringLiteral("DELETE FROM %1").arg(noteTable));
    const QString add
        = QStringLiteral("INSERT INTO %1(rowid, %2) SELECT ID, %2 FROM Tabella WHERE ID BETWEEN ?1 AND ?2")
              .arg(indexTable, indexedFields);
    inSteps(connection, QStringLiteral("Tabella"), progress, [&](qint64 first, qint64 last) {
        Statement(connection, add, {first, last}).next();
    });
}

// Brings in the rows noted as changed and clears the note; refills the whole
// index when that is less work. The number of rows noted.
qint64 applyNote(IndexConnection &connection, const IndexProgress &progress)
{
    const qint64 noted = connection.integer(QStringLiteral("SELECT count(*) FROM %1").arg(noteTable));
    if (noted == 0)
        return 0;
    if (noted > rowsPerStep
        && 2 * noted > connection.integer(QStringLiteral("SELECT count(*) FROM %1").arg(indexedRows))) {
        refill(connection, progress);
        return noted;
    }
    // The old entry of a row comes out with the values it went in with; the row as it
    // is now goes in. The index's own list of rows guards against removing what it
    // does not hold, or adding a row twice.
    const QString remove
        = QStringLiteral("INSERT INTO %1(%1, rowid, %2) SELECT 'delete', ID, %2 FROM %3 AS n"
                         " WHERE ID BETWEEN ?1 AND ?2 AND indicizzato AND EXISTS (SELECT 1 FROM %4 WHERE id = n.ID)")
              .arg(indexTable, indexedFields, noteTable, indexedRows);
    const QString add = QStringLiteral("INSERT INTO %1(rowid, %2) SELECT ID, %2 FROM Tabella AS t"
                                       " WHERE ID IN (SELECT ID FROM %3 WHERE ID BETWEEN ?1 AND ?2)"
                                       " AND NOT EXISTS (SELECT 1 FROM %4 WHERE id = t.ID)")
                            .arg(indexTable, indexedFields, noteTable, indexedRows);
    inSteps(connection, noteTable, progress, [&](qint64 first, qint64 last) {
        Statement(connection, remove, {first, last}).next();
        Statement(connection, add, {first, last}).next();
    });
    connection.exec(QStringLiteral("DELETE FROM %1").arg(noteTable));
    return noted;
}

// The note and its triggers made anew, those of older catalogues removed.
void renewNote(IndexConnection &connection)
{
    connection.execAll(noteDropStatements());
    connection.execAll(QStringList{noteTableStatement()} + noteTriggerStatements());
}

// The schema objects of the index present in the catalogue: name -> statement.
QHash<QString, QString> indexObjects(IndexConnection &connection)
{
    QHash<QString, QString> objects;
    Statement schema(connection,
                     QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type IN ('table', 'trigger')"
                                    " AND tbl_name IN ('Tabella', '%1', '%2')")
                         .arg(indexTable, noteTable));
    while (schema.next())
        objects.insert(schema.text(0), schema.text(1));
    return objects;
}

// Each of `names` present with exactly the statement of the same place in `statements`.
bool allExactly(const QHash<QString, QString> &objects, const QStringList &names, const QStringList &statements)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (objects.value(names.at(i)) != statements.at(i))
            return false;
    return true;
}

// The index holds as many rows as Tabella, up to the same highest ID.
bool countsMatch(IndexConnection &connection)
{
    Statement counts(connection,
                     QStringLiteral("SELECT (SELECT count(*) FROM Tabella), (SELECT max(ID) FROM Tabella),"
                                    " (SELECT count(*) FROM %1), (SELECT max(id) FROM %1)")
                         .arg(indexedRows));
    counts.next();
    return counts.integer(0) == counts.integer(2) && counts.isNull(1) == counts.isNull(3)
        && counts.integer(1) == counts.integer(3);
}

// The index's own storage, the tables the engine keeps beside the index table
// as it makes them. Another client may drop or empty one by hand: the index can
// then be neither read nor dropped until what is missing is put back.
struct StorageTable {
    const char *suffix;
    const char *columns;
};
constexpr StorageTable storageTables[] = {
    {"_data", "(id INTEGER PRIMARY KEY, block BLOB)"},
    {"_idx", "(segid, term, pgno, PRIMARY KEY(segid, term)) WITHOUT ROWID"},
    {"_docsize", "(id INTEGER PRIMARY KEY, sz BLOB)"},
    {"_config", "(k PRIMARY KEY, v) WITHOUT ROWID"},
};

QString storageName(const StorageTable &table)
{
    return indexTable + QLatin1String(table.suffix);
}

bool tableExists(IndexConnection &connection, const QString &name)
{
    return connection.integer(
               QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'").arg(name))
        > 0;
}

// Whether the index can be read: its storage is all there and a search through
// it runs (the engine reads the index's structure for it).
bool storageSound(IndexConnection &connection)
{
    for (const StorageTable &table : storageTables)
        if (!tableExists(connection, storageName(table)))
            return false;
    try {
        connection.integer(QStringLiteral("SELECT count(*) FROM %1 WHERE %1 MATCH '\"qzx\"'").arg(indexTable));
        return true;
    } catch (const DbError &) {
        return false;
    }
}

// Removes the index table whatever state its storage is in: what was removed by
// hand is put back empty, so that the engine can drop the whole; storage left
// without its index table goes too.
void dropIndexTable(IndexConnection &connection)
{
    if (tableExists(connection, indexTable)) {
        for (const StorageTable &table : storageTables)
            if (!tableExists(connection, storageName(table)))
                connection.exec(
                    QStringLiteral("CREATE TABLE '%1'%2").arg(storageName(table), QLatin1String(table.columns)));
        // What the engine reads when it opens the index: its format, and the
        // structure of an empty index.
        connection.exec(QStringLiteral("INSERT OR REPLACE INTO '%1'(k, v) VALUES ('version', 4)")
                            .arg(storageName(storageTables[3])));
        connection.exec(QStringLiteral("INSERT OR REPLACE INTO '%1'(id, block) VALUES (1, X''), (10, X'00000000000000')")
                            .arg(storageName(storageTables[0])));
        connection.exec(QStringLiteral("DROP TABLE %1").arg(indexTable));
    }
    for (const StorageTable &table : storageTables)
        connection.exec(QStringLiteral("DROP TABLE IF EXISTS '%1'").arg(storageName(table)));
}

} // namespace

bool installTrigramTokenizer(sqlite3 *handle)
{
    fts5_api *api = fts5Of(handle);
    if (!api)
        return false;
    static fts5_tokenizer methods = {createTokenizer, deleteTokenizer, tokenize};
    return api->xCreateTokenizer(api, tokenizerName, nullptr, &methods, nullptr) == SQLITE_OK;
}

QStringList searchIndexCreateStatements()
{
    return wholeIndexStatements() << QStringLiteral("INSERT INTO %1(%1) VALUES ('rebuild')").arg(indexTable);
}

QStringList searchIndexDropStatements()
{
    return noteDropStatements() << QStringLiteral("DROP TABLE IF EXISTS %1").arg(indexTable);
}

IndexState searchIndexState(QSqlDatabase &database)
{
    // One quick query: the schema's few rows, the first page of the note, and the
    // highest ID of Tabella and of the index (a note emptied by hand leaves rows
    // out of the index: with nothing noted, they must be the same).
    static const QString state = QStringLiteral("SELECT (%1), EXISTS (SELECT 1 FROM %2),"
                                                " (SELECT max(ID) FROM Tabella) IS (SELECT max(id) FROM %3)")
                                     .arg(wholeObjectsCount(), noteTable, indexedRows);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const bool read = query.prepare(state);
    for (const QString &statement : wholeIndexStatements())
        query.addBindValue(statement);
    if (!read || !query.exec() || !query.next() || query.value(0).toInt() != wholeIndexStatements().size())
        return IndexState::Missing;
    if (query.value(1).toBool())
        return IndexState::ChangesPending;
    return query.value(2).toBool() ? IndexState::UpToDate : IndexState::Missing;
}

bool catchUpSearchIndex(const QString &catalogPath)
{
    try {
        IndexConnection connection(catalogPath, 0);
        connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
        // An index not whole is the start-up check's work, with a progress window.
        Statement whole(connection, wholeObjectsCount(), wholeIndexStatements());
        if (!whole.next() || whole.integer(0) != wholeIndexStatements().size())
            return false;
        applyNote(connection, {});
        connection.exec(QStringLiteral("COMMIT"));
        return true;
    } catch (const DbError &error) {
        if (error.kind() != DbError::Kind::Busy && error.kind() != DbError::Kind::ReadOnly)
            noteSearchIndexBroken(catalogPath);
        return false;
    }
}

namespace {
QMutex brokenIndexesGuard;
QSet<QString> brokenIndexes; // catalogues whose index a search found unable to help
} // namespace

void noteSearchIndexBroken(const QString &catalogPath)
{
    const QMutexLocker locked(&brokenIndexesGuard);
    brokenIndexes.insert(catalogPath);
}

bool searchIndexWantsRepair(const QString &catalogPath)
{
    const QMutexLocker locked(&brokenIndexesGuard);
    return brokenIndexes.contains(catalogPath);
}

IndexRepair checkSearchIndex(const QString &catalogPath, const IndexProgress &progress)
{
    IndexConnection connection(catalogPath, 5000);
    connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
    const QHash<QString, QString> objects = indexObjects(connection);
    // The index table as this program makes it, and readable.
    const bool indexWhole = objects.value(indexTable) == indexTableStatement() && storageSound(connection);
    const bool noteWhole = objects.value(noteTable) == noteTableStatement()
        && allExactly(objects, noteTriggerNames(), noteTriggerStatements());
    const bool legacyWhole = allExactly(objects, legacyTriggerNames(), legacyTriggerStatements());
    bool hasLegacy = false;
    for (const QString &name : legacyTriggerNames())
        hasLegacy = hasLegacy || objects.contains(name);

    IndexRepair repair = IndexRepair::None;
    if (indexWhole && noteWhole && !hasLegacy) {
        if (applyNote(connection, progress) > 0)
            repair = IndexRepair::CaughtUp;
    } else if (indexWhole && legacyWhole) {
        // The old triggers kept the index exact: only they are replaced.
        renewNote(connection);
        repair = IndexRepair::Upgraded;
    } else {
        // Changes made meanwhile went unnoted: the index is filled anew, in a
        // table made anew when it is not the program's own.
        if (indexWhole) {
            renewNote(connection);
        } else {
            connection.execAll(noteDropStatements());
            dropIndexTable(connection);
            connection.execAll(wholeIndexStatements());
        }
        refill(connection, progress);
        repair = IndexRepair::Rebuilt;
    }
    if (repair != IndexRepair::Rebuilt && !countsMatch(connection)) {
        refill(connection, progress);
        repair = IndexRepair::Rebuilt;
    }
    connection.exec(QStringLiteral("COMMIT"));
    const QMutexLocker locked(&brokenIndexesGuard);
    brokenIndexes.remove(catalogPath);
    return repair;
}

IdQuery indexedSearch(const Search &search, bool changesPending)
{
    // Every trigram of the plain runs of the pattern must be in a matching row.
    const QString pattern = search.pattern();
    const QByteArray utf8 = pattern.toUtf8();
    std::u32string folded;
    decodeFolded(reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()), folded);
    QStringList terms;
    QSet<QString> seen;
    std::u32string run;
    auto takeRun = [&] {
        for (size_t i = 0; i + 3 <= run.size(); ++i) {
            const QString trigram = QString::fromUcs4(run.data() + i, 3);
            if (seen.contains(trigram))
                continue;
            seen.insert(trigram);
            QString quoted = trigram;
            quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            terms.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        }
        run.clear();
    };
    int runs = 0;
    size_t longestRun = 0;
    for (char32_t c : folded) {
        if (c == U'%' || c == U'_') {
            runs += run.empty() ? 0 : 1;
            longestRun = std::max(longestRun, run.size());
            takeRun();
        } else {
            run.push_back(c);
        }
    }
    runs += run.empty() ? 0 : 1;
    longestRun = std::max(longestRun, run.size());
    takeRun();
    if (terms.isEmpty())
        return {};
    const QString field = search.fieldName();
    QString matchExpression = QStringLiteral("{%1} : (%2)").arg(field, terms.join(QStringLiteral(" AND ")));
    // "%text%": the trigrams of the text standing next to each other in the field
    // is exactly LIKE being true, so the index alone answers.
    const bool oneRunAnywhere
        = runs == 1 && folded.size() == longestRun + 2 && folded.front() == U'%' && folded.back() == U'%';
    if (oneRunAnywhere) {
        QString phrase = QString::fromUcs4(folded.data() + 1, qsizetype(longestRun));
        phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        matchExpression = QStringLiteral("{%1} : \"%2\"").arg(field, phrase);
        if (!changesPending)
            return {QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?").arg(indexTable),
                    {matchExpression}};
    }
    // The rows noted as changed may be in the index with old values, or not yet:
    // they are candidates too, and LIKE decides.
    const QString noted = changesPending ? QStringLiteral(" UNION SELECT ID FROM ") + noteTable : QString();
    return {QStringLiteral("SELECT rowid FROM Tabella WHERE rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ?%2)"
                           " AND \"%3\" LIKE ?")
                .arg(indexTable, noted, field),
            {matchExpression, pattern}};
}

} // namespace db
