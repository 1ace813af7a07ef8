#include "app/Form1.h"

Form1::Form1(Windows &windows, QWidget *parent) : QWidget(parent), m_windows(windows)
{
    setObjectName(QStringLiteral("Form1"));
}
