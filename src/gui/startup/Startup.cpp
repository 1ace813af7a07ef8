#include "gui/startup/Startup.h"

#include "core/catalogue/Backup.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/CatalogueLock.h"
#include "core/catalogue/Store.h"
#include "core/engines/DbError.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/BackupCopies.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Texts.h"
#include "gui/startup/AccessMigration.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
#include <QTranslator>
#include <clocale>

namespace {

// The categories the C library takes from LC_ALL when it is set, but those
// the program sets for Qt below.
constexpr const char *localeCategories[]
    = {"LC_CTYPE",   "LC_COLLATE",   "LC_MONETARY",    "LC_PAPER",         "LC_NAME",
       "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};
constexpr const char *italian = "it_IT.UTF-8";

// Qt reads its system locale from the environment once, when it is first asked.
// For that moment the date, number and message categories say Italian; afterwards the
// environment and the C library's locale are the machine's again, so that
// nothing else (file names, programs started from here) sees a change.
class ItalianSystemLocale {
public:
    ItalianSystemLocale()
    {
        for (const char *name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MESSAGES"})
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        const QByteArray all = qgetenv("LC_ALL");
        if (!all.isEmpty()) {
            // LC_ALL would override the categories set below: hand its value to the others.
            for (const char *category : localeCategories)
                if (!qEnvironmentVariableIsSet(category)) {
                    m_saved.append({category, QByteArray(), false});
                    qputenv(category, all);
                }
            qunsetenv("LC_ALL");
        }
        qputenv("LC_TIME", italian);
        qputenv("LC_NUMERIC", italian);
        qputenv("LC_MESSAGES", italian); // the words Qt takes from the locale itself ("byte")
    }
    ~ItalianSystemLocale()
    {
        QLocale::system(); // read now, while the environment says Italian
        for (const Saved &saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
        std::setlocale(LC_ALL, "");
    }

private:
    struct Saved {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

void installTranslation(QApplication &app, const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), name, QStringLiteral("_"), folder))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

#include <memory>

namespace startup {

std::unique_ptr<QApplication> makeApplication(int &argc, char **argv)
{
    std::unique_ptr<QApplication> app;
    {
        const ItalianSystemLocale italianDialogs;
        app = std::make_unique<QApplication>(argc, argv);
    }
    configure(*app);
    return app;
}

void configure(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // Installed later, asked first: the program's own texts fill what Qt's lack.
    installTranslation(app, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    installTranslation(app, QStringLiteral("qt_dialogs"), QStringLiteral(":/translations"));
    // The main window refuses to close and "Esci" ends the program: closing the
    // last ordinary window (the report's preview) must not make Qt quit, which
    // would first close every window that lets itself be closed.
    QApplication::setQuitOnLastWindowClosed(false);
}

void endProgram()
{
    QCoreApplication::exit(0);
}

void checkSearchIndex(const db::Store &store, QWidget *mainWindow, int showAfterMs)
{
    QProgressDialog progress(QStringLiteral("Aggiornamento dell'indice di ricerca del catalogo in corso..."), QString(),
                             0, 100, mainWindow);
    progress.setObjectName(QStringLiteral("avanzamentoIndice"));
    progress.setWindowTitle(texts::applicationTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(showAfterMs);
    progress.setValue(0); // from now on: shown after showAfterMs, unless the work is done

    // The work runs beside the event loop, so that the windows stay drawn and the
    // progress window appears on time; it has a connection of its own.
    std::unique_ptr<QThread> worker(QThread::create([&store, &progress] {
        try {
            store.checkSearchIndex([&progress](int percent) {
                QMetaObject::invokeMethod(
                    &progress, [&progress, percent] { progress.setValue(percent); }, Qt::QueuedConnection);
            });
        } catch (const db::DbError &) {
            // A catalogue that cannot be written now: the next start tries again.
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    // Clicks on the main window wait until the index is ready.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}

std::unique_ptr<db::CatalogueLock> openCatalogueFile(const AppContext &context)
{
    Dialogs &dialogs = *context.dialogs;
    if (!accessmigration::offerConversion(context.programFolder, dialogs,
                                          accessmigration::converterBeside(context.programFolder)))
        return nullptr;
    // Checked before anything is made beside it.
    if (const QString problem = db::checkCatalogue(context.catalogPath()); !problem.isEmpty()) {
        dialogs.fail(nullptr, problem);
        return nullptr;
    }
    // Other copies of the program hold it too; a restore takes it alone.
    auto inUse = std::make_unique<db::CatalogueLock>(context.catalogPath(), db::CatalogueLock::Shared);
    if (inUse->busy()) {
        dialogs.fail(nullptr,
                     QStringLiteral("Il catalogo \"%1\" è in fase di ripristino da una copia di sicurezza: "
                                    "avviare il programma quando il ripristino è finito.")
                         .arg(context.catalogPath()));
        return nullptr;
    }
    backup::removeLeftovers(context.catalogPath());
    backupcopies::makeDailyCopy(context.catalogPath(), dialogs);
    return inUse;
}

} // namespace startup
