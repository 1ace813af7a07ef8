#pragma once
// The scanner window "Scanner" (the original's Form5): chooses the scanner, scans a named document into the attachment
// folder (noting it in the entry screen's notes), and scans several pages into
// one PDF of its own name, asking after each page whether another follows.
// The scanning itself is the Twain layer, one per program (the registry's).
#include "gui/kit/WindowLayout.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

class Twain;
struct AppContext;

class ScannerWindow : public QWidget {
    Q_OBJECT
public:
    ScannerWindow(const AppContext &context, Twain &twain, QWidget *parent = nullptr);

signals:
    // A document was scanned: the line naming it goes at the end of the entry
    // screen's notes.
    void notesLineAdded(const QString &line);

private:
    static const windowlayout::Layout &layout();
    void selectScanner();
    void scanNamedDocument();
    void scanMultipage();
    // Empty when `name` may be used as a file of the attachment folder, else why not.
    static QString nameProblem(const QString &name);
    // Whether scans can be saved in the attachment folder; tells the user why not.
    bool attachmentFolderReady();

    const AppContext &m_context;
    Twain &m_twain;
    // Built from its layout table first; the members below are found by their names.
    const bool m_built = (windowlayout::build(*this, layout()), true);
    QPushButton *const m_chooseScannerButton = windowlayout::control<QPushButton>(*this, u"Command2");
    QPushButton *const m_scanButton = windowlayout::control<QPushButton>(*this, u"Command1");
    QPushButton *const m_multipageButton = windowlayout::control<QPushButton>(*this, u"FBMultipage");
    QLineEdit *const m_documentNameBox = windowlayout::control<QLineEdit>(*this, u"Text1"); // the last name typed
};
