#include "app/Startup.h"

#include "core/app/Texts.h"
#include "core/db/DbError.h"
#include "core/db/Store.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
#include <QTranslator>

#include <memory>

namespace startup {

void setItalian(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
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

} // namespace startup
