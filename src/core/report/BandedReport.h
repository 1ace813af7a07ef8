#pragma once
// Lays a ReportLayout out on pages and draws them. The number of pages, and the
// records of any page, follow from the band heights and the page height alone,
// so any page of a million records is drawn at once, reading only its own rows.
// Rows that arrive a batch at a time (RowSource.h) are laid out as they come: a
// page is ready once its records have arrived, and the page count, which the
// page footers print, is known once they all have.
#include "core/report/ReportLayout.h"

#include <QDate>
#include <QHash>
#include <QSize>
#include <QStringList>

class QPainter;
class QPageLayout;
class QPagedPaintDevice;

namespace db {
class RowSource;
}

namespace report {

class BandedReport {
public:
    struct Records {
        int first = 0; // index of the first record on the page
        int count = 0;
    };

    // `paperTwips`: the whole sheet in twips; `date` is what "%D" prints.
    BandedReport(ReportLayout layout, const db::RowSource &rows, QSize paperTwips, QDate date = QDate::currentDate());

    const ReportLayout &layout() const { return m_layout; }
    QSize paperTwips() const { return m_paper; }
    QDate date() const { return m_date; }
    // The pages of the rows arrived so far; the report's once pageCountKnown().
    int pageCount() const;
    bool pageCountKnown() const;
    // The pages whose every record has arrived, from the first.
    int pagesReady() const;
    Records recordsOn(int page) const; // pages count from 1
    // Fields of the layout the rows do not have (they would print nothing).
    QStringList missingFields() const;

    // Draws one page; the painter's units are twips with the origin at the
    // sheet's top left corner (see scaleToTwips). The page footer, which prints
    // the page count, and the report footer are left out until it is known.
    void drawPage(QPainter &painter, int page) const;
    // Prints pages `fromPage`..`toPage` on `device` (a printer or a PDF file),
    // whose painting must cover the whole sheet; false when it could not be started.
    bool print(QPagedPaintDevice &device, int fromPage, int toPage) const;

    // Sets the painter's units to twips, `zoom` times their size on the device.
    static void scaleToTwips(QPainter &painter, double zoom = 1.0);
    static QSize paperTwips(const QPageLayout &pageLayout);

private:
    int bodyHeight() const; // room between page header and page footer
    void drawBand(QPainter &painter, const ReportBand &band, int top, int page, int record) const;

    ReportLayout m_layout;
    const db::RowSource &m_rows;
    QSize m_paper;
    QDate m_date;
    QHash<QString, int> m_columns; // field name -> column of the rows, -1 when absent
    int m_detailHeight = 1;
    int m_onFirstPage = 0; // records that fit under the report header
    int m_perPage = 1;     // records that fit on every other page
};

} // namespace report
