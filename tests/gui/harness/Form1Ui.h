#pragma once
// The main window's controls as a test finds them: by their names, as a user
// sees them. Holds the window too, for its public routines.
#include "gui/mainwindow/MainWindow.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

struct Form1Ui {
    explicit Form1Ui(MainWindow &form);

    MainWindow &window;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *Check5 = nullptr;
    QCheckBox *Check4 = nullptr;
    QCheckBox *Check6 = nullptr;
    QCheckBox *Check10 = nullptr;
    QCheckBox *Check12 = nullptr;
    QCheckBox *Check11 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label13 = nullptr;
    QLineEdit *Text3 = nullptr;
    QComboBox *Combo3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text8 = nullptr;
    QPlainTextEdit *Text9 = nullptr;
    QComboBox *Combo6 = nullptr;
    QLineEdit *Text10 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command20 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command4 = nullptr;
    QCheckBox *Check7 = nullptr;
    QCheckBox *Check9 = nullptr;
    QComboBox *Combo7 = nullptr;
    QGroupBox *Frame7 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check8 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QCalendarWidget *Calendario = nullptr;
    QPushButton *Command15 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QComboBox *Combo2 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command10 = nullptr;
    QGroupBox *Frame5 = nullptr;
    QComboBox *Combo4 = nullptr;
    QPushButton *Command14 = nullptr;
    QPushButton *Command13 = nullptr;
    QPushButton *Command12 = nullptr;
    QPushButton *Command11 = nullptr;
    QGroupBox *Frame6 = nullptr;
    QComboBox *Combo5 = nullptr;
    QPushButton *Command21 = nullptr;
    QPushButton *Command16 = nullptr;
    QPushButton *Command17 = nullptr;
    QPushButton *Command18 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label14 = nullptr;
    QTimer *Timer1 = nullptr;

    // The window's own routines and what a test asks of the window.
    void show() const { window.show(); }
    bool close() const { return window.close(); }
    bool isVisible() const { return window.isVisible(); }
    QString windowTitle() const { return window.windowTitle(); }
    Qt::WindowFlags windowFlags() const { return window.windowFlags(); }
    QSize size() const { return window.size(); }
    QWidget *childAt(const QPoint &point) const { return window.childAt(point); }
    void PulisciCampi() const { window.clearEntryScreen(); }
    void LeggiProgressivo() const { window.showNextDocumentNumber(); }
    void SalvaProgressivo() const { window.storeShownDocumentNumber(); }
    void CaricaChiave() const { window.loadKeywords(); }
    template <typename T> T findChild(const QString &name) const { return window.findChild<T>(name); }
};

// Every control found by its name; a renamed or missing one fails the test at once.
inline Form1Ui::Form1Ui(MainWindow &form) : window(form)
{
    const auto find = [&form](auto *&member, const char *name) {
        member = form.findChild<std::remove_reference_t<decltype(*member)> *>(QLatin1String(name));
        if (!member)
            QTest::qFail(qPrintable(QStringLiteral("the main window has no control %1").arg(QLatin1String(name))),
                         __FILE__, __LINE__);
    };
    find(Frame2, "Frame2");
    find(Check5, "Check5");
    find(Check4, "Check4");
    find(Check6, "Check6");
    find(Check10, "Check10");
    find(Check12, "Check12");
    find(Check11, "Check11");
    find(Frame3, "Frame3");
    find(Label6, "Label6");
    find(Label7, "Label7");
    find(Label8, "Label8");
    find(Label9, "Label9");
    find(Label3, "Label3");
    find(Label12, "Label12");
    find(Label4, "Label4");
    find(Label5, "Label5");
    find(Label11, "Label11");
    find(Label1, "Label1");
    find(Label10, "Label10");
    find(Label13, "Label13");
    find(Text3, "Text3");
    find(Combo3, "Combo3");
    find(Text4, "Text4");
    find(Text5, "Text5");
    find(Combo1, "Combo1");
    find(Text1, "Text1");
    find(Text2, "Text2");
    find(Text7, "Text7");
    find(Text8, "Text8");
    find(Text9, "Text9");
    find(Combo6, "Combo6");
    find(Text10, "Text10");
    find(Command1, "Command1");
    find(Command3, "Command3");
    find(Command20, "Command20");
    find(Command5, "Command5");
    find(Command6, "Command6");
    find(Command4, "Command4");
    find(Check7, "Check7");
    find(Check9, "Check9");
    find(Combo7, "Combo7");
    find(Frame7, "Frame7");
    find(Check1, "Check1");
    find(Check2, "Check2");
    find(Check3, "Check3");
    find(Check8, "Check8");
    find(Frame1, "Frame1");
    find(Calendario, "Calendario");
    find(Command15, "Command15");
    find(Frame4, "Frame4");
    find(Combo2, "Combo2");
    find(Command7, "Command7");
    find(Command8, "Command8");
    find(Command9, "Command9");
    find(Command10, "Command10");
    find(Frame5, "Frame5");
    find(Combo4, "Combo4");
    find(Command14, "Command14");
    find(Command13, "Command13");
    find(Command12, "Command12");
    find(Command11, "Command11");
    find(Frame6, "Frame6");
    find(Combo5, "Combo5");
    find(Command21, "Command21");
    find(Command16, "Command16");
    find(Command17, "Command17");
    find(Command18, "Command18");
    find(Image1, "Image1");
    find(Label2, "Label2");
    find(Label14, "Label14");
    find(Timer1, "Timer1");
}
