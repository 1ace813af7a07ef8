#pragma once
// Hands a file or a web address to the desktop, which opens it with the program
// associated with it. Tests record the requests instead.
#include <QString>

class Shell {
public:
    virtual ~Shell() = default;
    // Empty when the desktop took the file; otherwise why it could not, as an
    // Italian sentence naming the file (missing, or no program opens its kind).
    virtual QString openFile(const QString &path) = 0;
    virtual bool openUrl(const QString &url) = 0;
};

class DesktopShell : public Shell {
public:
    QString openFile(const QString &path) override;
    bool openUrl(const QString &url) override;
};
