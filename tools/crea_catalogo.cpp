// Creates a catalogue file db1.mdb, beside this tool or in the folder given as
// its argument: an empty one, or with --da-access one converted from the old
// program's Access catalogue. It never overwrites an existing file, except with
// --ripristina, which puts a backup copy in place of the catalogue. With --server
// and --copia-su it makes the catalogue of an office on a PostgreSQL database;
// with --esporta it writes the whole catalogue to a spreadsheet or a text file.
#include "core/conversion/AccessConversion.h"
#include "core/catalogue/Backup.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/Store.h"
#include "core/engines/DbError.h"
#include "core/engines/Engine.h"
#include "core/engines/ServerCatalogue.h"
#include "core/export/CatalogueExport.h"
#include "core/settings/IniSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "Uso: crea_catalogo [cartella]\n"
                 "Crea un catalogo vuoto db1.mdb nella cartella indicata "
                 "(in mancanza, accanto al programma).\n"
                 "     crea_catalogo --da-access VECCHIO.mdb [cartella]\n"
                 "Crea db1.mdb nella cartella indicata (in mancanza, accanto al programma) "
                 "convertendo il catalogo di Access VECCHIO.mdb, che non viene modificato.\n"
                 "     crea_catalogo --ripristina COPIA [cartella]\n"
                 "Mette la copia di sicurezza COPIA al posto di db1.mdb nella cartella indicata "
                 "(in mancanza, accanto al programma), conservando prima il catalogo attuale tra le copie.\n"
                 "     crea_catalogo --server URI\n"
                 "Crea un catalogo vuoto sul database PostgreSQL indicato (ad esempio "
                 "postgresql://archivio@server/catalogo), che deve essere vuoto.\n"
                 "     crea_catalogo --copia-su URI [cartella]\n"
                 "Copia il catalogo db1.mdb della cartella indicata (in mancanza, accanto al programma) "
                 "sul database PostgreSQL vuoto indicato, con tutti i record, i numeri e il contatore.\n"
                 "     crea_catalogo --esporta FILE.ods|FILE.csv [cartella]\n"
                 "Scrive tutte le registrazioni del catalogo della cartella indicata (in mancanza, accanto al "
                 "programma) in un foglio di calcolo (.ods) o in un file di testo (.csv).\n");
    return 2;
}

// On a terminal a long piece of work shows how far it has gone, on one line
// that clear() empties again.
class TerminalProgress {
public:
    explicit TerminalProgress(const char *what) : m_what(what) {}
    std::function<void(int percent)> callback()
    {
        if (!isatty(STDOUT_FILENO))
            return {};
        return [this](int percent) {
            if (percent != m_shown)
                std::printf("\r%s: %d%%", m_what, m_shown = percent);
            std::fflush(stdout);
        };
    }
    void clear() const
    {
        if (m_shown >= 0)
            std::printf("\r%30s\r", "");
    }

private:
    const char *m_what;
    int m_shown = -1;
};

int restoreCopy(const QString &copy, const QString &folder)
{
    const QString catalogue = QDir(folder).absoluteFilePath(db::catalogueFileName());
    TerminalProgress terminal("Ripristino in corso");
    backup::Progress progress;
    if (const auto show = terminal.callback())
        progress = [show](qint64 done, qint64 total) { show(int(done * 100 / total)); };
    try {
        const backup::Restored restored = backup::restore(QFileInfo(copy).absoluteFilePath(), catalogue, progress);
        terminal.clear();
        std::printf("Il catalogo \"%s\" è stato ripristinato dalla copia \"%s\".\n",
                    qPrintable(QDir::toNativeSeparators(catalogue)),
                    qPrintable(QDir::toNativeSeparators(QFileInfo(copy).absoluteFilePath())));
        if (restored.keptCopy.isEmpty())
            std::printf("Prima non c'era nessun catalogo da conservare.\n");
        else if (restored.keptChecked)
            std::printf("Il catalogo di prima è conservato nella copia \"%s\".\n",
                        qPrintable(QDir::toNativeSeparators(restored.keptCopy)));
        else
            std::printf("Il catalogo di prima, che non ha superato il controllo di integrità, è conservato così "
                        "com'era nella copia \"%s\".\n",
                        qPrintable(QDir::toNativeSeparators(restored.keptCopy)));
        return 0;
    } catch (const db::Refusal &refusal) {
        terminal.clear();
        std::fprintf(stderr, "%s\n", qPrintable(refusal.message()));
    } catch (const db::DbError &error) {
        terminal.clear();
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
    }
    return 1;
}

