#include "gui/kit/ExportMenu.h"

#include "core/export/TableExport.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Guard.h"
#include "gui/kit/Texts.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStandardPaths>

namespace exportmenu {

namespace {

struct Kind {
    exporting::Format format;
    const char16_t *name;     // the menu action's objectName
    const char16_t *caption;  // its text
    const char16_t *title;    // the save dialog's title
    const char16_t *filter;   // the save dialog's filter
    const char16_t *extension;
};

constexpr Kind kinds[] = {
    {exporting::Format::Spreadsheet, u"EsportaFoglioDiCalcolo", u"&Foglio di calcolo (.ods)...",
     u"Esporta in un foglio di calcolo", u"Foglio di calcolo OpenDocument (*.ods)", u".ods"},
    {exporting::Format::Text, u"EsportaFileDiTesto", u"File di &testo (.csv)...", u"Esporta in un file di testo",
     u"File di testo separato da punto e virgola (*.csv)", u".csv"},
};

// The user's documents folder, or the home folder where there is none.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void exportRows(QMainWindow &window, const AppContext &context, const QString &proposedName, const Kind &kind,
                const RowsToExport &rowsToExport)
{
    const QString extension = QString::fromUtf16(kind.extension);
    QString path = context.dialogs->saveFileName(&window, QString::fromUtf16(kind.title),
                                                 documentsFolder() + QLatin1Char('/') + proposedName + extension,
                                                 QString::fromUtf16(kind.filter));
    if (path.isEmpty())
        return;
    if (!path.endsWith(extension, Qt::CaseInsensitive))
        path += extension;

    QProgressDialog progress(QStringLiteral("Esportazione in corso..."), QStringLiteral("Annulla"), 0, 100, &window);
    progress.setObjectName(QStringLiteral("avanzamentoEsportazione"));
    progress.setWindowTitle(texts::applicationTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    qint64 written = 0;
    bool done = false;
    try {
        guarded(&window, *context.dialogs, [&] {
            const std::optional<exporting::Rows> rows = rowsToExport();
            if (!rows)
                return;
            done = exporting::write(path, kind.format, *rows, [&](qint64 count, qint64 total) {
                written = count;
                if (total > 0)
                    progress.setValue(int(count * 100 / total));
                return !progress.wasCanceled();
            });
        });
    } catch (const exporting::ExportError &error) {
        progress.close();
        context.dialogs->warn(&window, error.message());
        return;
    }
    progress.close();
    if (done)
        context.dialogs->inform(&window, QStringLiteral("%1 registrazioni esportate nel file \"%2\".")
                                             .arg(written)
                                             .arg(QDir::toNativeSeparators(path)));
}

} // namespace

void add(QMainWindow &window, const AppContext &context, const QString &proposedName, RowsToExport rows)
{
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("&Esporta"));
    menu->setObjectName(QStringLiteral("Esporta"));
    menu->menuAction()->setObjectName(QStringLiteral("Esporta"));
    for (const Kind &kind : kinds) {
        QAction *action = menu->addAction(QString::fromUtf16(kind.caption));
        action->setObjectName(QString::fromUtf16(kind.name));
        QObject::connect(action, &QAction::triggered, &window,
                         [&window, &context, proposedName, &kind, rows] { exportRows(window, context, proposedName, kind, rows); });
    }
}

} // namespace exportmenu
