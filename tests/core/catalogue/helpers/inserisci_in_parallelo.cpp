// One of several copies of the program inserting side by side: COUNT records, each
// with the next document number as the entry screen would show it, taking the
// next free one whenever another copy took it meanwhile. Prints how many records
// it stored and how many numbers it found taken; exits non-zero on any other error.
// With "postazione" instead of a count it is a workstation that only has a server
// catalogue open: it says "pronto" and holds it until its input ends.
#include "core/engines/DbError.h"
#include "core/engines/Workstations.h"
#include "core/catalogue/Store.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(2) == QLatin1String("postazione")) {
        const db::WorkstationMark open(args.at(1));
        std::printf("pronto\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }
    if (args.size() != 4)
        return 2;
    const db::Store store(args.at(1));
    const int count = args.at(2).toInt();
    const QString who = args.at(3);
    int stored = 0, taken = 0;
    try {
        auto next = store.readCounter().next();
        while (stored < count && next) {
            try {
                store.addRecord({who, QStringLiteral("record %1").arg(stored), {}, {}, {}, {}, {}, {}, {}, {}}, *next);
                ++stored;
                next = store.readCounter().next(); // the entry screen reads it again after each record
            } catch (const db::NumberTaken &numberTaken) {
                ++taken;
                next = numberTaken.next();
            }
        }
    } catch (const db::DbError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.reason()));
        return 1;
    }
    std::printf("%d %d\n", stored, taken);
    return stored == count ? 0 : 1;
}
