#pragma once
// The attachment window "Visualizza Allegati " (the original's Form3): the user picks a file (the dialog starts in the
// attachment folder) and the desktop opens it with the program associated with
// it. The window closes after every press of its button; the main window's
// "Visualizza Allegato" loads it anew the next time.
#include <QWidget>

class QPushButton;
struct AppContext;

class AttachmentWindow : public QWidget {
    Q_OBJECT
public:
    explicit AttachmentWindow(const AppContext &context, QWidget *parent = nullptr);

    QPushButton *Command1 = nullptr; // "&Seleziona Allegato Pratica"

private:
    void selectAndOpen();

    const AppContext &m_context;
};
