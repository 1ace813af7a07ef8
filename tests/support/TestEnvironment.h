#pragma once
// A fresh program folder for one test: a temporary folder holding a new catalogue
// made by the same code as the creation tool, with scripted dialogs, a recording
// shell and printers that write PDF files.
#include "ScriptedDialogs.h"
#include "app/AppContext.h"
#include "desktop/Printers.h"
#include "desktop/Shell.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class RecordingShell : public Shell {
public:
    QStringList openedFiles;
    QStringList openedUrls;
    bool openFile(const QString &path) override
    {
        openedFiles.append(path);
        return true;
    }
    bool openUrl(const QString &url) override
    {
        openedUrls.append(url);
        return true;
    }
};

// Every printer prints into a PDF file; `installed` false plays a machine
// without printers, `acceptDialog` false a print dialog that was cancelled.
class PdfPrinters : public Printers {
public:
    QString pdfPath;
    bool installed = true;
    bool acceptDialog = true;
    int printersMade = 0;
    std::unique_ptr<QPrinter> defaultPrinter() override;
    bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) override;
};

class TestEnvironment {
public:
    // withCatalogue false leaves the folder without db1.mdb.
    explicit TestEnvironment(bool withCatalogue = true);
    ~TestEnvironment();

    QString folder() const { return m_dir.path(); }
    QString catalogPath() const { return context.catalogPath(); }

    ScriptedDialogs dialogs;
    RecordingShell shell;
    PdfPrinters printers;
    AppContext context;
    int endProgramCalls = 0;

private:
    QTemporaryDir m_dir;
};
