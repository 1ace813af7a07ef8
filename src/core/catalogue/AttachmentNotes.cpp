#include "core/catalogue/AttachmentNotes.h"

#include <QRegularExpression>

namespace attachments {

namespace {
const QString marker = QStringLiteral("Allegato:-");
}

QString notesLine(const QString &fileName)
{
    return QLatin1Char('\n') + marker + fileName;
}

QStringList namedIn(const QString &notes)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList names;
    for (const QString &line : notes.split(lineBreak)) {
        if (!line.startsWith(marker))
            continue;
        const QString name = line.mid(marker.size()).trimmed();
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace attachments
