#pragma once
// A fresh program folder for one test of the windows: a new catalogue, scripted
// dialogs, a recording shell and printers that write PDF files.
#include "CatalogueFolder.h"
#include "ScriptedDialogs.h"
#include "gui/kit/AppContext.h"
#include "gui/kit/Printers.h"
#include "gui/kit/Shell.h"

#include <QComboBox>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class RecordingShell : public Shell {
public:
    QStringList openedFiles;
    QStringList openedUrls;
    QString refusal; // what openFile answers: empty, the desktop took the file
    QString openFile(const QString &path) override
    {
        openedFiles.append(path);
        return refusal;
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

// The program folder with what the windows need: scripted dialogs, a recording
// shell and printers that write PDF files.
class TestEnvironment : public CatalogueFolder {
public:
    // withCatalogue false leaves the folder without db1.mdb.
    explicit TestEnvironment(bool withCatalogue = true);
    ~TestEnvironment() override;

    ScriptedDialogs dialogs;
    RecordingShell shell;
    PdfPrinters printers;
    AppContext context;
    int endProgramCalls = 0;
};

namespace testdata {
// The texts of a combo box's entries, in order.
inline QStringList itemTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}
} // namespace testdata
