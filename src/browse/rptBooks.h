#pragma once
// The catalogue report and its preview window. Stand-in until it is built.
#include <QWidget>

class Windows;

class rptBooks : public QWidget {
    Q_OBJECT
public:
    explicit rptBooks(Windows &windows, QWidget *parent = nullptr);

private:
    Windows &m_windows;
};
