#pragma once
// Random access to the rows of a result, read on demand. The report and the grids
// read through it, so that a million rows never need to sit in memory at once.
// A result may arrive a batch at a time: rowCount() counts the rows arrived so
// far, rowsArrived() tells of the next ones, and complete() says when they all are.
#include "core/engines/DbError.h"

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace db {

class RowSource : public QObject {
    Q_OBJECT
public:
    virtual int rowCount() const = 0;
    virtual QStringList fieldNames() const = 0;
    // Throws DbError when the row cannot be read.
    virtual QVariant value(int row, int column) const = 0;
    // Whether every row of the result has arrived.
    virtual bool complete() const { return true; }
    // Reads the rows still to come before returning. Throws DbError.
    virtual void readAll() {}

    // Column of a field, without regard to letter case; -1 when absent.
    int columnOf(const QString &field) const;

signals:
    // More rows arrived, after those counted before: rowCount() counts them now.
    void rowsArrived();
    // The last rows have arrived: complete() is true from now on.
    void completed();
    // The rows still to come could not be read: those arrived stay, no more come
    // by themselves (readAll() tries again).
    void arrivalFailed(const db::DbError &error);
};

// Rows held in memory: for small results and for tests.
class MemoryRowSource : public RowSource {
    Q_OBJECT
public:
    MemoryRowSource(QStringList fields, QVector<QVector<QVariant>> rows)
        : m_fields(std::move(fields)), m_rows(std::move(rows))
    {
    }
    int rowCount() const override { return int(m_rows.size()); }
    QStringList fieldNames() const override { return m_fields; }
    QVariant value(int row, int column) const override { return m_rows.at(row).value(column); }

private:
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
};

} // namespace db
