#include "gui/attachments/AttachmentWindow.h"

#include "gui/kit/AppContext.h"
#include "gui/kit/Dialogs.h"
#include "gui/kit/Shell.h"
#include "gui/kit/ToolWindow.h"

#include <QPushButton>

namespace {
// clang-format off
constexpr windowlayout::Control controls[] = {
    {.name = u"Command1", .kind = windowlayout::Kind::Button, .caption = u"&Seleziona Allegato Pratica", .left = 2040,
     .top = 480, .width = 3615, .height = 975, .face = qRgb(0xFF, 0xFF, 0xC0)},
};
// clang-format on
} // namespace

const windowlayout::Layout &AttachmentWindow::layout()
{
    static const windowlayout::Layout layout{{.name = u"Form3",
                                              .caption = u"Visualizza Allegati ",
                                              .width = 7725,
                                              .height = 2160,
                                              .background = qRgb(255, 255, 255),
                                              .fixedSize = true},
                                             controls};
    return layout;
}

AttachmentWindow::AttachmentWindow(const AppContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    toolwindow::centreOnScreen(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(m_chooseButton, &QPushButton::clicked, this, &AttachmentWindow::selectAndOpen);
}

void AttachmentWindow::selectAndOpen()
{
    const AppContext &context = m_context;
    if (const QString problem = context.attachmentFolderProblem(); !problem.isEmpty()) {
        context.dialogs->warn(this, problem);
        close();
        return;
    }
    // "*" rather than "*.*": on this system many files have no extension.
    const QString file = context.dialogs->openFileName(this, QStringLiteral("Seleziona il file da caricare"),
                                                       context.attachmentFolder() + QLatin1Char('/'),
                                                       QStringLiteral("All Files(*.*) (*)"));
    // A cancelled dialog gives no name: there is nothing to open then.
    const QString problem = file.isEmpty() ? QString() : context.shell->openFile(file);
    if (!problem.isEmpty())
        context.dialogs->warn(this, problem);
    close();
}
