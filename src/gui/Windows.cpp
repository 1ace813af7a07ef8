#include "gui/Windows.h"

#include "core/engines/DbError.h"
#include "gui/attachments/ScannerDialogs.h"
#include "core/scanning/Twain.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "gui/attachments/AttachmentWindow.h"
#include "gui/attachments/ScannerWindow.h"
#include "gui/browse/BrowseWindow.h"
#include "gui/browse/ReportPreview.h"
#include "gui/guide/GuideWindow.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/ToolWindow.h"

#include <QApplication>
#include <QShortcut>
#include "gui/mainwindow/MainWindow.h"
#include "gui/search/SearchWindow.h"
#include "gui/service/ServiceWindow.h"
#include "gui/startup/Startup.h"

Windows::Windows(const AppContext &context) : m_context(context)
{
}

Windows::~Windows()
{
    // Windows other than the main one have no parent; delete them before it.
    delete m_reportPreview.data();
    delete m_searchWindow.data();
    delete m_browseWindow.data();
    delete m_serviceWindow.data();
    delete m_attachmentWindow.data();
    delete m_scannerWindow.data();
    delete m_guide.data();
    delete m_mainWindow.data();
}

// Every connection is direct: the other window's handler runs inside the signal,
// in the order the user has always seen.

MainWindow &Windows::mainWindow()
{
    if (!m_mainWindow) {
        m_mainWindow = new MainWindow(m_context);
        offerGuide(m_mainWindow, [this] { return m_mainWindow->guideChapter(); });
        connect(m_mainWindow, &MainWindow::searchRequested, this,
                [this] { toolwindow::showModeless(&searchWindow()); });
        connect(m_mainWindow, &MainWindow::browseRequested, this,
                [this] { toolwindow::showModeless(&browseWindow()); });
        connect(m_mainWindow, &MainWindow::scannerRequested, this,
                [this] { toolwindow::showModeless(&scannerWindow()); });
        connect(m_mainWindow, &MainWindow::attachmentsRequested, this,
                [this] { toolwindow::showModeless(&attachmentWindow()); });
        connect(m_mainWindow, &MainWindow::serviceRequested, this,
                [this] { toolwindow::showModeless(&serviceWindow()); });
        connect(m_mainWindow, &MainWindow::wholeCatalogueReportRequested, this, &Windows::showWholeCatalogueReport);
        connect(m_mainWindow, &MainWindow::endRequested, this, &Windows::endProgram);
    }
    return *m_mainWindow;
}

SearchWindow &Windows::searchWindow()
{
    if (!m_searchWindow) {
        m_searchWindow = new SearchWindow(m_context);
        offerGuide(m_searchWindow, [] { return QStringLiteral("7-cercare"); });
        connect(m_searchWindow, &SearchWindow::loaded, &mainWindow(), &MainWindow::clearQueryEntry);
        connect(m_searchWindow, &SearchWindow::unloading, &mainWindow(), &MainWindow::clearSearchEntry);
        connect(m_searchWindow, &SearchWindow::printRequested, this,
                [this](db::RowSource &rows) { reportPreview().showModal(rows); });
        // A search that found the index broken read the table instead; the index is
        // repaired now, as at start, so that the next searches are quick again.
        connect(m_searchWindow, &SearchWindow::searched, this, [this] {
            if (m_context.store->searchIndexWantsRepair())
                startup::checkSearchIndex(*m_context.store, m_searchWindow);
        });
        m_searchWindow->load();
    }
    return *m_searchWindow;
}

BrowseWindow &Windows::browseWindow()
{
    if (!m_browseWindow) {
        m_browseWindow = new BrowseWindow(m_context);
        offerGuide(m_browseWindow, [] { return QStringLiteral("8-vedere-e-correggere-tutto-il-catalogo"); });
        connect(m_browseWindow, &BrowseWindow::loaded, &mainWindow(), [this] {
            m_mainWindow->clearSearchEntry();
            m_mainWindow->clearQueryEntry();
        });
        connect(m_browseWindow, &BrowseWindow::wholeCatalogueReportRequested, this, &Windows::showWholeCatalogueReport);
        m_browseWindow->load();
    }
    return *m_browseWindow;
}

