#include "app/AppContext.h"
#include "app/Form1.h"
#include "app/Startup.h"
#include "app/Texts.h"
#include "app/Windows.h"
#include "db/Catalogue.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/SearchIndex.h"
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
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.printers = &printers;
    context.endProgram = [] { QCoreApplication::exit(0); };

    const QString problem = db::checkCatalogue(context.catalogPath());
    if (!problem.isEmpty()) {
        dialogs.message(nullptr, problem, texts::applicationTitle(), QMessageBox::Ok, QMessageBox::Critical);
        return 1;
    }

    try {
        // Catalogues made before the search index existed get it now, once.
        db::ensureSearchIndex(db::connectionTextA(context.programFolder));
    } catch (const db::DbError &) {
        // Searches still work without it, reading the whole table.
    }

    Windows windows(context);
    windows.form1().show();
    return QApplication::exec();
}
