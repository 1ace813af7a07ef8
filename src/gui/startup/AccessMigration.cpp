#include "gui/startup/AccessMigration.h"

#include "gui/kit/Texts.h"
#include "core/conversion/AccessReader.h"
#include "core/catalogue/Catalogue.h"
#include "gui/kit/Dialogs.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

namespace accessmigration {

namespace {

const QString unchanged = QStringLiteral("Il file db1.mdb non è stato modificato.");

struct Outcome {
    bool done = false;
    bool cancelled = false;
    QString summary; // what the tool printed on success
    QString problem; // its sentence, or what went wrong with it
};

// Runs the tool in a child process; the progress dialog shows once it has taken
// more than a moment, and its Annulla ends the child.
Outcome runConverter(const QString &converter, const QStringList &arguments, int progressDelayMs)
{
    Outcome outcome;
    QProcess process;
    process.setProgram(converter);
    process.setArguments(arguments);

    QProgressDialog progress(QStringLiteral("Conversione del catalogo di Access nel nuovo formato in corso..."),
                             QStringLiteral("Annulla"), 0, 0);
    progress.setObjectName(QStringLiteral("ConversioneAccess"));
    progress.setWindowTitle(texts::applicationTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(progressDelayMs);
    progress.cancel(); // hidden until the timer below shows it
    QObject::connect(&progress, &QProgressDialog::canceled, &process, [&] {
        if (process.state() != QProcess::NotRunning) {
            outcome.cancelled = true;
            process.kill();
        }
    });

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, &progress, [&] {
        if (process.state() != QProcess::NotRunning) {
            progress.reset();
            progress.show();
        }
    });
    process.start();
    showLater.start(progressDelayMs);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    progress.hide();

    const QString error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (outcome.cancelled)
        return outcome;
    if (process.error() == QProcess::FailedToStart) {
        outcome.problem = QStringLiteral("Il programma di conversione \"%1\" non si è potuto avviare: %2")
                              .arg(QDir::toNativeSeparators(converter), process.errorString());
    } else if (process.exitStatus() == QProcess::CrashExit) {
        outcome.problem = QStringLiteral("Il programma di conversione si è interrotto in modo anomalo "
                                         "(il file Access è probabilmente danneggiato).");
        if (!error.isEmpty())
            outcome.problem += QLatin1Char('\n') + error;
    } else if (process.exitCode() != 0) {
        outcome.problem = error.isEmpty()
            ? QStringLiteral("Il programma di conversione è terminato con il codice %1.").arg(process.exitCode())
            : error;
    } else {
        outcome.done = true;
        outcome.summary = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    return outcome;
}

} // namespace

QString converterBeside(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("crea_catalogo"));
}

QString keptAccessName()
{
    return QStringLiteral("db1-access.mdb");
}

namespace {
// The converter's summary told where the files are now: the catalogue in place
// of the Access file, which is kept under its new name; the converter's timing,
// which says nothing to the user, left out.
QString summaryAsPlaced(QString summary, const QString &converted, const QString &catalogue, const QString &kept)
{
    summary.replace(QDir::toNativeSeparators(catalogue), QDir::toNativeSeparators(kept));
    summary.replace(QDir::toNativeSeparators(converted), QDir::toNativeSeparators(catalogue));
    QStringList lines = summary.split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.startsWith(QStringLiteral("Tempo: ")); });
    return lines.join(QLatin1Char('\n'));
}
} // namespace

bool offerConversion(const QString &programFolder, Dialogs &dialogs, const QString &converter, int progressDelayMs)
{
    const QDir folder(programFolder);
    const QString catalogue = folder.filePath(db::catalogueFileName());
    if (convert::accessFormatOf(catalogue) == convert::AccessFormat::NotAccess)
        return true;

    const QString question
        = QStringLiteral("Il catalogo \"%1\" è un database di Access del vecchio programma.\n\n"
                         "Convertirlo nel nuovo formato? Il file originale viene conservato così com'è, "
                         "con il nome \"%2\".")
              .arg(QDir::toNativeSeparators(catalogue), keptAccessName());
    if (dialogs.message(nullptr, question, texts::applicationTitle(), QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::Question)
        != QMessageBox::Yes)
        return false;

    const QString kept = folder.filePath(keptAccessName());
    if (QFileInfo::exists(kept)) {
        dialogs.fail(nullptr,
                     QStringLiteral("Il catalogo di Access non è stato convertito: esiste già il file \"%1\", "
                                    "che non viene sovrascritto.\nSpostare o rinominare quel file e avviare "
                                    "di nuovo il programma. ")
                             .arg(QDir::toNativeSeparators(kept))
                         + unchanged);
        return false;
    }
    if (!QFileInfo(converter).isExecutable()) {
        dialogs.fail(nullptr,
                     QStringLiteral("Il catalogo di Access non è stato convertito: manca il programma di "
                                    "conversione \"%1\". ")
                             .arg(QDir::toNativeSeparators(converter))
                         + unchanged);
        return false;
    }
    // Beside the catalogue, so that the finished file is moved in by a rename.
    QTemporaryDir work(folder.filePath(QStringLiteral(".conversione-XXXXXX")));
    if (!work.isValid()) {
        dialogs.fail(nullptr,
                     QStringLiteral("Il catalogo di Access non è stato convertito: nella cartella \"%1\" "
                                    "non si può scrivere (%2). ")
                             .arg(QDir::toNativeSeparators(programFolder), work.errorString())
                         + unchanged);
        return false;
    }

    const Outcome outcome
        = runConverter(converter, {QStringLiteral("--da-access"), catalogue, work.path()}, progressDelayMs);
    if (outcome.cancelled) {
        dialogs.inform(nullptr, QStringLiteral("Conversione annullata. ") + unchanged);
        return false;
    }
    const QString converted = QDir(work.path()).filePath(db::catalogueFileName());
    QString problem = outcome.problem;
    if (problem.isEmpty())
        problem = db::checkCatalogue(converted);
    if (problem.isEmpty() && !QFile::rename(catalogue, kept))
        problem = QStringLiteral("Il file \"%1\" non si è potuto rinominare in \"%2\".")
                      .arg(QDir::toNativeSeparators(catalogue), keptAccessName());
    else if (problem.isEmpty() && !QFile::rename(converted, catalogue)) {
        QFile::rename(kept, catalogue);
        problem = QStringLiteral("Il nuovo catalogo non si è potuto mettere al posto di \"%1\".")
                      .arg(QDir::toNativeSeparators(catalogue));
    }
    if (!problem.isEmpty()) {
        dialogs.fail(nullptr,
                     QStringLiteral("La conversione del catalogo di Access non è riuscita.\n\n") + problem
                         + QStringLiteral("\n\n") + unchanged);
        return false;
    }
    dialogs.inform(nullptr,
                   QStringLiteral("Il catalogo di Access è stato convertito nel nuovo formato; l'originale è "
                                  "conservato così com'era nel file \"%1\".\n\n")
                           .arg(keptAccessName())
                       + summaryAsPlaced(outcome.summary, converted, catalogue, kept));
    return true;
}

} // namespace accessmigration
