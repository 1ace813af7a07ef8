#include "lookups/LookupMaintenance.h"

#include "app/AppContext.h"
#include "app/Form1.h"
#include "app/Guard.h"
#include "app/Texts.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "desktop/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace lookups {

FamilyRules rulesOf(List list)
{
    switch (list) {
    case List::Chiave:
        return {true, true, true};
    case List::Pubblicazione:
        // Opening loads the list, as for keywords, so that the frame never opens
        // empty after its "Esci" has emptied it.
        return {true, true, true};
    case List::Allocazione:
        return {false, false, false};
    }
    return {false, false, false};
}

LookupMaintenance::LookupMaintenance(MaintenanceControls controls, const AppContext &context, QWidget *window)
    : QObject(window), m_controls(std::move(controls)), m_rules(rulesOf(m_controls.list)),
      m_programFolder(context.programFolder), m_dialogs(context.dialogs), m_window(window)
{
    QComboBox *combo = m_controls.combo;
    // The picked entry is the combo's current item. Qt would move it to the first
    // entry with the same text when editing ends, which would make "Modifica" and
    // "Elimina" act on another row than the one the user picked; so a pick changes
    // only when the user picks.
    if (QLineEdit *edit = combo->lineEdit())
        disconnect(edit, &QLineEdit::editingFinished, combo, nullptr);
    if (m_rules.lowerCase)
        combo->installEventFilter(this);

    connect(m_controls.toggle, &QCheckBox::toggled, this, &LookupMaintenance::toggled);
    connect(m_controls.insert, &QPushButton::clicked, this, &LookupMaintenance::insert);
    connect(m_controls.change, &QPushButton::clicked, this, &LookupMaintenance::change);
    connect(m_controls.remove, &QPushButton::clicked, this, &LookupMaintenance::remove);
    connect(m_controls.exit, &QPushButton::clicked, this, &LookupMaintenance::exit);
}

void LookupMaintenance::attachAll(Form1 &w, const AppContext &context)
{
    const MaintenanceControls frames[] = {
        {List::Chiave,
         w.Check2,
         w.Frame4,
         w.Combo2,
         w.Command7,
         w.Command8,
         w.Command9,
         w.Command10,
         {w.Check1, w.Check3, w.Check8},
         [&w] { w.CaricaChiave(); }},
        {List::Pubblicazione,
         w.Check3,
         w.Frame5,
         w.Combo4,
         w.Command14,
         w.Command13,
         w.Command12,
         w.Command11,
         {w.Check1, w.Check2, w.Check8},
         [&w] { w.CaricaPubblicazione(); }},
        {List::Allocazione,
         w.Check8,
         w.Frame6,
         w.Combo5,
         w.Command21,
         w.Command16,
         w.Command17,
         w.Command18,
         {w.Check1, w.Check2, w.Check3},
         [&w] { w.CaricaAllocazione(); }},
    };
    for (const MaintenanceControls &frame : frames)
        new LookupMaintenance(frame, context, &w);
}

bool LookupMaintenance::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the list (a button press takes the focus first) turns its text to lower case.
    if (watched == m_controls.combo && event->type() == QEvent::FocusOut) {
        const QString lower = m_controls.combo->currentText().toLower();
        if (lower != m_controls.combo->currentText())
            m_controls.combo->setEditText(lower);
    }
    return QObject::eventFilter(watched, event);
}

// ---- Toggle and "Esci" -------------------------------------------------------------

void LookupMaintenance::toggled(bool checked)
{
    if (checked) {
        m_controls.frame->show();
        for (QCheckBox *other : std::as_const(m_controls.otherToggles))
            other->hide();
        if (m_rules.openingLoads)
            guarded(m_window, *m_dialogs, m_controls.load);
        return;
    }
    m_controls.frame->hide();
    for (QCheckBox *other : std::as_const(m_controls.otherToggles))
        other->show();
}

void LookupMaintenance::exit()
{
    m_controls.frame->hide();
    m_controls.toggle->setChecked(false); // its handler shows the other toggles
    if (m_rules.exitEmptiesList) {
        m_controls.combo->clear();
        m_controls.combo->clearEditText(); // an editable combo keeps its text through clear()
    }
    m_controls.toggle->show();
    for (QCheckBox *other : std::as_const(m_controls.otherToggles))
        other->show();
}

// ---- Changes ---------------------------------------------------------------------------

QString LookupMaintenance::textToStore() const
{
    // Also here, for a button pressed without the list losing focus (keyboard shortcut).
    const QString text = m_controls.combo->currentText();
    return m_rules.lowerCase ? text.toLower() : text;
}

