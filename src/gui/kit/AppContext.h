#pragma once
// What every window needs from outside: the program folder, the catalogue and the
// seams to the desktop. main() builds one with the real seams; a test builds its own.
#include <QString>

#include <functional>

class Dialogs;
class Shell;
class Printers;

namespace db {
class Store;
}

struct AppContext {
    QString programFolder; // the folder of the executable, "/" separated
    db::Store *store = nullptr;
    Dialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    Printers *printers = nullptr;
    std::function<void()> endProgram; // "Esci": main() ends the process; tests record it

    // The catalogue: db1.mdb in the program folder, or the URI of a server
    // catalogue (main() reads it from CINFIG.INI).
    QString catalogueLocation;
    QString catalogPath() const
    {
        return catalogueLocation.isEmpty() ? programFolder + QStringLiteral("/db1.mdb") : catalogueLocation;
    }
    // The attachments: the folder "Allegati" beside the program, or the office's
    // folder every workstation mounts (main() reads it from CINFIG.INI).
    QString officeAttachmentFolder;
    QString attachmentFolder() const
    {
        return officeAttachmentFolder.isEmpty() ? programFolder + QStringLiteral("/Allegati") : officeAttachmentFolder;
    }
    // Empty when attachments can be saved in their folder; otherwise what is wrong
    // with it, naming it. Nothing is ever saved elsewhere in its place.
    QString attachmentFolderProblem() const;
    QString settingsPath() const { return programFolder + QStringLiteral("/CINFIG.INI"); }
};
