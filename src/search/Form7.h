#pragma once
// The search window. Stand-in until it is built: an empty window with its name and caption.
#include <QWidget>

class Windows;

class Form7 : public QWidget {
    Q_OBJECT
public:
    explicit Form7(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
