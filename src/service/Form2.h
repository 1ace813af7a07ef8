#pragma once
// The service window. Stand-in until it is built: an empty window with its name and caption.
#include <QWidget>

class Windows;

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
