#include "browse/rptBooks.h"

rptBooks::rptBooks(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("rptBooks"));
    setWindowTitle(QStringLiteral("Stampa Elenco"));
}
