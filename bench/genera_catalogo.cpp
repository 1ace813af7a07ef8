// genera_catalogo FILE RECORDS [SEED]: writes a new catalogue of RECORDS realistic
// records, for the benchmarks. Refuses to overwrite an existing file.
#include "CatalogueGenerator.h"
#include "core/engines/DbError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = args.size() >= 3;
    GeneratorOptions options;
    if (ok)
        options.records = args.at(2).toLongLong(&ok);
    if (ok && args.size() >= 4)
        options.seed = args.at(3).toUInt(&ok);
    if (!ok || options.records < 0) {
        std::fprintf(stderr, "Uso: genera_catalogo FILE NUMERO_RECORD [SEME]\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        generateCatalogue(args.at(1), options);
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
        return 1;
    }
    std::printf("%lld record in %.1f s: %s\n", static_cast<long long>(options.records), timer.elapsed() / 1000.0,
                qPrintable(args.at(1)));
    return 0;
}
