#include "gui/kit/AttachmentMenu.h"

#include "core/catalogue/AttachmentNotes.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Shell.h"

#include <QMenu>
#include <QTableView>

namespace attachmentmenu {

namespace {
// The notes of the record in `row`, as the grid shows them.
QString notesOf(const QTableView &grid, int row)
{
    const QAbstractItemModel *model = grid.model();
    for (int column = 0; model && column < model->columnCount(); ++column)
        if (model->headerData(column, Qt::Horizontal).toString() == QLatin1String("Note"))
            return model->index(row, column).data().toString();
    return QString();
}
} // namespace

void addTo(QTableView &grid, const AppContext &context)
{
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&grid, &QWidget::customContextMenuRequested, &grid, [&grid, &context](const QPoint &at) {
        const QModelIndex index = grid.indexAt(at);
        if (!index.isValid())
            return;
        const QStringList names = attachments::namedIn(notesOf(grid, index.row()));
        if (names.isEmpty())
            return;
        auto *menu = new QMenu(&grid);
        menu->setObjectName(QStringLiteral("menuAllegati"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (const QString &name : names) {
            QAction *open = menu->addAction(QStringLiteral("Apri allegato %1").arg(name));
            QObject::connect(open, &QAction::triggered, &grid, [&grid, &context, name] {
                const QString problem = context.shell->openFile(context.attachmentFolder() + QLatin1Char('/') + name);
                if (!problem.isEmpty())
                    context.dialogs->warn(grid.window(), problem);
            });
        }
        menu->popup(grid.viewport()->mapToGlobal(at));
    });
}

} // namespace attachmentmenu