void LookupMaintenance::insert()
{
    const QString text = textToStore();
    const bool stored = guarded(m_window, *m_dialogs, [&] {
        db::Connection connection;
        connection.open(db::connectionTextA(m_programFolder), QString(), QString());
        db::Recordset table;
        table.open(tableName(m_controls.list), connection, db::adOpenStatic, db::adLockOptimistic);
        table.addNew();
        table.setField(tableName(m_controls.list), text);
        table.update();
    });
    if (!stored)
        return; // the frame stays open with the text, to try again
    m_dialogs->message(m_window, QStringLiteral("Inserimento effettuato"), QStringLiteral("CONFERMA"), QMessageBox::Ok,
                       QMessageBox::NoIcon);
    reload();
    m_controls.frame->hide();
}

void LookupMaintenance::change()
{
    qint64 rowId = 0;
    if (findsEntry(Action::Change, rowId) && storeOnRow(Action::Change, rowId, textToStore()))
        reload();
}

void LookupMaintenance::remove()
{
    qint64 rowId = 0;
    if (findsEntry(Action::Remove, rowId) && storeOnRow(Action::Remove, rowId, QString()))
        reload();
}

// The entry an action works on, as its index in the frame's list, or -1.
// "Modifica" works on the entry the user picked, whatever text has been written
// over it since (that is the new text). "Elimina" works on the picked entry while
// the box still shows its text. Otherwise both take the first entry whose text is
// the box's text, as the family stores it.
int LookupMaintenance::entryMeant(Action action) const
{
    const QComboBox *combo = m_controls.combo;
    const QString text = textToStore();
    const auto asStored = [this](const QString &entry) { return m_rules.lowerCase ? entry.toLower() : entry; };
    const int picked = combo->currentIndex();
    if (picked >= 0 && (action == Action::Change || asStored(combo->itemText(picked)) == text))
        return picked;
    for (int i = 0; i < combo->count(); ++i)
        if (asStored(combo->itemText(i)) == text)
            return i;
    return -1;
}

bool LookupMaintenance::findsEntry(Action action, qint64 &rowId)
{
    const QString what = action == Action::Change ? QStringLiteral("modificare") : QStringLiteral("eliminare");
    const QString done = action == Action::Change ? QStringLiteral("modificato") : QStringLiteral("eliminato");
    if (m_controls.combo->count() == 0) {
        tell(QStringLiteral("L'elenco \"%1\" è vuoto: non c'è nessuna voce da %2.")
                 .arg(tableName(m_controls.list), what));
        return false;
    }
    const int entry = entryMeant(action);
    if (entry < 0) {
        tell(QStringLiteral("Nessuna voce dell'elenco \"%1\" corrisponde a \"%2\".\n"
                            "Scegliere dall'elenco la voce da %3: nulla è stato %4.")
                 .arg(tableName(m_controls.list), m_controls.combo->currentText(), what, done));
        return false;
    }
    rowId = m_controls.combo->itemData(entry, RowIdRole).toLongLong();
    return true;
}

// Changes or deletes the row with that ID; false when nothing was stored (already told).
bool LookupMaintenance::storeOnRow(Action action, qint64 rowId, const QString &text)
{
    const QString table = tableName(m_controls.list);
    bool found = false;
    const bool ran = guarded(m_window, *m_dialogs, [&] {
        db::Connection connection;
        connection.open(db::connectionTextA(m_programFolder), QString(), QString());
        db::Recordset row;
        row.open(QStringLiteral("SELECT * FROM %1 WHERE ID = ?").arg(table), connection, db::adOpenKeyset,
                 db::adLockOptimistic, -1, {rowId});
        if (row.recordCount() == 0)
            return;
        found = true;
        if (action == Action::Change) {
            row.setField(table, text);
            row.update();
        } else {
            row.deleteCurrent();
        }
    });
    if (ran && !found)
        tell(QStringLiteral("La voce scelta non è più nell'elenco \"%1\" del catalogo: nulla è stato %2.")
                 .arg(table, action == Action::Change ? QStringLiteral("modificato") : QStringLiteral("eliminato")));
    return ran && found;
}

void LookupMaintenance::reload()
{
    try {
        m_controls.load();
    } catch (const db::DbError &error) {
        m_dialogs->message(m_window,
                           QStringLiteral("La modifica è stata salvata, ma l'elenco \"%1\" non si è potuto "
                                          "ricaricare dal catalogo.\n\n")
                                   .arg(tableName(m_controls.list))
                               + error.reason(),
                           texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Warning);
    }
}

void LookupMaintenance::tell(const QString &text)
{
    m_dialogs->message(m_window, text, texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Information);
}

} // namespace lookups
