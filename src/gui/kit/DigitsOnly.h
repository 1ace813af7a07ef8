#pragma once
// The filter of the entry screen's "N°", "Pagina" and "Paragr." boxes: whatever is
// typed, pasted or dropped, only the digits 0-9 reach the box, and no more of them
// than the box holds.
#include <QValidator>

class QLineEdit;

class DigitsOnly : public QValidator {
    Q_OBJECT
public:
    explicit DigitsOnly(int maxDigits, QObject *parent = nullptr);
    // Drops every character but 0-9, then keeps the first maxDigits of them.
    State validate(QString &input, int &pos) const override;

private:
    int m_maxDigits;
};

// Puts the filter on `box`: at most `maxDigits`, counted after the other
// characters are dropped, so that a pasted "n. 12" gives "12".
void acceptDigitsOnly(QLineEdit &box, int maxDigits);
