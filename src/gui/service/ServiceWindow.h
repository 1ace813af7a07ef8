#pragma once
// The service window "Funzioni di Servizio" (the original's Form2): three check boxes used as commands on the catalogue:
// set the document number counter, restart the record numbering, delete every
// record. Each asks first, makes a backup copy of the catalogue just before it
// changes anything, and unchecks itself when done or refused. The main
// window is hidden while this window is open and comes back when it closes.
#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
struct AppContext;

class ServiceWindow : public QWidget {
    Q_OBJECT
public:
    explicit ServiceWindow(const AppContext &context, QWidget *parent = nullptr);

    QCheckBox *Check1 = nullptr; // "Cambia Progressivo Documento"
    QCheckBox *Check2 = nullptr; // "Azzera Contatore Registrazioni"
    QCheckBox *Check3 = nullptr; // "Elimina Registrazioni"

    // The counter value typed by the user: a whole number of zero or more that
    // still has a next number; nothing for anything else.
    static std::optional<qint64> counterValue(const QString &typed);

signals:
    // Closing: first the main window unchecks "Funzioni di Servizio", then, once
    // this window is hidden, it shows itself again.
    void unloading();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void cambiaProgressivo(bool checked);
    void azzeraContatore(bool checked);
    void eliminaRegistrazioni(bool checked);
    bool guarded(const std::function<void()> &work);

    const AppContext &m_context;
};
