#include "attachments/Form5.h"

Form5::Form5(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Scanner"));
    setAttribute(Qt::WA_DeleteOnClose);
}
