#pragma once
// The scanner choice asked through the program's dialogs: a warning when no
// scanner is found, a list of the scanners found otherwise.
#include "core/scanning/Twain.h"

class Dialogs;

class ScannerDialogs : public ScannerChoice {
public:
    explicit ScannerDialogs(Dialogs &dialogs) : m_dialogs(dialogs) {}
    void noScanner(QObject *window, const QString &reason) override;
    std::optional<QString> choose(QObject *window, const QStringList &labels) override;

private:
    Dialogs &m_dialogs;
};
