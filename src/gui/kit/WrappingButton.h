#pragma once
// A push button whose caption wraps onto more lines when it does not fit on one,
// as the captions of the original windows do ("Acquisisci da  Scanner" in a
// narrow button). text() stays the caption as given.
#include <QPushButton>

class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
