#include "core/catalogue/DocumentCounter.h"

#include "core/engines/Engine.h"

#include <limits>

namespace counter {

std::optional<qint64> wholeNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    if (!ok || number == std::numeric_limits<qint64>::max())
        return std::nullopt; // no next number after the largest one
    return number;
}

Reading read(db::Connection &connection)
{
    // The counter is the one row of the table: none, or more than one, is a
    // damaged catalogue (a second row would make reading and writing disagree).
    const db::schema::Table &table = db::schema::counterTable();
    const QList<QVariantList> rows = connection.rows(table.name, table.fieldNames());
    Reading reading;
    const qsizetype count = rows.size();
    if (count == 0) {
        reading.problem = Reading::NoRow;
        return reading;
    }
    if (count > 1) {
        reading.problem = Reading::SeveralRows;
        reading.found = QString::number(count);
        return reading;
    }
    const QVariant value = rows.first().first();
    if (const auto number = wholeNumber(value)) {
        reading.last = *number;
    } else {
        reading.problem = Reading::NotWholeNumber;
        reading.found = value.toString();
    }
    return reading;
}

Reading store(db::Connection &connection, qint64 number)
{
    Reading before = read(connection);
    if (before.problem == Reading::NoRow || before.problem == Reading::SeveralRows)
        return before;
    const db::schema::Table &table = db::schema::counterTable();
    connection.updateAll(table.name, {{table.fields.first().name, number}});
    before.problem = Reading::None;
    return before;
}

QString problemMessage(const Reading &reading, const QString &catalogPath)
{
    const QString consequence
        = QStringLiteral("\n\nFinché il contatore non è corretto non si possono inserire registrazioni: "
                         "il numero del documento resta vuoto.");
    switch (reading.problem) {
    case Reading::NoRow:
        return QStringLiteral("Il catalogo \"%1\" è danneggiato: la tabella \"contatore\" non contiene "
                              "la riga del Progressivo Documento.")
                   .arg(catalogPath)
            + consequence
            + QStringLiteral("\nIl catalogo va ripristinato da una copia di sicurezza oppure ricreato "
                             "con il comando crea_catalogo.");
    case Reading::SeveralRows:
        return QStringLiteral("Il catalogo \"%1\" è danneggiato: la tabella \"contatore\" contiene %2 righe "
                              "invece dell'unica riga del Progressivo Documento.")
                   .arg(catalogPath, reading.found)
            + consequence
            + QStringLiteral("\nIl catalogo va ripristinato da una copia di sicurezza; in alternativa si possono "
                             "eliminare le righe in più con un programma per database SQLite.");
    case Reading::NotWholeNumber:
        return QStringLiteral("Il catalogo \"%1\" è danneggiato: il Progressivo Documento della tabella "
                              "\"contatore\" non è un numero intero (contiene \"%2\").")
                   .arg(catalogPath, reading.found)
            + consequence
            + QStringLiteral("\nUn numero valido si imposta con \"Funzioni di Servizio\", "
                             "\"Cambia Progressivo Documento\".");
    case Reading::None:
        break;
    }
    return QString();
}

} // namespace counter
