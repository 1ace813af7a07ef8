#pragma once
// The layout of the catalogue report rptBooks: its five bands with every label,
// field and line, the margins, the report width and the fonts.
#include "core/report/ReportLayout.h"

namespace report {

// Left, right and bottom margins 0, top margin 800 twips (so that the date line
// stays clear of the printer's unprintable edge); width 11340 twips (20 cm).
ReportLayout catalogueReportLayout();

} // namespace report
