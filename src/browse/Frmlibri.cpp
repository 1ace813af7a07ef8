#include "browse/Frmlibri.h"

Frmlibri::Frmlibri(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Frmlibri"));
    setWindowTitle(QStringLiteral("Frmlibri"));
    setAttribute(Qt::WA_DeleteOnClose);
}
