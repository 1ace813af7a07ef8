#pragma once
// The attachment window. Stand-in until it is built: an empty window with its name and caption.
#include <QWidget>

class Windows;

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
