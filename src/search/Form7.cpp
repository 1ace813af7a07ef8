#include "search/Form7.h"

Form7::Form7(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Ricerca"));
    setAttribute(Qt::WA_DeleteOnClose);
}
