#pragma once
// A banded report described as data: five bands of fixed height, each holding
// labels, fields and horizontal lines placed in twips, with their fonts. The
// engine (BandedReport) lays it out on pages; tests read it as it is.
#include <QFont>
#include <QRect>
#include <QString>
#include <QVector>

namespace report {

struct ReportControl {
    enum Kind { Label, Field, Line };
    QString name; // the control's name, e.g. "Label5"
    Kind kind = Label;
    QString text; // labels: the caption (may hold placeholders); fields: the field name
    QRect twips;  // left, top, width, height within the band (a line's height is 0)
    QFont font;   // labels and fields; unused for lines
};

struct ReportBand {
    QString name;   // e.g. "Section1"
    int height = 0; // twips
    QVector<ReportControl> controls;

    const ReportControl *control(const QString &controlName) const;
    // The part of a control's box its text may use: the box, ending short of the
    // next box on the same line, so that neighbouring values never overlap
    // even where the boxes do.
    QRect printableBox(const ReportControl &control) const;
};

struct ReportLayout {
    ReportBand reportHeader;                                              // once, at the top of the first page
    ReportBand pageHeader;                                                // at the top of every page
    ReportBand detail;                                                    // once per record
    ReportBand pageFooter;                                                // at the foot of every page
    ReportBand reportFooter;                                              // once, after the last record
    int reportWidth = 0;                                                  // twips
    int leftMargin = 0, topMargin = 0, rightMargin = 0, bottomMargin = 0; // twips
    QFont defaultFont;

    QVector<const ReportBand *> bands() const;
    // The field names the fields of every band print, in band order.
    QStringList fieldNames() const;
};

// A caption with "%D" (the date, Italian long form), "%p" (the page number) and
// "%P" (the number of pages) replaced; any other text stays as it is.
QString expandPlaceholders(const QString &caption, const QDate &date, int page, int pageCount);

// A font of `family`, `points` in size, bold or not.
QFont reportFont(const QString &family, double points, bool bold);

} // namespace report
