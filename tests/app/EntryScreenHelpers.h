#pragma once
// Helpers shared by the tests of the entry screen: the catalogue as the tests
// prepare and read it, and the entry screen opened as a user opens it.
#include "TestEnvironment.h"
#include "app/Form1.h"
#include "app/Windows.h"
#include "db/Connection.h"
#include "db/Recordset.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <QVariantMap>

namespace entrytest {

inline const QStringList &tabellaFields()
{
    static const QStringList fields = {QStringLiteral("Chiave"), QStringLiteral("Argomento"),
                                       QStringLiteral("Testo"), QStringLiteral("Pubblicazione"),
                                       QStringLiteral("N°"), QStringLiteral("Data"),
                                       QStringLiteral("Pag"), QStringLiteral("Par"),
                                       QStringLiteral("Note"), QStringLiteral("Allocazione"),
                                       QStringLiteral("Prog")};
    return fields;
}

inline void runSql(const TestEnvironment &env, const QStringList &statements)
{
    db::Connection connection;
    connection.open(db::connectionTextA(env.folder()));
    for (const QString &statement : statements)
        connection.execute(statement);
}

// Every row of Tabella in the engine's order, field name -> value ("ID" included).
inline QList<QVariantMap> storedRows(const TestEnvironment &env)
{
    db::Connection connection;
    connection.open(db::connectionTextA(env.folder()));
    db::Recordset rows;
    rows.open(QStringLiteral("Tabella"), connection);
    QList<QVariantMap> result;
    for (; !rows.eof(); rows.moveNext()) {
        QVariantMap row;
        for (const QString &field : rows.fieldNames())
            row.insert(field, rows.field(field));
        result.append(row);
    }
    return result;
}

inline QVariant storedCounter(const TestEnvironment &env)
{
    db::Connection connection;
    connection.open(db::connectionTextA(env.folder()));
    db::Recordset rows;
    rows.open(QStringLiteral("contatore"), connection);
    return rows.eof() ? QVariant() : rows.field(QStringLiteral("Progressivo"));
}

// A record added behind the window's back, fields in tabellaFields() order.
inline void addRecord(const TestEnvironment &env, const QVariantList &values)
{
    db::Connection connection;
    connection.open(db::connectionTextA(env.folder()));
    db::Recordset rows;
    rows.open(QStringLiteral("Tabella"), connection, db::adOpenStatic, db::adLockOptimistic);
    rows.addNew();
    for (int i = 0; i < values.size(); ++i)
        rows.setField(tabellaFields().at(i), values.at(i));
    rows.update();
}

inline QStringList itemTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// The main window shown, on the entry screen (as "Inserisci/Modifica/Elimina" does).
inline Form1 &openEntryScreen(Windows &windows)
{
    Form1 &f = windows.form1();
    f.show();
    f.Check5->click();
    return f;
}

} // namespace entrytest
