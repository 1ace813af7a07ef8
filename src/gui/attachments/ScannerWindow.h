#pragma once
// The scanner window "Scanner" (the original's Form5): chooses the scanner, scans a named document into the attachment
// folder (noting it in the entry screen's notes), and scans several pages into
// one PDF of its own name, asking after each page whether another follows.
// The scanning itself is the Twain layer, one per program (the registry's).
#include <QMessageBox>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class Twain;
struct AppContext;

class ScannerWindow : public QWidget {
    Q_OBJECT
public:
    ScannerWindow(const AppContext &context, Twain &twain, QWidget *parent = nullptr);

    QPushButton *Command2 = nullptr;    // "Seleziona  Scanner"
    QLineEdit *Text1 = nullptr;         // the last document name typed
    QPushButton *Command1 = nullptr;    // "&Scanner"
    QPushButton *FBMultipage = nullptr; // "&Scanner Multipage"
    QLabel *Picture1 = nullptr;         // empty picture box

signals:
    // A document was scanned: the line naming it goes at the end of the entry
    // screen's notes.
    void notesLineAdded(const QString &line);

private:
    void selectScanner();
    void scanNamedDocument();
    void scanMultipage();
    // Empty when `name` may be used as a file of the attachment folder, else why not.
    static QString nameProblem(const QString &name);

    const AppContext &m_context;
    Twain &m_twain;
};
