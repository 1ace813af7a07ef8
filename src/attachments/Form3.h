#pragma once
// "Visualizza Allegati ": the user picks a file (the dialog starts in the
// attachment folder) and the desktop opens it with the program associated with
// it. The window closes after every press of its button; the main window's
// "Visualizza Allegato" loads it anew the next time.
#include <QWidget>

class QPushButton;
class Windows;

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Windows &windows, QWidget *parent = nullptr);

    QPushButton *Command1 = nullptr; // "&Seleziona Allegato Pratica"

private:
    void selectAndOpen();

    Windows &m_windows;
};
