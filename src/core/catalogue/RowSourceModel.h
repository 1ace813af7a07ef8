#pragma once
// A read-only table model over the rows of a result. Cells are read from the row
// source only when a view asks for them, so binding a result of a million rows
// costs nothing; rows that arrive later come in at the end, as the result's own;
// columns are headed with the field names, which is also how the remembered
// column widths find their column.
#include "core/engines/DbError.h"
#include "core/catalogue/RowSource.h"

#include <QAbstractTableModel>
#include <memory>

namespace db {

class RowSourceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RowSourceModel(QObject *parent = nullptr);

    // Shows `rows` instead of the rows shown so far (nullptr: no rows, no columns).
    // The model keeps the rows alive while it shows them.
    void setSource(std::shared_ptr<RowSource> rows);
    const std::shared_ptr<RowSource> &source() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A row could not be read from the catalogue: the grid shows it empty, the
    // window tells the user why. Sent after the view's drawing, once a failure;
    // also when the rows still to come could not be read.
    void readFailed(const db::DbError &error);

protected:
    // Called while rows that arrived are inserted after those shown, between the
    // begin and the end of the insertion.
    virtual void rowsArriving(int count) { Q_UNUSED(count) }

    // The value at `index`; a read that fails is reported through readFailed().
    QVariant read(int row, int column) const;
    // A stored value as the grid shows it: text as stored, numbers without
    // thousands separators, a missing value as nothing.
    static QVariant shown(const QVariant &value);

    std::shared_ptr<RowSource> m_rows;
    QStringList m_fields;
    int m_shownRows = 0; // the rows of the source shown so far

private:
    void takeArrivedRows();

    mutable bool m_failureReported = false;
};

} // namespace db
