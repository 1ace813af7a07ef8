#include "core/app/DocumentCounter.h"

#include "core/db/Recordset.h"

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
    db::Recordset rows;
    rows.open(QStringLiteral("SELECT progressivo FROM contatore"), connection, db::adOpenKeyset);
    Reading reading;
    reading.problem = Reading::NoRow;
    for (; !rows.eof(); rows.moveNext()) {
        const QVariant value = rows.field(QStringLiteral("Progressivo"));
        if (const auto number = wholeNumber(value)) {
            reading.problem = Reading::None;
            reading.last = *number;
            reading.found.clear();
        } else {
            reading.problem = Reading::NotWholeNumber;
            reading.found = value.toString();
        }
    }
    return reading;
}

bool store(db::Connection &connection, qint64 number)
{
    db::Recordset rows;
    rows.open(QStringLiteral("Select * from contatore"), connection, db::adOpenKeyset, db::adLockOptimistic);
    if (rows.recordCount() == 0)
        return false;
    rows.setField(QStringLiteral("Progressivo"), number);
    rows.update();
    rows.close();
    return true;
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
