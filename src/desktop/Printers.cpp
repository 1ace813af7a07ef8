#include "desktop/Printers.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter> SystemPrinters::defaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

bool SystemPrinters::choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(firstPage, lastPage);
    dialog.setFromTo(firstPage, lastPage);
    return dialog.exec() == QDialog::Accepted;
}
