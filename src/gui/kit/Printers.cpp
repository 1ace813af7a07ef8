#include "gui/kit/Printers.h"

#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cups/cups.h>

std::unique_ptr<QPrinter> SystemPrinters::defaultPrinter()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QStringList installed = QPrinterInfo::availablePrinterNames();
        if (installed.isEmpty())
            return nullptr;
        info = QPrinterInfo::printerInfo(installed.first());
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // Qt starts every printer on A4 with margins of its own: take the printer's
    // own paper, and as margins only the edges it cannot print on.
    printer->setPageSize(info.defaultPageSize());
    printer->setPageMargins(printer->pageLayout().minimumMargins(), printer->pageLayout().units());
    return printer;
}

bool SystemPrinters::choosePrinter(QWidget *parent, QPrinter &printer, int firstPage, int lastPage)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(firstPage, lastPage);
    dialog.setFromTo(firstPage, lastPage);
    return dialog.exec() == QDialog::Accepted;
}

QString Printers::fileWritten(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
}

QString Printers::deliveryProblem(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QFileInfo file(printer.outputFileName());
        return file.isFile() && file.size() > 0
            ? QString()
            : QStringLiteral("Il file %1 non è stato scritto.").arg(QDir::toNativeSeparators(file.filePath()));
    }
    // Qt hands the document to the print system as the painter ends and drops its
    // answer; the print system keeps that answer for this thread until its next
    // request, so it is read right after the end.
    const ipp_status_t answer = cupsLastError();
    if (answer >= IPP_STATUS_OK && answer < IPP_STATUS_REDIRECTION_OTHER_SITE)
        return QString();
    if (answer == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
        return QStringLiteral("La stampante %1 non accetta stampe.").arg(printer.printerName());
    return QStringLiteral("Il sistema di stampa ha risposto: %1").arg(QString::fromUtf8(cupsLastErrorString()));
}
