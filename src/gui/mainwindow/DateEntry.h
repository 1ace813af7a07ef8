#pragma once
// Helpers of the entry screen's "Data" box: a date typed as bare digits becomes a
// slashed date when the user leaves the box, so that the record stores that form.
#include <QString>

class QLineEdit;

namespace dateentry {

// Turns every "-" of `typed` into "/" (in the caller's text too), then slices a
// text of exactly six or eight digits into day/month/year: 010509 -> 01/05/09,
// 01052009 -> 01/05/2009. Any other text is returned as it is after the hyphens
// changed, so a correctly typed 1/5/2009 stays 1/5/2009. Ranges are not checked.
QString slashedDate(QString &typed);

// Applies slashedDate to the box's text every time the focus leaves it.
void normaliseOnLeaving(QLineEdit &box);

} // namespace dateentry
