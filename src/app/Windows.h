#pragma once
// Owns the one instance of every window. A window is created (loaded) on first use;
// the windows that unload when closed are created anew the next time. Handed to
// every window that reaches another window.
#include "app/AppContext.h"

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

class Windows {
public:
    explicit Windows(const AppContext &context);
    ~Windows();
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

    // Shows a window without waiting for it; one already shown comes forward.
    static void showModeless(QWidget *window);

    // "Esci": ends the program at once. Edits the browse grid still holds are
    // stored first; no other window's closing steps run.
    void endProgram();

private:
    template <typename W> W &ensure(QPointer<W> &slot);

    AppContext m_context;
    QPointer<Form1> m_form1;
    QPointer<Form7> m_form7;
    QPointer<Frmlibri> m_frmlibri;
    QPointer<rptBooks> m_report;
    QPointer<Form2> m_form2;
    QPointer<Form3> m_form3;
    QPointer<Form5> m_form5;
    std::unique_ptr<Twain> m_twain;
};
