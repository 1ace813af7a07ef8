#pragma once
// A record names its attachments in its notes, one line "Allegato:-" + the file
// name for each, as the scanner window writes it; the files are in the
// attachment folder.
#include <QString>
#include <QStringList>

namespace attachments {

// The line the notes get for a document scanned into `fileName`, line break first.
QString notesLine(const QString &fileName);
// The file names the notes name, in their order, each once.
QStringList namedIn(const QString &notes);

} // namespace attachments
