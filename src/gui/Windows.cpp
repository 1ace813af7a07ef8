#include "gui/Windows.h"

#include "gui/mainwindow/Form1.h"
#include "gui/attachments/Form3.h"
#include "gui/attachments/Form5.h"
#include "gui/attachments/ScannerDialogs.h"
#include "gui/browse/Frmlibri.h"
#include "gui/browse/rptBooks.h"
#include "core/scanning/Twain.h"
#include "core/engines/DbError.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/ToolWindow.h"
#include "gui/search/Form7.h"
#include "gui/service/Form2.h"

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

// Every connection is direct: the other window's handler runs inside the signal,
// in the order the user has always seen.

Form1 &Windows::form1()
{
    if (!m_form1) {
        m_form1 = new Form1(m_context);
        connect(m_form1, &Form1::searchRequested, this, [this] { toolwindow::showModeless(&form7()); });
        connect(m_form1, &Form1::browseRequested, this, [this] { toolwindow::showModeless(&frmlibri()); });
        connect(m_form1, &Form1::scannerRequested, this, [this] { toolwindow::showModeless(&form5()); });
        connect(m_form1, &Form1::attachmentsRequested, this, [this] { toolwindow::showModeless(&form3()); });
        connect(m_form1, &Form1::serviceRequested, this, [this] { toolwindow::showModeless(&form2()); });
        connect(m_form1, &Form1::wholeCatalogueReportRequested, this, &Windows::showWholeCatalogueReport);
        connect(m_form1, &Form1::endRequested, this, &Windows::endProgram);
    }
    return *m_form1;
}

Form7 &Windows::form7()
{
    if (!m_form7) {
        m_form7 = new Form7(m_context);
        connect(m_form7, &Form7::loaded, &form1(), &Form1::clearQueryEntry);
        connect(m_form7, &Form7::unloading, &form1(), &Form1::clearSearchEntry);
        connect(m_form7, &Form7::printRequested, this, [this](const db::RowSource &rows) { report().showModal(rows); });
        m_form7->load();
    }
    return *m_form7;
}

Frmlibri &Windows::frmlibri()
{
    if (!m_frmlibri) {
        m_frmlibri = new Frmlibri(m_context);
        connect(m_frmlibri, &Frmlibri::loaded, &form1(), [this] {
            m_form1->clearSearchEntry();
            m_form1->clearQueryEntry();
        });
        connect(m_frmlibri, &Frmlibri::wholeCatalogueReportRequested, this, &Windows::showWholeCatalogueReport);
        m_frmlibri->load();
    }
    return *m_frmlibri;
}

rptBooks &Windows::report()
{
    if (!m_report)
        m_report = new rptBooks(m_context);
    return *m_report;
}

Form2 &Windows::form2()
{
    if (!m_form2) {
        m_form2 = new Form2(m_context);
        connect(m_form2, &Form2::unloading, &form1(), &Form1::clearServiceEntry);
        connect(m_form2, &Form2::closed, this, [this] { toolwindow::showModeless(&form1()); });
    }
    return *m_form2;
}

Form3 &Windows::form3()
{
    if (!m_form3)
        m_form3 = new Form3(m_context);
    return *m_form3;
}

Form5 &Windows::form5()
{
    if (!m_form5) {
        m_form5 = new Form5(m_context, twain());
        connect(m_form5, &Form5::notesLineAdded, &form1(), &Form1::appendToNotes);
    }
    return *m_form5;
}

Twain &Windows::twain()
{
    if (!m_twain) {
        m_scannerChoice = std::make_unique<ScannerDialogs>(*m_context.dialogs);
        m_twain = std::make_unique<Twain>(m_context.attachmentFolder(), *m_scannerChoice);
    }
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

bool Windows::showWholeCatalogueReport(QWidget *caller)
{
    try {
        // Its own connection; the rows stay as the table was when they were read,
        // and are read a page at a time as the preview shows them.
        const std::shared_ptr<db::QueryRowSource> rows = m_context.store->reportRows();
        return report().showModal(*rows); // rows and connection go after the window
    } catch (const db::DbError &error) {
        m_context.dialogs->fail(
            caller, QStringLiteral("Impossibile preparare la stampa del catalogo.\n%1").arg(error.reason()));
        return false;
    }
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
