#include "gui/mainwindow/LookupMaintenance.h"

#include "core/engines/DbError.h"
#include "core/catalogue/Store.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/mainwindow/LookupLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace lookups {

namespace {
template <typename W> W *control(QWidget &window, const char16_t *name)
{
    return window.findChild<W *>(QString::fromUtf16(name));
}
} // namespace

LookupMaintenance::LookupMaintenance(const FrameFamily &family, QWidget &window, const AppContext &context,
                                     std::function<void()> load)
    : QObject(&window), m_family(family), m_toggle(control<QCheckBox>(window, family.toggle)),
      m_frame(control<QGroupBox>(window, family.frame)), m_combo(control<QComboBox>(window, family.frameList)),
      m_load(std::move(load)), m_store(*context.store), m_dialogs(*context.dialogs), m_window(&window)
{
    m_otherToggles.append(control<QCheckBox>(window, calendarToggle));
    for (const FrameFamily &other : frameFamilies)
        if (other.list != family.list)
            m_otherToggles.append(control<QCheckBox>(window, other.toggle));

    // The picked entry is the combo's current item. Qt would move it to the first
    // entry with the same text when editing ends, which would make "Modifica" and
    // "Elimina" act on another row than the one the user picked; so a pick changes
    // only when the user picks.
    if (QLineEdit *edit = m_combo->lineEdit())
        disconnect(edit, &QLineEdit::editingFinished, m_combo, nullptr);
    if (m_family.lowerCase)
        m_combo->installEventFilter(this);

    connect(m_toggle, &QCheckBox::toggled, this, &LookupMaintenance::toggled);
    const auto command = [&](int i) { return control<QPushButton>(window, family.commands[i]); };
    connect(command(0), &QPushButton::clicked, this, &LookupMaintenance::insert);
    connect(command(1), &QPushButton::clicked, this, &LookupMaintenance::change);
    connect(command(2), &QPushButton::clicked, this, &LookupMaintenance::remove);
    connect(command(3), &QPushButton::clicked, this, &LookupMaintenance::exit);
}

bool LookupMaintenance::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the list (a button press takes the focus first) turns its text to lower case.
    if (watched == m_combo && event->type() == QEvent::FocusOut) {
        const QString lower = m_combo->currentText().toLower();
        if (lower != m_combo->currentText())
            m_combo->setEditText(lower);
    }
    return QObject::eventFilter(watched, event);
}

// ---- Toggle and "Esci" -------------------------------------------------------------

void LookupMaintenance::toggled(bool checked)
{
    if (checked) {
        m_frame->show();
        for (QCheckBox *other : std::as_const(m_otherToggles))
            other->hide();
        if (m_family.openingLoads)
            guarded(m_window, m_dialogs, m_load);
        return;
    }
    m_frame->hide();
    for (QCheckBox *other : std::as_const(m_otherToggles))
        other->show();
}

void LookupMaintenance::exit()
{
    m_frame->hide();
    m_toggle->setChecked(false); // its handler shows the other toggles
    if (m_family.exitEmptiesList) {
        m_combo->clear();
        m_combo->clearEditText(); // an editable combo keeps its text through clear()
    }
    m_toggle->show();
    for (QCheckBox *other : std::as_const(m_otherToggles))
        other->show();
}

// ---- Changes ---------------------------------------------------------------------------

QString LookupMaintenance::textToStore() const
{
    // Also here, for a button pressed without the list losing focus (keyboard shortcut).
    const QString text = m_combo->currentText();
    return m_family.lowerCase ? text.toLower() : text;
}

void LookupMaintenance::insert()
{
    const QString text = textToStore();
    // Duplicates are the user's to make, an empty entry is no entry.
    if (text.trimmed().isEmpty()) {
        m_dialogs.warn(m_window, QStringLiteral("Scrivere nell'elenco \"%1\" la voce da inserire: una voce vuota non "
                                                "viene inserita.")
                                     .arg(tableName(m_family.list)));
        return;
    }
    const bool stored = guarded(m_window, m_dialogs, [&] { m_store.addLookupEntry(m_family.list, text); });
    if (!stored)
        return; // the frame stays open with the text, to try again
    m_dialogs.message(m_window, QStringLiteral("Inserimento effettuato"), QStringLiteral("CONFERMA"), QMessageBox::Ok,
                      QMessageBox::NoIcon);
    reload();
    m_frame->hide();
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
    const QComboBox *combo = m_combo;
    const QString text = textToStore();
    const auto asStored = [this](const QString &entry) { return m_family.lowerCase ? entry.toLower() : entry; };
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
    if (m_combo->count() == 0) {
        m_dialogs.inform(
            m_window,
            QStringLiteral("L'elenco \"%1\" è vuoto: non c'è nessuna voce da %2.").arg(tableName(m_family.list), what));
        return false;
    }
    const int entry = entryMeant(action);
    if (entry < 0) {
        m_dialogs.inform(m_window,
                         QStringLiteral("Nessuna voce dell'elenco \"%1\" corrisponde a \"%2\".\n"
                                        "Scegliere dall'elenco la voce da %3: nulla è stato %4.")
                             .arg(tableName(m_family.list), m_combo->currentText(), what, done));
        return false;
    }
    rowId = m_combo->itemData(entry, RowIdRole).toLongLong();
    return true;
}

// Changes or deletes the row with that ID; false when nothing was stored (already told).
bool LookupMaintenance::storeOnRow(Action action, qint64 rowId, const QString &text)
{
    const QString table = tableName(m_family.list);
    bool found = false;
    const bool ran = guarded(m_window, m_dialogs, [&] {
        found = action == Action::Change ? m_store.renameLookupEntry(m_family.list, rowId, text)
                                         : m_store.deleteLookupEntry(m_family.list, rowId);
    });
    if (ran && !found)
        m_dialogs.inform(
            m_window,
            QStringLiteral("La voce scelta non è più nell'elenco \"%1\" del catalogo: nulla è stato %2.")
                .arg(table, action == Action::Change ? QStringLiteral("modificato") : QStringLiteral("eliminato")));
    return ran && found;
}

void LookupMaintenance::reload()
{
    try {
        m_load();
    } catch (const db::DbError &error) {
        m_dialogs.warn(m_window,
                       QStringLiteral("La modifica è stata salvata, ma l'elenco \"%1\" non si è potuto "
                                      "ricaricare dal catalogo.\n\n")
                               .arg(tableName(m_family.list))
                           + error.reason());
    }
}

} // namespace lookups
