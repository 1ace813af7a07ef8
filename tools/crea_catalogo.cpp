// Creates an empty catalogue file db1.mdb, beside this tool or in the folder given
// as its argument. It never overwrites an existing file.
#include "core/db/Catalogue.h"
#include "core/db/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 2 || (args.size() == 2 && args.at(1).startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr,
                     "Uso: crea_catalogo [cartella]\n"
                     "Crea un catalogo vuoto db1.mdb nella cartella indicata "
                     "(in mancanza, accanto al programma).\n");
        return 2;
    }
    const QString folder = args.size() == 2 ? args.at(1) : QCoreApplication::applicationDirPath();
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
