#include "gui/search/ColumnWidths.h"

#include "core/settings/IniSettings.h"
#include "core/settings/NumberText.h"
#include "core/settings/Twips.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

namespace columnwidths {

namespace {

constexpr double defaultWidthTwips = 600;

QString fieldName(const QHeaderView &header, int logicalIndex)
{
    const QAbstractItemModel *model = header.model();
    return model ? model->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
}

// Watches the mouse on the grid's column headers. A column resized while a
// button is held there is the user's doing; the first column resized in that
// gesture is the one the user took (a stretched last column follows it), and
// its width is saved when the button is released.
class UserResizeSaver : public QObject {
public:
    static inline const QString name = QStringLiteral("columnWidthSaver");

    UserResizeSaver(IniSettings &ini, QHeaderView &header) : QObject(&header), m_ini(ini), m_header(header)
    {
        setObjectName(name);
        header.viewport()->installEventFilter(this);
        connect(&header, &QHeaderView::sectionResized, this, [this](int logicalIndex) {
            if (m_buttonHeld && !m_programSizing && m_column < 0)
                m_column = logicalIndex;
        });
    }

    static UserResizeSaver *of(QHeaderView &header)
    {
        return static_cast<UserResizeSaver *>(header.findChild<QObject *>(name, Qt::FindDirectChildrenOnly));
    }

    bool m_programSizing = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_buttonHeld = true;
            m_column = -1;
            break;
        case QEvent::MouseButtonRelease:
            if (m_buttonHeld && m_column >= 0 && m_column < m_header.count())
                save(m_column);
            m_buttonHeld = false;
            m_column = -1;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void save(int logicalIndex)
    {
        // The result of the write is ignored: a width that could not be saved is only not remembered.
        m_ini.write(QStringLiteral("dgCustomers"), fieldName(m_header, logicalIndex),
                    numbertext::singleText(twips::fromPixels(m_header.sectionSize(logicalIndex))));
    }

    IniSettings &m_ini;
    QHeaderView &m_header;
    bool m_buttonHeld = false;
    int m_column = -1;
};

} // namespace

void restore(IniSettings &ini, QTableView &grid, const QString &section, bool useDefault)
{
    QHeaderView &header = *grid.horizontalHeader();
    UserResizeSaver *saver = UserResizeSaver::of(header);
    if (saver)
        saver->m_programSizing = true;
    for (int column = 0; column < header.count(); ++column) {
        const qint32 width = ini.readInt(section, fieldName(header, column), 0);
        if (width > 0)
            header.resizeSection(column, twips::toPixels(width));
        else if (useDefault)
            header.resizeSection(column, twips::toPixels(defaultWidthTwips));
    }
    if (saver)
        saver->m_programSizing = false;
}

void saveWhenResized(IniSettings &ini, QTableView &grid)
{
    QHeaderView &header = *grid.horizontalHeader();
    if (!UserResizeSaver::of(header))
        new UserResizeSaver(ini, header);
}

} // namespace columnwidths
