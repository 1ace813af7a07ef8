#pragma once
// The browse grid's model: the rows of a statement on the catalogue, read live
// and on demand, edited in place as the data grid does it. A changed row is kept
// as one pending edit until storePendingEdit() writes it (the window calls it
// when the user leaves the row or closes the window); an empty last row takes a
// new record; deleted rows leave the table at once. The counter column is never
// editable: the engine gives it.
#include "core/catalogue/QueryRowSource.h"
#include "core/catalogue/RowSourceModel.h"

#include <QList>
#include <QMap>
#include <optional>

namespace db {
class Store;
}

namespace browse {

class TabellaEditModel : public db::RowSourceModel {
    Q_OBJECT
public:
    explicit TabellaEditModel(const db::Store &store, QObject *parent = nullptr);

    // Shows `rows`; a pending edit of the rows shown so far is dropped.
    void setRows(std::shared_ptr<db::QueryRowSource> rows);
    // Whether cells can be changed, rows deleted and a new row added (the grid's
    // AllowUpdate, AllowDelete and AllowAddNew, always set together here).
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // The row index of the empty row for a new record, or -1 when there is none.
    int newRow() const;

    bool hasPendingEdit() const { return m_pending.has_value(); }
    int pendingRow() const { return m_pending ? m_pending->row : -1; }
    // What to do with a changed row that another copy of the program changed
    // after the change began here.
    enum class IfChangedMeanwhile { Refuse, Overwrite };
    // Writes the pending edit (a change, or a new record) to the table; nothing
    // when none is pending. Throws db::DbError or db::Refusal and then keeps the
    // edit pending: db::RecordChanged (with Refuse) when the row as stored now is
    // not the row as it was shown when the change began.
    void storePendingEdit(IfChangedMeanwhile ifChanged = IfChangedMeanwhile::Refuse);
    // Drops the pending edit; its row shows again what the table holds now.
    void discardPendingEdit();
    // Deletes the given rows from the table in one transaction; the empty new row
    // is ignored. A pending edit of another row is stored first. Throws db::DbError.
    void deleteRows(QList<int> rows);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // A row has just received its first unsaved change.
    void rowChangeStarted();
    // A changed or new row has been written to the table.
    void rowStored();

private:
    struct PendingEdit {
        int row = -1;
        bool adding = false;
        QMap<int, QVariant> values;   // column -> value typed
        QMap<QString, QVariant> seen; // a changed row as shown when the change began: field -> value read
    };
    db::QueryRowSource *rows() const { return static_cast<db::QueryRowSource *>(m_rows.get()); }
    int storedRowCount() const { return m_shownRows; }
    void rowsArriving(int count) override;
    bool isCounterColumn(int column) const;
    void reload();

    const db::Store &m_store;
    bool m_editable = false;
    std::optional<PendingEdit> m_pending;
};

} // namespace browse
