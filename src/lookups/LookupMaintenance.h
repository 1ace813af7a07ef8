#pragma once
// The maintenance frame of one lookup list on the main window. A small toggle on
// the entry screen opens it; in its list the user picks or types a text and presses
// "Inserisci" (new entry), "Modifica" (the picked entry gets the text), "Elimina"
// (the entry is removed) or "Esci". Every change is stored at once, then both lists
// of the table are loaded again. The three families differ only in FamilyRules.
#include "lookups/LookupLists.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class Form1;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QWidget;
struct AppContext;

namespace lookups {

// Where the three families differ.
struct FamilyRules {
    bool lowerCase;       // the text turns to lower case when the list loses focus, and is stored so
    bool openingLoads;    // checking the toggle loads both lists of the table
    bool exitEmptiesList; // "Esci" empties the frame's list
};
FamilyRules rulesOf(List list);

// The controls of one frame and the routine that loads its table.
struct MaintenanceControls {
    List list;
    QCheckBox *toggle;
    QGroupBox *frame;
    QComboBox *combo;
    QPushButton *insert, *change, *remove, *exit;
    QList<QCheckBox *> otherToggles; // the rest of the entry screen's group of four
    std::function<void()> load;      // fills both lists of the table; throws db::DbError
};

class LookupMaintenance : public QObject {
    Q_OBJECT
public:
    // Connects the controls; the object lives as long as `window`.
    LookupMaintenance(MaintenanceControls controls, const AppContext &context, QWidget *window);

    // The keyword, publication and location frames of the main window.
    static void attachAll(Form1 &window, const AppContext &context);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Action { Change, Remove };

    void toggled(bool checked);
    void insert();
    void change();
    void remove();
    void exit();

    QString textToStore() const;
    int entryMeant(Action action) const;
    bool findsEntry(Action action, qint64 &rowId);
    bool storeOnRow(Action action, qint64 rowId, const QString &text);
    void reload();
    void tell(const QString &text);

    MaintenanceControls m_controls;
    FamilyRules m_rules;
    QString m_programFolder;
    Dialogs *m_dialogs;
    QWidget *m_window;
};

} // namespace lookups
