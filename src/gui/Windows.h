#pragma once
// The window registry: owns the one instance of every window, creates (loads) a
// window on first use and connects what one window asks of another. The
// windows that unload when closed are created anew the next time. Only the
// registry knows the windows; they know only their context and their signals.
#include "gui/kit/AppContext.h"

#include <QObject>
#include <QPointer>

#include <memory>

class Form1;
class Form7;
class Frmlibri;
class rptBooks;
class Form2;
class Form3;
class Form5;
class QWidget;
class Twain;
class ScannerDialogs;

class Windows : public QObject {
    Q_OBJECT
public:
    explicit Windows(const AppContext &context);
    ~Windows() override;
    Windows(const Windows &) = delete;
    Windows &operator=(const Windows &) = delete;

    const AppContext &context() const { return m_context; }

    Form1 &form1();
    Form7 &form7();
    Frmlibri &frmlibri();
    rptBooks &report();
    Form2 &form2();
    Form3 &form3();
    Form5 &form5();
    // The scanning layer: one per program, so that the chosen scanner stays the
    // default source while the scanner window comes and goes.
    Twain &twain();

    // The window when it is loaded, else nullptr; never loads it.
    Form7 *loadedForm7() const;
    Frmlibri *loadedFrmlibri() const;
    rptBooks *loadedReport() const;
    Form2 *loadedForm2() const;
    Form3 *loadedForm3() const;
    Form5 *loadedForm5() const;

    // The catalogue report of every record ("Stampa Generale", "Stampa Report"):
    // read through its own connection, shown maximised and modal, released when
    // closed. A failure is told over `caller`. True when the report was shown.
    bool showWholeCatalogueReport(QWidget *caller);

    // "Esci": ends the program at once. Edits the browse grid still holds are
    // stored first; no other window's closing steps run.
    void endProgram();

private:
    AppContext m_context;
    QPointer<Form1> m_form1;
    QPointer<Form7> m_form7;
    QPointer<Frmlibri> m_frmlibri;
    QPointer<rptBooks> m_report;
    QPointer<Form2> m_form2;
    QPointer<Form3> m_form3;
    QPointer<Form5> m_form5;
    std::unique_ptr<ScannerDialogs> m_scannerChoice;
    std::unique_ptr<Twain> m_twain;
};
