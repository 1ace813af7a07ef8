#pragma once
// The main window. Stand-in until it is built.
#include <QWidget>

class Windows;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
