#pragma once
// The browse window. Stand-in until it is built: an empty window with its name and caption.
#include <QWidget>

class Windows;

class Frmlibri : public QWidget {
    Q_OBJECT
public:
    explicit Frmlibri(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
