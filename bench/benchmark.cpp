// benchmark [--runs N] [--sizes 10000,100000,1000000,10000000] [--data FOLDER] [--server URI] [--only TEXT]
// Generates (or reuses) catalogues of the given sizes, times every action on each
// in a child process of its own, and prints one table with the medians, the
// maxima, the peak memory of each child and the sqlite3 shell's time for the
// same search as a baseline. With --server (the URI of a PostgreSQL server's
// maintenance database) each catalogue is also copied to a database of its own
// there (once: a later run finds it whole and uses it) and timed again: a second
// column for each size. The goals are those at 10,000,000 records on the file.
#include "Benchmark.h"
#include "CatalogueGenerator.h"
#include "TestEnvironment.h"
#include "gui/startup/Startup.h"
#include "core/engines/DbError.h"
#include "core/engines/Engine.h"
#include "core/catalogue/Catalogue.h"
#include "core/engines/ServerCatalogue.h"
#include "core/catalogue/Store.h"
#include "gui/Windows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

struct Options {
    int runs = 5;
    QList<qint64> sizes = {10000, 100000, 1000000};
    QString data = QStringLiteral("bench-data");
    QString child;    // folder of one catalogue: run the actions there and print results
    QString location; // with child: the catalogue the actions use, when not the folder's file
    QString server;   // maintenance URI of a server to time too
    QString only;     // times only the actions whose name holds this text (e.g. under a profiler)
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The child's own peak: VmHWM of its memory map. (getrusage's maximum is carried
// across exec by Linux, so a child would report its parent's peak, such as that of
// copying a catalogue to the server just before.)
long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: time every action on the catalogue in `folder`; one line per action
// "name\tmedian\tmax", then "peak\tKB".
int runChild(const Options &options)
{
    // One store for every run, as the program keeps one for its life: the
    // connections it keeps to a server stay open from one action to the next.
    db::Store store(options.location.isEmpty() ? options.child + QStringLiteral("/db1.mdb") : options.location);
    for (const BenchAction &action : benchActions()) {
        if (!action.name.contains(options.only))
            continue;
        std::vector<double> times;
        for (int r = 0; r < options.runs; ++r) {
            // The generated catalogue is the program folder; the actions that change it
            // add or remove a record or two, which does not change the figures.
            TestEnvironment env(false);
            env.context.programFolder = options.child;
            env.context.catalogueLocation = options.location;
            env.context.store = &store;
            Windows windows(env.context);
            times.push_back(action.run(windows, env));
        }
        std::printf("%s\t%.2f\t%.2f\n", qPrintable(action.name), median(times),
                    *std::max_element(times.begin(), times.end()));
        std::fflush(stdout);
    }
    std::printf("peak\t%ld\n", peakMemoryKb());
    return 0;
}

// The search by the sqlite3 shell on the same file: the baseline.
double sqliteShellSearchMs(const QString &file)
{
    std::vector<double> times;
    for (int r = 0; r < 3; ++r) {
        QProcess shell;
        QElapsedTimer timer;
        timer.start();
        shell.start(QStringLiteral("sqlite3"),
                    {file, QStringLiteral("SELECT * FROM tabella WHERE chiave LIKE '%ogi%';")});
        shell.waitForFinished(-1);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (shell.exitCode() != 0)
            return -1;
    }
    return median(times);
}

// The catalogue `file` copied to a database of its own on the server (made once,
// then reused); its URI, or empty after telling why not.
QString benchServerCatalogue(const QString &maintenanceUri, qint64 size, const QString &file)
{
    QUrl url(maintenanceUri);
    url.setPath(QStringLiteral("/catalogo_%1").arg(size));
    const QString uri = url.toString();
    try {
        // The timed insertions add a few records on each run.
        if (db::checkCatalogue(uri).isEmpty() && db::connect(uri)->count(QStringLiteral("Tabella")) >= size)
            return uri;
    } catch (const db::DbError &) {
        // not there, or not whole: made again
    }
    const auto psql = [&](const QString &statement) {
        QProcess run;
        run.start(QStringLiteral("psql"), {maintenanceUri, QStringLiteral("-qc"), statement});
        run.waitForFinished(-1);
    };
    psql(QStringLiteral("DROP DATABASE IF EXISTS catalogo_%1").arg(size));
    psql(QStringLiteral("CREATE DATABASE catalogo_%1 TEMPLATE template0").arg(size));
    QElapsedTimer timer;
    timer.start();
    try {
        db::copyCatalogueToServer(file, uri);
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
        return QString();
    }
    std::fprintf(stderr, "catalogo di %lld record copiato sul server in %.1f s\n", static_cast<long long>(size),
                 timer.elapsed() / 1000.0);
    return uri;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    startup::configure(app);
    Options options;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--runs"))
            options.runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--data"))
            options.data = args[i + 1];
        else if (args[i] == QLatin1String("--child"))
            options.child = args[i + 1];
        else if (args[i] == QLatin1String("--location"))
            options.location = args[i + 1];
        else if (args[i] == QLatin1String("--server"))
            options.server = args[i + 1];
        else if (args[i] == QLatin1String("--only"))
            options.only = args[i + 1];
        else if (args[i] == QLatin1String("--sizes")) {
            options.sizes.clear();
            for (const QString &s : args[i + 1].split(QLatin1Char(',')))
                options.sizes.append(s.toLongLong());
        }
    }
    if (!options.child.isEmpty())
        return runChild(options);

