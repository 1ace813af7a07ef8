#include "TestEnvironment.h"

#include <QPrinter>

std::unique_ptr<QPrinter> PdfPrinters::defaultPrinter()
{
    if (!installed)
        return nullptr;
    ++printersMade;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath);
    return printer;
}

bool PdfPrinters::choosePrinter(QWidget *, QPrinter &printer, int, int)
{
    if (!acceptDialog)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    return true;
}

TestEnvironment::TestEnvironment(bool withCatalogue) : CatalogueFolder(withCatalogue)
{
    context.programFolder = folder();
    if (onServer())
        context.catalogueLocation = catalogPath();
    context.store = &store;
    context.dialogs = &dialogs;
    context.shell = &shell;
    context.printers = &printers;
    context.endProgram = [this] { ++endProgramCalls; };
    printers.pdfPath = filePath(QStringLiteral("stampa.pdf"));
}

TestEnvironment::~TestEnvironment() = default;
