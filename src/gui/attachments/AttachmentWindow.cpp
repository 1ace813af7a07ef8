#include "gui/attachments/AttachmentWindow.h"

#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Shell.h"
#include "gui/kit/ToolWindow.h"

#include <QPushButton>

AttachmentWindow::AttachmentWindow(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    toolwindow::setUp(this, QStringLiteral("Form3"), QStringLiteral("Visualizza Allegati "), 7725, 2160, Qt::white);
    setFixedSize(size());
    setAttribute(Qt::WA_DeleteOnClose);

    Command1 = new QPushButton(QStringLiteral("&Seleziona Allegato Pratica"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    toolwindow::place(Command1, 2040, 480, 3615, 975);
    toolwindow::setButtonColour(Command1, QColor(0xFF, 0xFF, 0xC0));
    connect(Command1, &QPushButton::clicked, this, &AttachmentWindow::selectAndOpen);
}

void AttachmentWindow::selectAndOpen()
{
    const AppContext &context = m_context;
    // "*" rather than "*.*": on this system many files have no extension.
    const QString file = context.dialogs->openFileName(this, QStringLiteral("Seleziona il file da caricare"),
                                                       context.attachmentFolder() + QLatin1Char('/'),
                                                       QStringLiteral("All Files(*.*) (*)"));
    // A cancelled dialog gives no name: there is nothing to open then.
    if (!file.isEmpty())
        context.shell->openFile(file);
    close();
}
