#pragma once
// The deletion list of the entry screen: one entry per catalogue row, formed
// "ID-- Chiave-- Argomento-- Testo-- Pubblicazione" (a field without a value gives
// the empty text; a record deleted meanwhile gives an empty entry). The entries
// are made only when the list shows them, so that a catalogue of a million rows
// opens the list at once.
#include "core/catalogue/RowSourceModel.h"

#include <optional>

class QComboBox;

class DeletionList : public db::RowSourceModel {
    Q_OBJECT
public:
    explicit DeletionList(QObject *parent = nullptr);

    void clear() { setSource(nullptr); }

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Makes `combo` show this list without measuring its entries: every entry is
    // as high as the others and the box keeps the width it was given.
    void showIn(QComboBox &combo);

    // The record number a text of the list names: the digits before its first
    // "-- " (the whole text when it has none). Nothing when that is not a number.
    static std::optional<qint64> recordNumberOf(const QString &text);

private:
    QString entry(int row) const;
};
