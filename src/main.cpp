#include "app/AppContext.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "app/Windows.h"
#include "core/app/Texts.h"
#include "core/db/Catalogue.h"
#include "core/db/DbError.h"
#include "core/db/Store.h"
#include "desktop/Dialogs.h"
#include "desktop/Printers.h"
#include "desktop/Shell.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::applicationTitle());
    startup::setItalian(app);

    QtDialogs dialogs;
    DesktopShell shell;
    SystemPrinters printers;
    AppContext context;
    context.programFolder = QCoreApplication::applicationDirPath();
    db::Store store(context.catalogPath());
    context.store = &store;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.printers = &printers;
    context.endProgram = [] { QCoreApplication::exit(0); };

    const QString problem = db::checkCatalogue(context.catalogPath());
    if (!problem.isEmpty()) {
        dialogs.message(nullptr, problem, texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Critical);
        return 1;
    }

    Windows windows(context);
    windows.form1().show();
    startup::checkSearchIndex(store, &windows.form1());
    return QApplication::exec();
}
