#pragma once
// Where printed output goes. The program prints on the default CUPS printer or on
// the one the print dialog chooses; tests point every printer at a PDF file.
#include <memory>

class QPrinter;
class QWidget;

class Printers {
public:
    virtual ~Printers() = default;
    // The default printer, ready to print; nullptr when no printer is installed.
    virtual std::unique_ptr<QPrinter> defaultPrinter() = 0;
    // Shows the print dialog for `printer` (which may also print to a PDF file);
    // false when the user cancelled.
    virtual bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) = 0;
};

class SystemPrinters : public Printers {
public:
    std::unique_ptr<QPrinter> defaultPrinter() override;
    bool choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage) override;
};
