#pragma once
// Moving in from the old program: when the db1.mdb beside the program is still
// the old Access catalogue, the program offers at start to convert it. The
// conversion runs in the catalogue tool as a child process (a crash of the
// Access reader on a damaged file cannot take the program down), into a
// temporary folder; only a finished, checked catalogue is moved in, and the
// original is kept byte for byte as db1-access.mdb.
#include <QString>

class Dialogs;

namespace accessmigration {

// The catalogue tool beside the program.
QString converterBeside(const QString &programFolder);
// The name the original Access file is kept under.
QString keptAccessName(); // "db1-access.mdb"

// True when the program can go on: db1.mdb is not an Access file, or it was
// converted. False when it must end (the answer was No, or the conversion was
// refused or failed); every reason has then been shown and nothing has changed.
// The progress dialog shows when the conversion lasts more than `progressDelayMs`.
bool offerConversion(const QString &programFolder, Dialogs &dialogs, const QString &converter,
                     int progressDelayMs = 700);

} // namespace accessmigration
