#pragma once
// "Scanner": chooses the scanner, scans a named document into the attachment
// folder (noting it in the entry screen's notes), and scans several pages into
// one PDF of its own name, asking after each page whether another follows.
// The scanning itself is the registry's Twain layer.
#include <QMessageBox>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class Twain;
class Windows;

class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(Windows &windows, QWidget *parent = nullptr);

    QPushButton *Command2 = nullptr;    // "Seleziona  Scanner"
    QLineEdit *Text1 = nullptr;         // the last document name typed
    QPushButton *Command1 = nullptr;    // "&Scanner"
    QPushButton *FBMultipage = nullptr; // "&Scanner Multipage"
    QLabel *Picture1 = nullptr;         // empty picture box

private:
    void selectScanner();
    void scanNamedDocument();
    void scanMultipage();
    // Empty when `name` may be used as a file of the attachment folder, else why not.
    static QString nameProblem(const QString &name);
    void appendNotesLine(const QString &name);
    void say(const QString &text, const QString &title, QMessageBox::Icon icon = QMessageBox::NoIcon);

    Windows &m_windows;
    Twain &m_twain;
};
