#pragma once
// "Visualizza Allegati ": the user picks a file (the dialog starts in the
// attachment folder) and the desktop opens it with the program associated with
// it. The window closes after every press of its button; the main window's
// "Visualizza Allegato" loads it anew the next time.
#include <QWidget>

class QPushButton;
struct AppContext;

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(const AppContext &context, QWidget *parent = nullptr);

    QPushButton *Command1 = nullptr; // "&Seleziona Allegato Pratica"

private:
    void selectAndOpen();

    const AppContext &m_context;
};