int createEmpty(const QString &folder)
{
    const QString path = QDir(folder).absoluteFilePath(db::catalogueFileName());
    try {
        db::createCatalogue(path);
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
        return 1;
    }
    std::printf("Catalogo creato: %s\n", qPrintable(QDir::toNativeSeparators(path)));
    return 0;
}

// Whether `uri` names a server database; says so when it does not.
bool namesServerDatabase(const QString &uri)
{
    if (db::Engine::of(uri).sharedByWorkstations())
        return true;
    std::fprintf(stderr, "\"%s\" non è l'indirizzo di un database PostgreSQL (postgresql://...).\n", qPrintable(uri));
    return false;
}

int createOnServer(const QString &uri)
{
    if (!namesServerDatabase(uri))
        return 2;
    try {
        db::createCatalogue(uri);
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
        return 1;
    }
    std::printf("Catalogo creato sul server: %s\n", qPrintable(db::Engine::of(uri).shown(uri)));
    return 0;
}

int copyToServer(const QString &uri, const QString &folder)
{
    if (!namesServerDatabase(uri))
        return 2;
    const QString path = QDir(folder).absoluteFilePath(db::catalogueFileName());
    if (const QString problem = db::checkCatalogue(path); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\nIl server non è stato cambiato.\n", qPrintable(problem));
        return 1;
    }
    TerminalProgress terminal("Copia in corso");
    try {
        db::copyCatalogueToServer(path, uri, terminal.callback());
    } catch (const db::DbError &error) {
        terminal.clear();
        std::fprintf(stderr, "%s\nIl server non è stato cambiato.\n", qPrintable(error.reason()));
        return 1;
    }
    terminal.clear();
    std::printf("Il catalogo \"%s\" è stato copiato sul server %s: tutte le righe sono state controllate.\n",
                qPrintable(QDir::toNativeSeparators(path)), qPrintable(db::Engine::of(uri).shown(uri)));
    return 0;
}

int exportCatalogue(const QString &file, const QString &folder)
{
    const auto format = exporting::formatOf(file);
    if (!format) {
        std::fprintf(stderr, "Il file \"%s\" deve terminare con .ods (foglio di calcolo) o .csv (file di testo).\n",
                     qPrintable(file));
        return 2;
    }
    const CatalogueSettings settings = catalogueSettings(QDir(folder).absolutePath());
    if (!settings.problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(settings.problem));
        return 1;
    }
    const QString location = settings.location;
    const QString problem = db::checkCatalogue(location);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    TerminalProgress terminal("Esportazione in corso");
    const auto show = terminal.callback();
    const QString target = QFileInfo(file).absoluteFilePath();
    try {
        const db::Store store(location);
        const exporting::Rows rows = exporting::wholeCatalogue(store);
        qint64 exported = 0;
        exporting::write(target, *format, rows, [&](qint64 written, qint64 total) {
            exported = written;
            if (show && total > 0)
                show(int(written * 100 / total));
            return true;
        });
        terminal.clear();
        std::printf("%lld registrazioni esportate in \"%s\".\n", static_cast<long long>(exported),
                    qPrintable(QDir::toNativeSeparators(target)));
        return 0;
    } catch (const exporting::ExportError &error) {
        terminal.clear();
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
    } catch (const db::DbError &error) {
        terminal.clear();
        std::fprintf(stderr, "Il catalogo non si è potuto leggere: %s\nNessun file è stato scritto.\n",
                     qPrintable(error.reason()));
    }
    return 1;
}

// A crash of the Access reader on a damaged file ends the process from inside
// the library. What the handler needs is prepared beforehand, in plain buffers,
// so that it can still remove the half-made file and say where reading stopped.
struct CrashNote {
    char files[4][4096] = {};
    char source[4096] = {};
    char table[512] = {};
    long long read = 0;
    long long declared = 0;
    int errorOutput = STDERR_FILENO;
};
CrashNote crash;

void say(const char *text)
{
    const ssize_t ignored = write(crash.errorOutput, text, std::strlen(text));
    (void)ignored;
}

void sayNumber(long long number)
{
    char digits[32];
    int at = sizeof digits;
    digits[--at] = '\0';
    do {
        digits[--at] = char('0' + number % 10);
        number /= 10;
    } while (number > 0 && at > 0);
    say(digits + at);
}

