#include "core/db/SearchIndex.h"

#include "core/db/Connection.h"
#include "core/db/DbError.h"
#include "core/db/Like.h"
#include "core/db/Statements.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
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

void run(QSqlDatabase &database, const QString &statement)
{
    QSqlQuery query(database);
    if (!query.exec(statement))
        throw DbError(query.lastError().databaseText().isEmpty() ? query.lastError().text()
                                                                 : query.lastError().databaseText());
}

// The searchable field a statement's LIKE names, in the table's spelling.
QString searchableField(const QString &name)
{
    for (const char *field : {"Chiave", "Argomento", "Testo", "Pubblicazione"})
        if (name.compare(QLatin1String(field), Qt::CaseInsensitive) == 0)
            return QLatin1String(field);
    return QString();
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

bool hasSearchIndex(QSqlDatabase &database)
{
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ? COLLATE NOCASE"));
    query.addBindValue(indexTable);
    // An index of an older kind counts as missing, so that it is made anew.
    return query.exec() && query.next() && query.value(0).toString() == searchIndexCreateStatements().constFirst();
}

QStringList searchIndexCreateStatements()
{
    const QString fields = QStringLiteral("Chiave, Argomento, Testo, Pubblicazione");
    const QString oldValues = QStringLiteral("old.ID, old.Chiave, old.Argomento, old.Testo, old.Pubblicazione");
    const QString newValues = QStringLiteral("new.ID, new.Chiave, new.Argomento, new.Testo, new.Pubblicazione");
    const QString remove
        = QStringLiteral("INSERT INTO %1(%1, rowid, %2) VALUES ('delete', %3);").arg(indexTable, fields, oldValues);
    const QString add = QStringLiteral("INSERT INTO %1(rowid, %2) VALUES (%3);").arg(indexTable, fields, newValues);
    return {
        QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='Tabella', content_rowid='ID',"
                       " tokenize='%3', detail=full)")
            .arg(indexTable, fields, QLatin1String(tokenizerName)),
        QStringLiteral("CREATE TRIGGER %1_aggiunta AFTER INSERT ON Tabella BEGIN %2 END").arg(indexTable, add),
        QStringLiteral("CREATE TRIGGER %1_eliminazione AFTER DELETE ON Tabella BEGIN %2 END").arg(indexTable, remove),
        QStringLiteral("CREATE TRIGGER %1_modifica AFTER UPDATE OF ID, Chiave, Argomento, Testo, Pubblicazione"
                       " ON Tabella BEGIN %2 %3 END")
            .arg(indexTable, remove, add),
        QStringLiteral("INSERT INTO %1(%1) VALUES ('rebuild')").arg(indexTable),
    };
}

QStringList searchIndexDropStatements()
{
    return {QStringLiteral("DROP TRIGGER IF EXISTS %1_aggiunta").arg(indexTable),
            QStringLiteral("DROP TRIGGER IF EXISTS %1_eliminazione").arg(indexTable),
            QStringLiteral("DROP TRIGGER IF EXISTS %1_modifica").arg(indexTable),
            QStringLiteral("DROP TABLE IF EXISTS %1").arg(indexTable)};
}

void createSearchIndex(QSqlDatabase &database)
{
    for (const QString &statement : searchIndexCreateStatements())
        run(database, statement);
}

void ensureSearchIndex(const QString &connectionText)
{
    Connection connection;
    connection.open(connectionText);
    if (hasSearchIndex(connection.database()))
        return;
    inTransaction(connection, [&] {
        for (const QString &statement : searchIndexDropStatements())
            run(connection.database(), statement);
        createSearchIndex(connection.database());
    });
}

QString indexedIdStatement(const QString &statement)
{
    static const QRegularExpression search(
        QStringLiteral(
            "^\\s*SELECT\\s+\\*\\s+FROM\\s+tabella\\s+WHERE\\s+([A-Za-z]+)\\s+LIKE\\s+'((?:[^']|'')*)'\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = search.match(statement);
    if (!match.hasMatch())
        return QString();
    const QString field = searchableField(match.captured(1));
    if (field.isEmpty())
        return QString();
    QString pattern = match.captured(2);
    pattern.replace(QStringLiteral("''"), QStringLiteral("'"));

    // Every trigram of the plain runs of the pattern must be in a matching row.
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
        return QString();
    const QString matchExpression = QStringLiteral("{%1} : (%2)").arg(field, terms.join(QStringLiteral(" AND ")));
    // "%text%": the trigrams of the text standing next to each other in the field
    // is exactly LIKE being true, so the index alone answers, in ascending row
    // order as the table scan would.
    const bool oneRunAnywhere
        = runs == 1 && folded.size() == longestRun + 2 && folded.front() == U'%' && folded.back() == U'%';
    if (oneRunAnywhere) {
        QString phrase = QString::fromUcs4(folded.data() + 1, qsizetype(longestRun));
        phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        const QString phraseExpression = QStringLiteral("{%1} : \"%2\"").arg(field, phrase);
        return QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH %2 ORDER BY rowid")
            .arg(indexTable, quoteLiteral(phraseExpression));
    }
    return QStringLiteral("SELECT rowid FROM Tabella WHERE rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH %2)"
                          " AND %3 LIKE %4 ORDER BY rowid")
        .arg(indexTable, quoteLiteral(matchExpression), field, quoteLiteral(pattern));
}

} // namespace db
