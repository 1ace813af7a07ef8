#include "gui/mainwindow/DeletionList.h"

#include "core/engines/DbError.h"

#include <QComboBox>
#include <QListView>
#include <QRegularExpression>

namespace {
const QString separator = QStringLiteral("-- ");
}

DeletionList::DeletionList(QObject *parent) : QAbstractListModel(parent)
{
}

void DeletionList::setSource(std::shared_ptr<db::RowSource> rows)
{
    beginResetModel();
    m_failureReported = false;
    m_rows = std::move(rows);
    const char16_t *const fields[5] = {u"ID", u"Chiave", u"Argomento", u"Testo", u"Pubblicazione"};
    for (int i = 0; i < 5; ++i)
        m_columns[i] = m_rows ? m_rows->columnOf(QString::fromUtf16(fields[i])) : -1;
    endResetModel();
}

int DeletionList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rows ? 0 : m_rows->rowCount();
}

QVariant DeletionList::data(const QModelIndex &index, int role) const
{
    // The combo box also asks for "no entry" (an invalid index) when nothing is chosen.
    if (!m_rows || !index.isValid() || index.parent().isValid() || index.row() >= rowCount())
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return entry(index.row());
}

QString DeletionList::entry(int row) const
{
    QStringList parts;
    try {
        for (const int column : m_columns)
            parts.append(column < 0 ? QString() : m_rows->value(row, column).toString());
    } catch (const db::DbError &error) {
        // Told once, and not from inside the list's painting.
        if (!m_failureReported) {
            m_failureReported = true;
            QMetaObject::invokeMethod(
                const_cast<DeletionList *>(this),
                [this, error] { emit const_cast<DeletionList *>(this)->readFailed(error); }, Qt::QueuedConnection);
        }
        return QString();
    }
    return parts.join(separator);
}

void DeletionList::showIn(QComboBox &combo)
{
    auto *view = new QListView(&combo);
    view->setUniformItemSizes(true);
    combo.setView(view);
    combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo.setModel(this);
    combo.setCurrentIndex(-1);
}

std::optional<qint64> DeletionList::recordNumberOf(const QString &text)
{
    const QString number = text.left(text.indexOf(separator)); // the whole text when there is none
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(number).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}
