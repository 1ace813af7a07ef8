#pragma once
// A record set opened on a statement or on a bare table name. Rows are walked in
// the engine's order with eof()/moveNext(); fields are found by name without
// regard to letter case ("N°" included). Updatable record sets (lock other than
// read-only) can add, change and delete rows.
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace db {

class Connection;

enum CursorType {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockType {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};

class Recordset {
public:
    Recordset() = default;
    ~Recordset() = default;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // `source` is a statement or a bare table name (all rows of the table).
    // `bindings` are values for "?" placeholders of the statement.
    void open(const QString &source, Connection &connection, int cursor = adOpenUnspecified,
              int lock = adLockUnspecified, int options = -1, const QVariantList &bindings = {});

    bool isOpen() const { return m_open; }
    bool eof() const;
    void moveNext();
    int recordCount();              // the true number of rows (0 means none)
    QStringList fieldNames() const; // in the record set's field order

    QVariant field(const QString &name) const; // value of the current row
    void setField(const QString &name, const QVariant &value);

    // Starts a new row; returns the counter value the row will keep (0 when the
    // table has no counter). update() stores it.
    qint64 addNew();
    void update();
    void deleteCurrent(); // removes the current row at once
    void close();

private:
    int columnOf(const QString &name) const; // -1 when not found
    void fetchCurrent();
    void requireUpdatable(const char *operation) const;
    QString rowIdName() const; // the engine's row id, as a statement names it

    Connection *m_connection = nullptr;
    QString m_statement;    // translated statement actually run
    QString m_table;        // the single table of the source, for changes
    QString m_counterField; // the table's counter (INTEGER PRIMARY KEY), if any
    QVariantList m_bindings;
    bool m_open = false;
    bool m_updatable = false;
    bool m_eof = true;
    QSqlQuery m_query;
    QStringList m_fields;    // visible fields, without the hidden row id
    QVector<QVariant> m_row; // values of the current row (visible fields)
    qint64 m_rowId = 0;      // engine row id of the current row
    bool m_adding = false;
    qint64 m_newId = 0;
    QVector<std::optional<QVariant>> m_pending; // assigned and not yet stored
    std::optional<int> m_count;
};

} // namespace db
