#include "app/Startup.h"

#include "core/app/Texts.h"
#include "core/db/DbError.h"
#include "core/db/Store.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QTranslator>

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
    try {
        store.checkSearchIndex([&progress](int percent) { progress.setValue(percent); });
    } catch (const db::DbError &) {
        // A catalogue that cannot be written now: the next start tries again.
    }
}

} // namespace startup
