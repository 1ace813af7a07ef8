#pragma once
// The maintenance frame of one lookup list on the main window. A small toggle on
// the entry screen opens it; in its list the user picks or types a text and presses
// "Inserisci" (new entry), "Modifica" (the picked entry gets the text), "Elimina"
// (the entry is removed) or "Esci". Every change is stored at once, then both lists
// of the table are loaded again. The three families differ as the table of
// LookupFrames.h says.
#include "gui/mainwindow/LookupFrames.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class Dialogs;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QWidget;
struct AppContext;

namespace db {
class Store;
}

namespace lookups {

class LookupMaintenance : public QObject {
    Q_OBJECT
public:
    // Works on the controls of `family` found in `window` by name; `load` fills both
    // lists of the table (throws db::DbError). The object lives as long as `window`.
    LookupMaintenance(const FrameFamily &family, QWidget &window, const AppContext &context,
                      std::function<void()> load);

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

    const FrameFamily &m_family;
    QCheckBox *m_toggle;
    QGroupBox *m_frame;
    QComboBox *m_combo;
    QList<QCheckBox *> m_otherToggles; // the rest of the entry screen's group of four
    std::function<void()> m_load;
    const db::Store &m_store;
    Dialogs &m_dialogs;
    QWidget *m_window;
};

} // namespace lookups
