#include "core/catalogue/RowSource.h"

namespace db {

int RowSource::columnOf(const QString &field) const
{
    const QStringList fields = fieldNames();
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace db
