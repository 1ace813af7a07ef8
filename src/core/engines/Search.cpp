#include "core/engines/Search.h"

#include "core/engines/Schema.h"

namespace db {

QString Search::fieldName() const
{
    return schema::searchableFields().at(int(field));
}

QString Search::pattern() const
{
    return QLatin1Char('%') + QString(fragment).remove(QChar(0)) + QLatin1Char('%');
}

bool Search::hasIndexableRun() const
{
    int run = 0;
    for (const QChar c : pattern()) {
        run = (c == QLatin1Char('%') || c == QLatin1Char('_')) ? 0 : run + 1;
        if (run >= 3)
            return true;
    }
    return false;
}

} // namespace db