    QDir().mkpath(options.data);
    struct Column {
        qint64 size;
        QString label;
        QMap<QString, QPair<double, double>> results;
        long peakKb = 0;
        double shellMs = 0;
    };
    std::vector<Column> columns;
    for (qint64 size : options.sizes) {
        const QString folder = QDir(options.data).absoluteFilePath(QStringLiteral("catalogo-%1").arg(size));
        const QString file = folder + QStringLiteral("/db1.mdb");
        if (!QFile::exists(file)) {
            QDir().mkpath(folder);
            QElapsedTimer timer;
            timer.start();
            try {
                generateCatalogue(file, GeneratorOptions{size, 1});
            } catch (const db::DbError &error) {
                std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
                return 1;
            }
            std::fprintf(stderr, "catalogo di %lld record generato in %.1f s\n", static_cast<long long>(size),
                         timer.elapsed() / 1000.0);
        }
        const auto measure = [&](const QString &location, const QString &label) {
            std::fprintf(stderr, "misura su %lld record (%s)...\n", static_cast<long long>(size), qPrintable(label));
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QStringList childArgs{QStringLiteral("--child"), folder, QStringLiteral("--runs"),
                                  QString::number(options.runs), QStringLiteral("--only"), options.only};
            if (!location.isEmpty())
                childArgs << QStringLiteral("--location") << location;
            child.start(QCoreApplication::applicationFilePath(), childArgs);
            child.waitForFinished(-1);
            Column column{size, label, {}, 0, location.isEmpty() ? sqliteShellSearchMs(file) : 0};
            for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
                const QStringList parts = line.split(QLatin1Char('\t'));
                if (parts.size() == 2 && parts[0] == QLatin1String("peak"))
                    column.peakKb = parts[1].toLong();
                else if (parts.size() == 3)
                    column.results.insert(parts[0], {parts[1].toDouble(), parts[2].toDouble()});
            }
            if (child.exitCode() != 0)
                std::fprintf(stderr, "il processo di misura è terminato con codice %d\n", child.exitCode());
            columns.push_back(column);
        };
        measure(QString(), QStringLiteral("file"));
        if (!options.server.isEmpty()) {
            const QString uri = benchServerCatalogue(options.server, size, file);
            if (uri.isEmpty())
                return 1;
            measure(uri, QStringLiteral("server"));
        }
    }

    QTextStream out(stdout);
    out << "\n| Azione (ms, mediana / massimo) | obiettivo |";
    for (const Column &c : columns)
        out << ' ' << c.size << " record, " << c.label << " |";
    out << "\n|---|---|";
    for (size_t i = 0; i < columns.size(); ++i)
        out << "---|";
    out << '\n';
    for (const BenchAction &action : benchActions()) {
        if (!action.name.contains(options.only))
            continue;
        out << "| " << action.name << " | " << action.target << " |";
        for (const Column &c : columns) {
            const auto r = c.results.value(action.name, {-1, -1});
            if (r.first < 0)
                out << " n/d |";
            else
                out << ' ' << QString::number(r.first, 'f', 1) << " / " << QString::number(r.second, 'f', 1) << " |";
        }
        out << '\n';
    }
    out << "| memoria di picco (MB) | 100 MB |";
    for (const Column &c : columns)
        out << ' ' << QString::number(c.peakKb / 1024.0, 'f', 0) << " |";
    out << "\n| sqlite3: stessa ricerca \"chiave LIKE '%ogi%'\" (ms) | |";
    for (const Column &c : columns)
        out << ' ' << QString::number(c.shellMs, 'f', 1) << " |";
    out << "\n| programma / sqlite3 per quella ricerca | |";
    for (const Column &c : columns) {
        const auto r = c.results.value(QStringLiteral("ricerca 3+ lettere: Chiave"), {-1, -1});
        out << ' '
            << (r.first < 0 || c.shellMs <= 0 ? QStringLiteral("n/d") : QString::number(r.first / c.shellMs, 'f', 2))
            << " |";
    }
    out << '\n';
    return 0;
}
