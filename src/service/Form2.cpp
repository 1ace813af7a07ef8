#include "service/Form2.h"

Form2::Form2(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Funzioni di Servizio"));
    setAttribute(Qt::WA_DeleteOnClose);
}
