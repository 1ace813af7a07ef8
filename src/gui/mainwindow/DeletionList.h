#pragma once
// The deletion list of the entry screen: one entry per catalogue row, formed
// "ID-- Chiave-- Argomento-- Testo-- Pubblicazione" (a field without a value gives
// the empty text). The entries are made only when the list shows them, so that a
// catalogue of a million rows opens the list at once.
#include "core/catalogue/RowSource.h"

#include <QAbstractListModel>
#include <memory>
#include <optional>

class QComboBox;

namespace db {
class DbError;
}

class DeletionList : public QAbstractListModel {
    Q_OBJECT
public:
    explicit DeletionList(QObject *parent = nullptr);

    // Shows the rows of `rows` (nullptr: no entry). The model keeps them alive.
    void setSource(std::shared_ptr<db::RowSource> rows);
    void clear() { setSource(nullptr); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Makes `combo` show this list without measuring its entries: every entry is
    // as high as the others and the box keeps the width it was given.
    void showIn(QComboBox &combo);

    // The record number a text of the list names: the digits before its first
    // "-- " (the whole text when it has none). Nothing when that is not a number.
    static std::optional<qint64> recordNumberOf(const QString &text);

signals:
    // A row could not be read from the catalogue (its entry shows empty).
    void readFailed(const db::DbError &error);

private:
    QString entry(int row) const;

    std::shared_ptr<db::RowSource> m_rows;
    mutable bool m_failureReported = false;
    int m_columns[5] = {-1, -1, -1, -1, -1}; // ID, Chiave, Argomento, Testo, Pubblicazione
};
