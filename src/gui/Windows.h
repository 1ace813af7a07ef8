#pragma once
// The window registry: owns the one instance of every window, creates (loads) a
// window on first use and connects what one window asks of another. The
// windows that unload when closed are created anew the next time. Only the
// registry knows the windows; they know only their context and their signals.
#include "gui/kit/AppContext.h"

#include <QObject>
#include <QPointer>

#include <functional>

#include <memory>

class MainWindow;
class SearchWindow;
class BrowseWindow;
class ReportPreview;
class ServiceWindow;
class AttachmentWindow;
class ScannerWindow;
class GuideWindow;
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

    MainWindow &mainWindow();
    SearchWindow &searchWindow();
    BrowseWindow &browseWindow();
    ReportPreview &reportPreview();
    ServiceWindow &serviceWindow();
    AttachmentWindow &attachmentWindow();
    ScannerWindow &scannerWindow();
    // The scanning layer: one per program, so that the chosen scanner stays the
    // default source while the scanner window comes and goes.
    Twain &twain();

    // The window when it is loaded, else nullptr; never loads it.
    SearchWindow *loadedSearchWindow() const;
    BrowseWindow *loadedBrowseWindow() const;
    ReportPreview *loadedReportPreview() const;
    ServiceWindow *loadedServiceWindow() const;
    AttachmentWindow *loadedAttachmentWindow() const;
    ScannerWindow *loadedScannerWindow() const;

    // The catalogue report of every record ("Stampa Generale", "Stampa Report"):
    // read through its own connection, shown maximised and modal, released when
    // closed. A failure is told over `caller`. True when the report was shown.
    bool showWholeCatalogueReport(QWidget *caller);

    // The users' guide at `chapter` (its link name); F1 in every window opens
    // it at that window's chapter.
    void showGuide(const QString &chapter);
    GuideWindow *loadedGuide() const;

    // "Esci": ends the program at once. Edits the browse grid still holds are
    // stored first; no other window's closing steps run.
    void endProgram();

private:
    AppContext m_context;
    QPointer<MainWindow> m_mainWindow;
    QPointer<SearchWindow> m_searchWindow;
    QPointer<BrowseWindow> m_browseWindow;
    QPointer<ReportPreview> m_reportPreview;
    QPointer<ServiceWindow> m_serviceWindow;
    QPointer<AttachmentWindow> m_attachmentWindow;
    QPointer<ScannerWindow> m_scannerWindow;
    QPointer<GuideWindow> m_guide;
    void offerGuide(QWidget *window, std::function<QString()> chapter);
    std::unique_ptr<ScannerDialogs> m_scannerChoice;
    std::unique_ptr<Twain> m_twain;
};
