#include "gui/mainwindow/DeletionList.h"

#include "gui/kit/RowWindow.h"

#include <QComboBox>
#include <QListView>
#include <QRegularExpression>

namespace {
const QString separator = QStringLiteral("-- ");
}

DeletionList::DeletionList(QObject *parent) : db::RowSourceModel(parent)
{
}

int DeletionList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rows ? 0 : 1;
}

QVariant DeletionList::data(const QModelIndex &index, int role) const
{
    // The combo box also asks for "no entry" (an invalid index) when nothing is chosen.
    if (!m_rows || !index.isValid() || !checkIndex(index, CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return entry(index.row());
}

QString DeletionList::entry(int row) const
{
    QStringList parts;
    for (const char16_t *field : {u"ID", u"Chiave", u"Argomento", u"Testo", u"Pubblicazione"}) {
        const int column = m_rows->columnOf(QString::fromUtf16(field));
        parts.append(column < 0 ? QString() : read(row, column).toString());
    }
    // A record gone meanwhile, or one that could not be read, has no number.
    if (parts.constFirst().isEmpty())
        return QString();
    return parts.join(separator);
}

void DeletionList::showIn(QComboBox &combo)
{
    auto *view = new QListView(&combo);
    view->setUniformItemSizes(true);
    combo.setView(view);
    combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A list of millions of entries: the box and its list hold a window of them.
    auto *window = new RowWindow(*this, combo);
    combo.setModel(window);
    window->attach(*view);
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
