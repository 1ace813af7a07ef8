#include "attachments/Form3.h"

Form3::Form3(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Visualizza Allegati "));
    setAttribute(Qt::WA_DeleteOnClose);
}
