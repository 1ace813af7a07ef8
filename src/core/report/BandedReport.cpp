#include "core/report/BandedReport.h"

#include "core/catalogue/RowSource.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace report {

namespace {
constexpr double twipsPerInch = 1440.0;
constexpr int twipsPerPoint = 20;

// The control's font sized in twips, for a painter whose units are twips.
QFont fontInTwips(const QFont &font)
{
    QFont sized = font;
    sized.setPixelSize(qMax(1, qRound(font.pointSizeF() * twipsPerPoint)));
    return sized;
}

// A value on one printed line: line breaks and tabs become blanks.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text;
}

// The longest start of `text`, in whole letters, no wider than `width`.
QString fittingStart(const QString &text, const QFontMetricsF &metrics, qreal width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    QList<qsizetype> ends; // where each letter ends
    QTextBoundaryFinder letters(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype end = letters.toNextBoundary(); end > 0; end = letters.toNextBoundary())
        ends.append(end);
    // The widths of the starts grow with their length: halve the range.
    qsizetype fits = 0, tooLong = ends.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = (fits + tooLong) / 2;
        if (metrics.horizontalAdvance(text.left(ends.at(middle - 1))) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    return fits == 0 ? QString() : text.left(ends.at(fits - 1));
}
} // namespace

BandedReport::BandedReport(ReportLayout layout, const db::RowSource &rows, QSize paperTwips, QDate date)
    : m_layout(std::move(layout)), m_rows(rows), m_paper(paperTwips), m_date(date)
{
    for (const QString &field : m_layout.fieldNames())
        m_columns.insert(field, m_rows.columnOf(field));

    // Records per page follow from the heights alone; a detail band taller than
    // the page still gets a page of its own.
    m_detailHeight = qMax(1, m_layout.detail.height);
    const int body = bodyHeight();
    m_perPage = qMax(1, body / m_detailHeight);
    m_onFirstPage = qMax(0, (body - m_layout.reportHeader.height) / m_detailHeight);
}

int BandedReport::pageCount() const
{
    const int records = m_rows.rowCount();
    int lastDetailPage = 1;
    int usedOnLastPage = 0;
    if (records > m_onFirstPage) {
        const int rest = records - m_onFirstPage;
        lastDetailPage = 1 + (rest + m_perPage - 1) / m_perPage;
        usedOnLastPage = (rest - (lastDetailPage - 2) * m_perPage) * m_detailHeight;
    } else {
        usedOnLastPage = m_layout.reportHeader.height + records * m_detailHeight;
    }
    const bool footerFits = usedOnLastPage + m_layout.reportFooter.height <= bodyHeight();
    return lastDetailPage + (footerFits ? 0 : 1);
}

bool BandedReport::pageCountKnown() const
{
    return m_rows.complete();
}

int BandedReport::pagesReady() const
{
    if (pageCountKnown())
        return pageCount();
    const int records = m_rows.rowCount();
    return records < m_onFirstPage ? 0 : 1 + (records - m_onFirstPage) / m_perPage;
}

int BandedReport::bodyHeight() const
{
    return m_paper.height() - m_layout.topMargin - m_layout.bottomMargin - m_layout.pageHeader.height
        - m_layout.pageFooter.height;
}

BandedReport::Records BandedReport::recordsOn(int page) const
{
    const int records = m_rows.rowCount();
    if (page < 1 || page > pageCount())
        return {};
    if (page == 1)
        return {0, std::min(records, m_onFirstPage)};
    const qint64 first = m_onFirstPage + qint64(page - 2) * m_perPage;
    if (first >= records)
        return {records, 0};
    return {int(first), int(std::min<qint64>(m_perPage, records - first))};
}

QStringList BandedReport::missingFields() const
{
    QStringList missing;
    for (const QString &field : m_layout.fieldNames())
        if (m_columns.value(field, -1) < 0)
            missing.append(field);
    return missing;
}

void BandedReport::drawPage(QPainter &painter, int page) const
{
    const int pages = pageCount();
    if (page < 1 || page > pages)
        return;
    int top = m_layout.topMargin;
    if (page == 1) {
        drawBand(painter, m_layout.reportHeader, top, page, -1);
        top += m_layout.reportHeader.height;
    }
    // The report header opens the first page; the page header follows it there.
    drawBand(painter, m_layout.pageHeader, top, page, -1);
    top += m_layout.pageHeader.height;

    const Records records = recordsOn(page);
    for (int i = 0; i < records.count; ++i) {
        drawBand(painter, m_layout.detail, top, page, records.first + i);
        top += m_detailHeight;
    }
    if (!pageCountKnown())
        return;
    if (page == pages)
        drawBand(painter, m_layout.reportFooter, top, page, -1);
    const int footerTop = m_paper.height() - m_layout.bottomMargin - m_layout.pageFooter.height;
    drawBand(painter, m_layout.pageFooter, footerTop, page, -1);
}

void BandedReport::drawBand(QPainter &painter, const ReportBand &band, int top, int page, int record) const
{
    const int left = m_layout.leftMargin;
    for (const ReportControl &control : band.controls) {
        const QRect box = control.twips.translated(left, top);
        switch (control.kind) {
        case ReportControl::Line:
            painter.setPen(QPen(Qt::black, 15)); // one pixel at 96 dpi
            painter.drawLine(box.left(), box.top(), box.left() + control.twips.width(), box.top());
            break;
        case ReportControl::Label:
        case ReportControl::Field: {
            QString text;
            if (control.kind == ReportControl::Label) {
                text = expandPlaceholders(control.text, m_date, page, pageCount());
            } else {
                const int column = m_columns.value(control.text, -1);
                if (record >= 0 && column >= 0)
                    text = oneLine(m_rows.value(record, column).toString());
            }
            if (text.isEmpty())
                break;
            const QRect room = band.printableBox(control).translated(left, top);
            QFont font = fontInTwips(control.font);
            if (control.kind == ReportControl::Label) {
                // A caption is never cut: a page number of many digits is drawn
                // smaller, to stay within its box and clear of its neighbours.
                const qreal width = QFontMetricsF(font).horizontalAdvance(text);
                if (width > room.width() && room.width() > 0)
                    font.setPixelSize(qMax(1, int(font.pixelSize() * room.width() / width)));
            } else {
                // A value too long for its room ends with the last whole letter that fits.
                text = fittingStart(text, QFontMetricsF(font), room.width());
            }
            painter.setPen(Qt::black);
            painter.setFont(font);
            painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            break;
        }
        }
    }
}

bool BandedReport::print(QPagedPaintDevice &device, int fromPage, int toPage) const
{
    fromPage = std::max(1, fromPage);
    toPage = std::min(pageCount(), toPage);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = fromPage; page <= toPage; ++page) {
        if (page > fromPage && !device.newPage())
            return false;
        painter.save();
        scaleToTwips(painter);
        drawPage(painter, page);
        painter.restore();
    }
    return painter.end();
}

void BandedReport::scaleToTwips(QPainter &painter, double zoom)
{
    const QPaintDevice *device = painter.device();
    painter.scale(zoom * device->logicalDpiX() / twipsPerInch, zoom * device->logicalDpiY() / twipsPerInch);
}

QSize BandedReport::paperTwips(const QPageLayout &pageLayout)
{
    const QRectF points = pageLayout.fullRect(QPageLayout::Point);
    return QSize(qRound(points.width() * twipsPerPoint), qRound(points.height() * twipsPerPoint));
}

} // namespace report
