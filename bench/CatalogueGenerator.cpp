#include "CatalogueGenerator.h"

#include "core/catalogue/Catalogue.h"
#include "core/engines/DbError.h"
#include "core/engines/FileSearchIndex.h"

#include <QStringList>
#include <random>
#include <sqlite3.h>

namespace {

const char *const roots[]
    = {"archeolog",  "architett",  "astronom",   "biolog",     "botanic",    "chimic",  "cinem",       "cucin",
       "democrazi",  "ecologi",    "economi",    "energi",     "filosofi",   "fisic",   "fotografi",   "geologi",
       "giardin",    "informatic", "letteratur", "linguistic", "matematic",  "medicin", "meteorologi", "music",
       "navigazion", "pittur",     "poesi",      "politic",    "psicologi",  "restaur", "scultur",     "sociologi",
       "storiograf", "teatr",      "tecnologi",  "turism",     "urbanistic", "viaggi",  "zoologi",     "città",
       "perché",     "università", "qualità",    "società",    "novità",     "libertà", "attività",    "caffè"};
const char *const endings[] = {"a", "e", "i", "o", "ia", "ica", "ismo", "ista", "ale", "ario"};
const char *const words[]
    = {"il",      "la",       "di",      "del",     "della",   "nel",      "per",     "con",    "una",
       "storia",  "nuovo",    "antico",  "grande",  "piccolo", "italiano", "europeo", "studio", "analisi",
       "ricerca", "progetto", "futuro",  "passato", "arte",    "scienza",  "natura",  "mondo",  "vita",
       "tempo",   "luce",     "acqua",   "terra",   "fuoco",   "aria",     "già",     "più",    "così",
       "però",    "perciò",   "è",       "città",   "virtù",   "Milano",   "Roma",    "Napoli", "Torino",
       "Venezia", "Firenze",  "Bologna", "Genova",  "Palermo", "Bari"};
const char *const magazines[] = {"Rivista",  "Quaderni", "Annali", "Bollettino", "Notiziario", "Gazzetta",
                                 "Corriere", "Cronache", "Studi",  "Giornale",   "Panorama",   "Orizzonti"};
const char *const places[] = {"Scaffale", "Armadio", "Cassetto", "Faldone", "Scatola", "Ripiano", "Archivio"};

class Words {
public:
    explicit Words(quint32 seed) : m_rng(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    template <size_t N> QString pick(const char *const (&list)[N]) { return QString::fromUtf8(list[below(int(N))]); }
    QString term() { return pick(roots) + pick(endings); }
    QString phrase(int minWords, int maxWords)
    {
        const int n = minWords + below(maxWords - minWords + 1);
        QStringList out;
        for (int i = 0; i < n; ++i)
            out.append(below(4) == 0 ? term() : pick(words));
        QString s = out.join(QLatin1Char(' '));
        s[0] = s[0].toUpper();
        return s;
    }

private:
    std::mt19937 m_rng;
};

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw db::DbError(QString::fromUtf8(sqlite3_errmsg(db)));
}

void bindText(sqlite3_stmt *st, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void execAll(sqlite3 *db, const QStringList &statements)
{
    for (const QString &statement : statements)
        check(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), db);
}

void fillLookup(sqlite3 *db, const char *insert, const QStringList &texts)
{
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, insert, -1, &st, nullptr), db);
    for (const QString &text : texts) {
        bindText(st, 1, text);
        check(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

} // namespace

void generateCatalogue(const QString &path, const GeneratorOptions &options)
{
    db::createCatalogue(path);
    Words w(options.seed);
    QStringList keywords, publications, locations;
    for (int i = 0; i < options.keywords; ++i)
        keywords.append(w.term() + (i % 3 == 0 ? QStringLiteral(" ") + w.term() : QString()));
    for (int i = 0; i < options.publications; ++i)
        publications.append(w.pick(magazines) + QStringLiteral(" di ") + w.term());
    for (int i = 0; i < options.locations; ++i)
        locations.append(w.pick(places) + QStringLiteral(" ") + QString::number(1 + w.below(40))
                         + QLatin1Char(QChar(u'A' + w.below(6)).toLatin1()));

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        throw db::DbError(reason);
    }
    try {
        if (!db::installTrigramTokenizer(db))
            throw db::DbError(QStringLiteral("tokenizer non disponibile"));
        // A new file that nobody else reads yet: no journal, no waiting for the disk.
        check(sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; BEGIN",
                           nullptr, nullptr, nullptr),
              db);
        // The search index is built once at the end, faster than row by row.
        execAll(db, db::searchIndexDropStatements());
        fillLookup(db, "INSERT INTO Chiave (Chiave) VALUES (?)", keywords);
        fillLookup(db, "INSERT INTO Pubblicazione (Pubblicazione) VALUES (?)", publications);
        fillLookup(db, "INSERT INTO Allocazione (Allocazione) VALUES (?)", locations);

        sqlite3_stmt *st = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "INSERT INTO Tabella (Chiave, Argomento, Testo, Pubblicazione, \"N\u00B0\", Data,"
                                 " Pag, Par, Note, Allocazione, Prog) VALUES (?,?,?,?,?,?,?,?,?,?,?)",
                                 -1, &st, nullptr),
              db);
        for (qint64 r = 1; r <= options.records; ++r) {
            const QString date = QStringLiteral("%1/%2/%3")
                                     .arg(1 + w.below(28), 2, 10, QLatin1Char('0'))
                                     .arg(1 + w.below(12), 2, 10, QLatin1Char('0'))
                                     .arg(1950 + w.below(76));
            QString note;
            switch (w.below(6)) {
            case 0:
                break;
            case 1:
                note = w.phrase(3, 8);
                break;
            case 2:
                note = w.phrase(10, 40);
                break;
            case 3:
                note = w.phrase(4, 10) + QStringLiteral("\r\n") + w.phrase(4, 12);
                break;
            case 4:
                note = w.phrase(3, 8) + QStringLiteral("\r\nAllegato:-doc") + QString::number(r)
                    + QStringLiteral(".pdf");
                break;
            default:
                note = w.phrase(2, 6) + QStringLiteral("\r\n") + w.phrase(2, 6) + QStringLiteral("\r\n")
                    + w.phrase(2, 6);
            }
            bindText(st, 1, keywords.at(w.below(int(keywords.size()))));
            bindText(st, 2, w.phrase(2, 5).left(40));
            bindText(st, 3, w.below(10) == 0 ? QString(QLatin1String("")) : w.phrase(3, 7).left(40));
            bindText(st, 4, publications.at(w.below(int(publications.size()))));
            bindText(st, 5, QString::number(1 + w.below(999)));
            bindText(st, 6, date);
            bindText(st, 7, QString::number(1 + w.below(400)));
            bindText(st, 8, w.below(3) == 0 ? QString(QLatin1String("")) : QString::number(1 + w.below(30)));
            bindText(st, 9, note);
            bindText(st, 10, locations.at(w.below(int(locations.size()))));
            bindText(st, 11, QString::number(r));
            check(sqlite3_step(st), db);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        const QByteArray counter = "UPDATE contatore SET Progressivo = " + QByteArray::number(options.records);
        check(sqlite3_exec(db, counter.constData(), nullptr, nullptr, nullptr), db);
        execAll(db, db::searchIndexCreateStatements());
        check(sqlite3_exec(db, "COMMIT; PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}
