#include "app/Windows.h"

#include "app/Form1.h"
#include "attachments/Form3.h"
#include "attachments/Form5.h"
#include "attachments/Twain.h"
#include "browse/Frmlibri.h"
#include "browse/rptBooks.h"
#include "search/Form7.h"
#include "service/Form2.h"

Windows::Windows(const AppContext &context) : m_context(context)
{
}

Windows::~Windows()
{
    // Windows other than the main one have no parent; delete them before it.
    delete m_report.data();
    delete m_form7.data();
    delete m_frmlibri.data();
    delete m_form2.data();
    delete m_form3.data();
    delete m_form5.data();
    delete m_form1.data();
}

template <typename W> W &Windows::ensure(QPointer<W> &slot)
{
    if (!slot)
        slot = new W(*this);
    return *slot;
}

Form1 &Windows::form1()
{
    return ensure(m_form1);
}
Form7 &Windows::form7()
{
    return ensure(m_form7);
}
Frmlibri &Windows::frmlibri()
{
    return ensure(m_frmlibri);
}
rptBooks &Windows::report()
{
    return ensure(m_report);
}
Form2 &Windows::form2()
{
    return ensure(m_form2);
}
Form3 &Windows::form3()
{
    return ensure(m_form3);
}
Form5 &Windows::form5()
{
    return ensure(m_form5);
}

Twain &Windows::twain()
{
    if (!m_twain)
        m_twain = std::make_unique<Twain>(m_context);
    return *m_twain;
}

Form7 *Windows::loadedForm7() const
{
    return m_form7;
}
Frmlibri *Windows::loadedFrmlibri() const
{
    return m_frmlibri;
}
rptBooks *Windows::loadedReport() const
{
    return m_report;
}
Form2 *Windows::loadedForm2() const
{
    return m_form2;
}
Form3 *Windows::loadedForm3() const
{
    return m_form3;
}
Form5 *Windows::loadedForm5() const
{
    return m_form5;
}

void Windows::showModeless(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void Windows::endProgram()
{
    // A change the browse grid still holds is stored first; the user may choose to
    // stay when the catalogue refuses it.
    if (m_frmlibri && !m_frmlibri->storePendingEdit())
        return;
    if (m_context.endProgram)
        m_context.endProgram();
}
