#pragma once
// The attachment window "Visualizza Allegati " (the original's Form3): the user picks a file (the dialog starts in the
// attachment folder) and the desktop opens it with the program associated with
// it. The window closes after every press of its button; the main window's
// "Visualizza Allegato" loads it anew the next time.
#include "gui/kit/WindowLayout.h"

#include <QPushButton>
#include <QWidget>

struct AppContext;

class AttachmentWindow : public QWidget {
    Q_OBJECT
public:
    explicit AttachmentWindow(const AppContext &context, QWidget *parent = nullptr);

private:
    static const windowlayout::Layout &layout();
    void selectAndOpen();

    const AppContext &m_context;
    // Built from its layout table first; its one button is found by its name.
    const bool m_built = (windowlayout::build(*this, layout()), true);
    QPushButton *const m_chooseButton = windowlayout::control<QPushButton>(*this, u"Command1");
};
