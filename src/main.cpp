#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueLock.h"
#include "core/engines/DbError.h"
#include "core/engines/Workstations.h"
#include "core/catalogue/Store.h"
#include "core/settings/IniSettings.h"
#include "gui/Windows.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Printers.h"
#include "gui/kit/Shell.h"
#include "gui/kit/Texts.h"
#include "gui/mainwindow/MainWindow.h"
#include "gui/mainwindow/Pictures.h"
#include "gui/startup/Startup.h"

#include <QApplication>
#include <QTimer>

namespace {
constexpr int markCheckMilliseconds = 10000;

// The main window on screen, the search index checked, until "Esci".
int runWindows(const AppContext &context, const db::Store &store)
{
    Windows windows(context);
    windows.mainWindow().show();
    startup::checkSearchIndex(store, &windows.mainWindow());
    return QApplication::exec();
}
} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QApplication> app = startup::makeApplication(argc, argv);
    QApplication::setApplicationName(texts::applicationTitle());
    QApplication::setWindowIcon(pictures::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("rudozuzurivaz")); // the menu entry, for its icon

    QtDialogs dialogs;
    DesktopShell shell;
    SystemPrinters printers;
    AppContext context;
    context.programFolder = QCoreApplication::applicationDirPath();
    const CatalogueSettings settings = catalogueSettings(context.programFolder);
    if (!settings.problem.isEmpty()) {
        dialogs.fail(nullptr, settings.problem + QStringLiteral("\n\nIl programma termina senza aver cambiato nulla."));
        return 1;
    }
    context.catalogueLocation = settings.location;
    context.officeAttachmentFolder = settings.attachmentFolder;
    db::Store store(context.catalogPath());
    context.store = &store;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.printers = &printers;
    context.endProgram = startup::endProgram;

    std::unique_ptr<db::WorkstationMark> workstation;
    if (store.engine().sharedByWorkstations()) {
        // An office's catalogue on a server: nothing is touched unless it can be
        // reached and is a catalogue; the mark says this workstation has it open.
        QString problem = db::checkCatalogue(store.catalogPath());
        if (problem.isEmpty()) {
            try {
                workstation = store.engine().markWorkstation(store.catalogPath());
            } catch (const db::DbError &error) {
                problem = error.reason();
            }
        }
        if (!problem.isEmpty()) {
            dialogs.fail(nullptr, problem + QStringLiteral("\n\nIl programma termina senza aver cambiato nulla."));
            return 1;
        }
        // A server restarted meanwhile has dropped the mark: it is taken again.
        QTimer keepMark;
        QObject::connect(&keepMark, &QTimer::timeout, [&workstation] { workstation->keep(); });
        keepMark.start(markCheckMilliseconds);
        return runWindows(context, store);
    }

    const std::unique_ptr<db::CatalogueLock> inUse = startup::openCatalogueFile(context);
    if (!inUse)
        return 1;
    return runWindows(context, store);
}
