#pragma once
// Helpers shared by the tests of the entry screen: the catalogue as the tests
// prepare and read it, and the entry screen opened as a user opens it.
#include "CatalogueRows.h"
#include "GuiTest.h"
#include "TestEnvironment.h"
#include "gui/Windows.h"
#include "gui/mainwindow/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTest>
#include <QVariantMap>

namespace entrytest {

inline const QStringList &tabellaFields()
{
    static const QStringList fields
        = {QStringLiteral("Chiave"),        QStringLiteral("Argomento"), QStringLiteral("Testo"),
           QStringLiteral("Pubblicazione"), QStringLiteral("N°"),        QStringLiteral("Data"),
           QStringLiteral("Pag"),           QStringLiteral("Par"),       QStringLiteral("Note"),
           QStringLiteral("Allocazione"),   QStringLiteral("Prog")};
    return fields;
}

using testdata::itemTexts;
using testdata::runSql;
using testdata::storedCounter;

// Every row of Tabella in the engine's order, field name -> value ("ID" included).
inline QList<QVariantMap> storedRows(const TestEnvironment &env)
{
    return testdata::rowsOf(env, QStringLiteral("Tabella"));
}

// A record added behind the window's back, fields in tabellaFields() order.
inline void addRecord(const TestEnvironment &env, const QVariantList &values)
{
    QVariantMap fields;
    for (int i = 0; i < values.size(); ++i)
        fields.insert(tabellaFields().at(i), values.at(i));
    testdata::addRecord(env, fields);
}

// The main window shown, on the entry screen (as "Inserisci/Modifica/Elimina" does).
inline Ui openEntryScreen(Windows &windows)
{
    const Ui ui(windows.mainWindow());
    ui.window.show();
    ui.click(u"Check5");
    return ui;
}

} // namespace entrytest