ReportPreview &Windows::reportPreview()
{
    if (!m_reportPreview) {
        m_reportPreview = new ReportPreview(m_context);
        offerGuide(m_reportPreview, [] { return QStringLiteral("9-stampare"); });
    }
    return *m_reportPreview;
}

ServiceWindow &Windows::serviceWindow()
{
    if (!m_serviceWindow) {
        m_serviceWindow = new ServiceWindow(m_context);
        offerGuide(m_serviceWindow, [] { return QStringLiteral("12-le-funzioni-di-servizio"); });
        connect(m_serviceWindow, &ServiceWindow::unloading, &mainWindow(), &MainWindow::clearServiceEntry);
        connect(m_serviceWindow, &ServiceWindow::closed, this, [this] { toolwindow::showModeless(&mainWindow()); });
    }
    return *m_serviceWindow;
}

AttachmentWindow &Windows::attachmentWindow()
{
    if (!m_attachmentWindow) {
        m_attachmentWindow = new AttachmentWindow(m_context);
        offerGuide(m_attachmentWindow, [] { return QStringLiteral("11-aprire-un-allegato"); });
    }
    return *m_attachmentWindow;
}

ScannerWindow &Windows::scannerWindow()
{
    if (!m_scannerWindow) {
        m_scannerWindow = new ScannerWindow(m_context, twain());
        offerGuide(m_scannerWindow, [] { return QStringLiteral("10-lo-scanner"); });
        connect(m_scannerWindow, &ScannerWindow::notesLineAdded, &mainWindow(), &MainWindow::appendToNotes);
    }
    return *m_scannerWindow;
}

Twain &Windows::twain()
{
    if (!m_twain) {
        m_scannerChoice = std::make_unique<ScannerDialogs>(*m_context.dialogs);
        m_twain = std::make_unique<Twain>(m_context.attachmentFolder(), *m_scannerChoice);
    }
    return *m_twain;
}

SearchWindow *Windows::loadedSearchWindow() const
{
    return m_searchWindow;
}
BrowseWindow *Windows::loadedBrowseWindow() const
{
    return m_browseWindow;
}
ReportPreview *Windows::loadedReportPreview() const
{
    return m_reportPreview;
}
ServiceWindow *Windows::loadedServiceWindow() const
{
    return m_serviceWindow;
}
AttachmentWindow *Windows::loadedAttachmentWindow() const
{
    return m_attachmentWindow;
}
ScannerWindow *Windows::loadedScannerWindow() const
{
    return m_scannerWindow;
}

bool Windows::showWholeCatalogueReport(QWidget *caller)
{
    try {
        // Its own connection; the records of the table when it was asked for, their
        // rows read a page at a time as the preview shows them.
        const std::shared_ptr<db::QueryRowSource> rows = m_context.store->reportRows();
        return reportPreview().showModal(*rows); // rows and connection go after the window
    } catch (const db::DbError &error) {
        m_context.dialogs->fail(
            caller, QStringLiteral("Impossibile preparare la stampa del catalogo.\n%1").arg(error.reason()));
        return false;
    }
}

void Windows::offerGuide(QWidget *window, std::function<QString()> chapter)
{
    auto *key = new QShortcut(QKeySequence::HelpContents, window);
    key->setContext(Qt::WindowShortcut);
    connect(key, &QShortcut::activated, this, [this, chapter] { showGuide(chapter()); });
}

GuideWindow *Windows::loadedGuide() const
{
    return m_guide;
}

void Windows::showGuide(const QString &chapter)
{
    // Over a modal window (the report's preview) the guide is a window of its
    // own, so that it takes the keyboard and the mouse too.
    QWidget *modal = QApplication::activeModalWidget();
    if (!m_guide)
        m_guide = new GuideWindow();
    if (m_guide->parentWidget() != modal)
        m_guide->setParent(modal, Qt::Window);
    toolwindow::showModeless(m_guide);
    m_guide->showChapter(chapter); // once shown, when its text is laid out at its width
}

void Windows::endProgram()
{
    // A change the browse grid still holds is stored first; the user may choose to
    // stay when the catalogue refuses it.
    if (m_browseWindow && !m_browseWindow->storePendingEdit())
        return;
    if (m_context.endProgram)
        m_context.endProgram();
}
