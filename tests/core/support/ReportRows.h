#pragma once
// Rows for the report tests: a few records held in memory, and a source of any
// number of generated records that notes which rows were read.
#include "core/db/Catalogue.h"
#include "core/db/RowSource.h"

#include <QString>
#include <algorithm>
#include <climits>

namespace reportrows {

// Records of Tabella with every field filled: value "<field> <n>" (n from 1); the
// ID is n. `empty` names fields left empty in every record.
inline db::MemoryRowSource records(int count, const QStringList &empty = {})
{
    const QStringList fields = db::tabellaFields();
    QVector<QVector<QVariant>> rows;
    for (int n = 1; n <= count; ++n) {
        QVector<QVariant> row;
        for (const QString &field : fields) {
            if (field == QStringLiteral("ID"))
                row.append(n);
            else if (empty.contains(field))
                row.append(QString());
            else
                row.append(QStringLiteral("%1 %2").arg(field).arg(n));
        }
        rows.append(row);
    }
    return db::MemoryRowSource(fields, rows);
}

// `count` records made up on demand: value "r<row>c<column>".
class GeneratedRows : public db::RowSource {
public:
    explicit GeneratedRows(int count) : m_count(count) {}
    int rowCount() const override { return m_count; }
    QStringList fieldNames() const override { return db::tabellaFields(); }
    QVariant value(int row, int column) const override
    {
        ++reads;
        lowestRowRead = std::min(lowestRowRead, row);
        highestRowRead = std::max(highestRowRead, row);
        return QStringLiteral("r%1c%2").arg(row).arg(column);
    }
    void forget() const
    {
        reads = 0;
        lowestRowRead = INT_MAX;
        highestRowRead = -1;
    }

    mutable int reads = 0;
    mutable int lowestRowRead = INT_MAX;
    mutable int highestRowRead = -1;

private:
    int m_count;
};

} // namespace reportrows
