#pragma once
// Where printed output goes. The program prints on the machine's print system
// (CUPS) or on the printer the print dialog chooses; tests point every printer at
// a PDF file.
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

class Printers {
public:
    virtual ~Printers() = default;
    // The printer for printing without a dialog: the default printer, or the
    // first one installed when none is the default, on its own paper and
    // margins, ready to print; nullptr when no printer is installed.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
    // Shows the print dialog for `printer` (which may also print to a PDF file);
    // false when the user cancelled.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) = 0;

    // After a document has been ended on `printer`: empty when the print system
    // took it or the file was written, else why not, for the user.
    static QString deliveryProblem(const QPrinter &printer);
    // The file a document printed to a file went to; empty for a printer.
    static QString fileWritten(const QPrinter &printer);
};

class SystemPrinters : public Printers {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override;
    bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) override;
};