void onCrash(int)
{
    for (const char *file : crash.files)
        if (file[0] != '\0')
            unlink(file);
    say("Il file Access \"");
    say(crash.source);
    if (crash.table[0] == '\0') {
        say("\" è danneggiato: il lettore si è interrotto in modo anomalo aprendolo.");
    } else {
        say("\" è danneggiato: il lettore si è interrotto in modo anomalo nella tabella \"");
        say(crash.table);
        say("\" dopo ");
        sayNumber(crash.read);
        say(" righe lette su ");
        sayNumber(crash.declared);
        say(".");
    }
    say(" Nessun catalogo è stato creato.\n");
    _exit(3);
}

void copyInto(char *buffer, size_t size, const QByteArray &text)
{
    std::strncpy(buffer, text.constData(), size - 1);
    buffer[size - 1] = '\0';
}

void prepareForCrash(const QString &source, const QString &folder)
{
    const QString temporary = convert::temporaryCatalogueName(folder);
    const QString files[4] = {temporary, temporary + QStringLiteral("-wal"), temporary + QStringLiteral("-shm"),
                              temporary + QStringLiteral("-journal")};
    for (int i = 0; i < 4; ++i)
        copyInto(crash.files[i], sizeof crash.files[i], QFile::encodeName(files[i]));
    copyInto(crash.source, sizeof crash.source, QFileInfo(source).absoluteFilePath().toUtf8());

    static char alternateStack[1 << 16];
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action = {};
    action.sa_handler = onCrash;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
}

int convertFromAccess(const QString &source, const QString &folder)
{
    prepareForCrash(source, folder);
    // libmdb writes its own English warnings on the error output; the user gets
    // one sentence from us instead.
    crash.errorOutput = dup(STDERR_FILENO);
    const int quiet = open("/dev/null", O_WRONLY);
    if (crash.errorOutput >= 0 && quiet >= 0)
        dup2(quiet, STDERR_FILENO);
    else
        crash.errorOutput = STDERR_FILENO;
    const auto progress = [](const QString &table, qint64 read, qint64 declared) {
        if (read == 0)
            copyInto(crash.table, sizeof crash.table, table.toUtf8());
        crash.read = read;
        crash.declared = declared;
    };
    try {
        const convert::ConversionReport report = convert::convertAccessCatalogue(source, folder, progress);
        std::printf("%s\n", report.summary().toUtf8().constData());
        return 0;
    } catch (const convert::ConversionError &error) {
        say(error.message().toUtf8().append('\n').constData());
    } catch (const std::exception &error) {
        say(QStringLiteral(
                "La conversione del file Access \"%1\" non è riuscita: %2. Nessun catalogo è stato creato.\n")
                .arg(QFileInfo(source).absoluteFilePath(), QString::fromLocal8Bit(error.what()))
                .toUtf8()
                .constData());
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString besideTool = QCoreApplication::applicationDirPath();
    if (args.size() >= 2 && args.at(1) == QLatin1String("--da-access")) {
        if (args.size() < 3 || args.size() > 4)
            return usage();
        return convertFromAccess(args.at(2), args.size() == 4 ? args.at(3) : besideTool);
    }
    if (args.size() >= 2 && args.at(1) == QLatin1String("--ripristina")) {
        if (args.size() < 3 || args.size() > 4)
            return usage();
        return restoreCopy(args.at(2), args.size() == 4 ? args.at(3) : besideTool);
    }
    if (args.size() >= 2 && args.at(1) == QLatin1String("--server")) {
        if (args.size() != 3)
            return usage();
        return createOnServer(args.at(2));
    }
    if (args.size() >= 2 && args.at(1) == QLatin1String("--copia-su")) {
        if (args.size() < 3 || args.size() > 4)
            return usage();
        return copyToServer(args.at(2), args.size() == 4 ? args.at(3) : besideTool);
    }
    if (args.size() >= 2 && args.at(1) == QLatin1String("--esporta")) {
        if (args.size() < 3 || args.size() > 4)
            return usage();
        return exportCatalogue(args.at(2), args.size() == 4 ? args.at(3) : besideTool);
    }
    if (args.size() > 2 || (args.size() == 2 && args.at(1).startsWith(QLatin1Char('-'))))
        return usage();
    return createEmpty(args.size() == 2 ? args.at(1) : besideTool);
}
