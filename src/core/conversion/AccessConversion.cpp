#include "core/conversion/AccessConversion.h"

#include "core/catalogue/Catalogue.h"
#include "core/engines/DbError.h"
#include "core/catalogue/DocumentCounter.h"
#include "core/catalogue/Store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMap>

#include <optional>

namespace convert {

namespace {

const QString counterTable = QStringLiteral("contatore");
const QString counterField = QStringLiteral("Progressivo");
const QString nothingMade = QStringLiteral(" Nessun catalogo è stato creato.");

void removeCatalogueFiles(const QString &path)
{
    for (const QString &suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

QString rowsText(qint64 rows)
{
    return rows == 1 ? QStringLiteral("1 riga") : QStringLiteral("%1 righe").arg(rows);
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Reads the old catalogue's tables into the new one, keeping the report.
class Conversion {
public:
    Conversion(AccessReader &reader, db::Store::Import &import, ConversionReport &report,
               const ConversionProgress &progress)
        : m_reader(reader), m_import(import), m_report(report), m_progress(progress)
    {
    }

    void run()
    {
        listWhatIsLeftOut();
        readRecords();
        for (const lookups::List list :
             {lookups::List::Chiave, lookups::List::Pubblicazione, lookups::List::Allocazione})
            readLookup(list);
        readCounter();
        m_expected.insert(counterTable, 1);
        m_import.finish(m_expected);
    }

private:
    // The columns of `table` that the catalogue keeps; the absent ones are noted,
    // `required` ones are a failure.
    void noteAbsentColumns(const AccessTable &table, const QStringList &columns, const QStringList &required)
    {
        for (const QString &column : columns) {
            if (hasColumn(table, column))
                continue;
            if (required.contains(column))
                throw ConversionError(QStringLiteral("Nel file Access \"%1\" la tabella \"%2\" non ha il campo \"%3\".")
                                          .arg(m_report.source, table.name, column)
                                      + nothingMade);
            m_report.absent.append(
                QStringLiteral("campo \"%1\" della tabella \"%2\" (lasciato vuoto)").arg(column, table.name));
        }
    }

    static bool hasColumn(const AccessTable &table, const QString &column)
    {
        return table.columns.contains(column, Qt::CaseInsensitive);
    }

    void listWhatIsLeftOut()
    {
        const QStringList known = db::catalogueTables();
        const QMap<QString, QStringList> keptColumns
            = {{QStringLiteral("tabella"), db::tabellaFields()},
               {QStringLiteral("chiave"), {QStringLiteral("ID"), QStringLiteral("Chiave")}},
               {QStringLiteral("pubblicazione"), {QStringLiteral("ID"), QStringLiteral("Pubblicazione")}},
               {QStringLiteral("allocazione"), {QStringLiteral("ID"), QStringLiteral("Allocazione")}},
               {QStringLiteral("contatore"), {counterField}}};
        for (const AccessTable &table : m_reader.tables()) {
            if (!known.contains(table.name, Qt::CaseInsensitive)) {
                m_report.leftOut.append(
                    QStringLiteral("tabella %1 (%2)").arg(quoted(table.name), rowsText(table.declaredRows)));
                continue;
            }
            for (const QString &column : table.columns)
                if (!keptColumns.value(table.name.toLower()).contains(column, Qt::CaseInsensitive))
                    m_report.leftOut.append(
                        QStringLiteral("campo %1 della tabella %2").arg(quoted(column), quoted(table.name)));
        }
    }

    // Reads every row of `table`, then checks that the file gave as many rows as its
    // table definition states.
    qint64 readTable(const AccessTable &table, const QStringList &columns,
                     const std::function<void(const QList<AccessValue> &, qint64 number)> &row)
    {
        if (m_progress)
            m_progress(table.name, 0, table.declaredRows);
        qint64 read = 0;
        m_reader.readRows(table.name, columns, [&](const QList<AccessValue> &values) {
            ++read;
            row(values, read);
            if (m_progress)
                m_progress(table.name, read, table.declaredRows);
        });
        if (read != table.declaredRows)
            throw ConversionError(
                QStringLiteral(
                    "Il file Access \"%1\" è danneggiato: dalla tabella \"%2\" sono state lette %3 righe su %4.")
                    .arg(m_report.source, table.name)
                    .arg(read)
                    .arg(table.declaredRows)
                + nothingMade);
        m_report.rows.append({table.name, read});
        return read;
    }

    qint64 idOf(const AccessValue &value, const QString &table, qint64 number) const
    {
        bool ok = false;
        const qint64 id = value.text.toLongLong(&ok);
        if (value.null || !ok)
            throw ConversionError(QStringLiteral("Nel file Access \"%1\" la riga %2 della tabella \"%3\" ha un ID "
                                                 "non valido (\"%4\").")
                                      .arg(m_report.source)
                                      .arg(number)
                                      .arg(table, value.text)
                                  + nothingMade);
        return id;
    }

    void countNulls(const QList<AccessValue> &values, qsizetype from)
    {
        for (qsizetype i = from; i < values.size(); ++i)
            m_report.nullFields += values.at(i).null ? 1 : 0;
    }

    void readRecords()
    {
        const AccessTable *table = m_reader.findTable(QStringLiteral("Tabella"));
        if (!table)
            throw ConversionError(
                QStringLiteral("Nel file Access \"%1\" manca la tabella \"Tabella\" con i record del catalogo.")
                    .arg(m_report.source)
                + nothingMade);
        const QStringList columns = db::tabellaFields();
        noteAbsentColumns(*table, columns, {QStringLiteral("ID")});
        const qsizetype prog = columns.indexOf(QStringLiteral("Prog"));
        qint64 highestId = 0;
        QStringList fields;
        const qint64 read = readTable(*table, columns, [&](const QList<AccessValue> &values, qint64 number) {
            const qint64 id = idOf(values.at(0), table->name, number);
            highestId = std::max(highestId, id);
            fields.clear();
            for (qsizetype i = 1; i < values.size(); ++i)
                fields.append(values.at(i).text);
            countNulls(values, 1);
            if (const auto document = counter::wholeNumber(values.at(prog).text))
                m_highestProg = std::max(m_highestProg.value_or(*document), *document);
            m_import.addRecord(id, fields);
        });
        m_expected.insert(QStringLiteral("Tabella"), read);
        m_import.setLastUsedId(QStringLiteral("Tabella"), table->lastAutoNumber);
        m_report.nextId = std::max(highestId, table->lastAutoNumber) + 1;
    }

    void readLookup(lookups::List list)
    {
        const QString name = lookups::tableName(list);
        const AccessTable *table = m_reader.findTable(name);
        if (!table) {
            m_report.absent.append(QStringLiteral("tabella %1 (lista vuota)").arg(quoted(name)));
            m_report.rows.append({name, 0});
            m_expected.insert(name, 0);
            return;
        }
        const QStringList columns = {QStringLiteral("ID"), name};
        noteAbsentColumns(*table, columns, {QStringLiteral("ID")});
        const qint64 read = readTable(*table, columns, [&](const QList<AccessValue> &values, qint64 number) {
            countNulls(values, 1);
            m_import.addLookupEntry(list, idOf(values.at(0), table->name, number), values.at(1).text);
        });
        m_expected.insert(name, read);
        m_import.setLastUsedId(name, table->lastAutoNumber);
    }

    // Progressivo of the last row, as the entry screen reads it; without one, the
    // highest whole-number Prog, so that no document number is given twice.
    void readCounter()
    {
        const AccessTable *table = m_reader.findTable(counterTable);
        std::optional<qint64> counter;
        if (!table) {
            m_report.counterOrigin = QStringLiteral("il file Access non ha la tabella \"contatore\"");
        } else if (!hasColumn(*table, counterField)) {
            m_report.counterOrigin = QStringLiteral("la tabella \"contatore\" del file Access non ha il campo "
                                                    "\"Progressivo\"");
        } else {
            QString found;
            bool anyRow = false;
            readTable(*table, {counterField}, [&](const QList<AccessValue> &values, qint64) {
                anyRow = true;
                found = values.at(0).text;
                counter = counter::wholeNumber(found);
            });
            if (!anyRow)
                m_report.counterOrigin = QStringLiteral("la tabella \"contatore\" del file Access è vuota");
            else if (!counter)
                m_report.counterOrigin
                    = QStringLiteral("il Progressivo del file Access (\"%1\") non è un numero intero").arg(found);
        }
        if (!counter)
            counter = m_highestProg.value_or(0);
        m_report.counter = *counter;
        m_import.setCounter(*counter);
    }

    AccessReader &m_reader;
    db::Store::Import &m_import;
    ConversionReport &m_report;
    const ConversionProgress &m_progress;
    QMap<QString, qint64> m_expected;
    std::optional<qint64> m_highestProg;
};

} // namespace

qint64 ConversionReport::totalRows() const
{
    qint64 total = 0;
    for (const auto &table : rows)
        total += table.second;
    return total;
}

QString ConversionReport::summary() const
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    QStringList lines;
    lines << QStringLiteral("Catalogo convertito: \"%1\"").arg(target)
          << QStringLiteral("dal file Access \"%1\" (%2).").arg(source, accessFormatName(format));
    for (const auto &table : rows) {
        QString line = QStringLiteral("  %1: %2").arg(table.first, rowsText(table.second));
        if (table.first.compare(QStringLiteral("Tabella"), Qt::CaseInsensitive) == 0)
            line += QStringLiteral(" (il prossimo record avrà ID %1)").arg(nextId);
        lines << line;
    }
    lines << QStringLiteral("  Progressivo Documento: %1").arg(counter);
    if (!counterOrigin.isEmpty())
        lines << QStringLiteral("Il contatore non viene dal file Access (%1): è il Prog più alto dei record, %2.")
                     .arg(counterOrigin)
                     .arg(counter);
    if (nullFields > 0)
        lines << QStringLiteral("%1 campi NULL (senza valore) del file Access sono diventati testo vuoto.")
                     .arg(nullFields);
    lines << (leftOut.isEmpty()
                  ? QStringLiteral("Non convertito: niente.")
                  : QStringLiteral("Non convertito: ") + leftOut.join(QStringLiteral("; ")) + QLatin1Char('.'));
    if (!absent.isEmpty())
        lines << QStringLiteral("Mancanti nel file Access: ") + absent.join(QStringLiteral("; ")) + QLatin1Char('.');
    const double perSecond = seconds > 0 ? double(totalRows()) / seconds : 0;
    lines << QStringLiteral("Tempo: %1 s (%2 righe al secondo).")
                 .arg(italian.toString(seconds, 'f', 2), italian.toString(perSecond, 'f', 0));
    return lines.join(QLatin1Char('\n'));
}

QString temporaryCatalogueName(const QString &folder)
{
    return QDir(folder).absoluteFilePath(db::catalogueFileName() + QStringLiteral(".conversione"));
}

ConversionReport convertAccessCatalogue(const QString &accessPath, const QString &folder,
                                        const ConversionProgress &progress)
{
    QElapsedTimer clock;
    clock.start();
    ConversionReport report;
    report.source = QFileInfo(accessPath).absoluteFilePath();
    report.target = QDir(folder).absoluteFilePath(db::catalogueFileName());
    if (!QFileInfo(folder).isDir())
        throw ConversionError(QStringLiteral("La cartella \"%1\" non esiste.").arg(folder) + nothingMade);
    if (QFileInfo::exists(report.target))
        throw ConversionError(
            QStringLiteral("Il file \"%1\" esiste già: non viene sovrascritto. Nessuna conversione è stata fatta.")
                .arg(report.target));

    const QString temporary = temporaryCatalogueName(folder);
    removeCatalogueFiles(temporary); // what a conversion ended by force left
    try {
        AccessReader reader(report.source);
        report.format = reader.format();
        db::createCatalogue(temporary);
        {
            db::Store store(temporary);
            const auto import = store.beginImport();
            Conversion(reader, *import, report, progress).run();
        }
        if (QFileInfo(temporary + QStringLiteral("-wal")).size() > 0)
            throw db::DbError(QStringLiteral("il registro delle modifiche non è stato riportato nel file"));
        if (!QFile::rename(temporary, report.target))
            throw db::DbError(QStringLiteral("impossibile dare al file il nome \"%1\"").arg(report.target));
        removeCatalogueFiles(temporary);
    } catch (const ConversionError &) {
        removeCatalogueFiles(temporary);
        throw;
    } catch (const AccessError &error) {
        removeCatalogueFiles(temporary);
        throw ConversionError(error.message() + nothingMade);
    } catch (const db::DbError &error) {
        removeCatalogueFiles(temporary);
        throw ConversionError(
            QStringLiteral("Il nuovo catalogo \"%1\" non si è potuto scrivere: %2").arg(report.target, error.reason())
            + nothingMade);
    } catch (...) {
        removeCatalogueFiles(temporary);
        throw;
    }
    report.seconds = double(clock.nsecsElapsed()) / 1e9;
    return report;
}

} // namespace convert
