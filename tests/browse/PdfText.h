#pragma once
// Reads back printed PDF files with poppler's tools, as a user would read the paper.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace pdftext {

// The text of the PDF; `layout` keeps the horizontal placement of the words.
inline QString text(const QString &pdfPath, bool layout = false)
{
    QProcess process;
    QStringList arguments;
    if (layout)
        arguments << QStringLiteral("-layout");
    arguments << pdfPath << QStringLiteral("-");
    process.start(QStringLiteral("pdftotext"), arguments);
    process.waitForFinished(120000);
    // Accented letters may come back as a letter and a combining accent.
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_C);
}

// The printed lines, trailing blanks and page breaks (form feeds) removed, empty lines dropped.
inline QStringList lines(const QString &pdfPath)
{
    QStringList result;
    const QStringList all = text(pdfPath, true).split(QLatin1Char('\n'));
    for (QString line : all) {
        line.remove(QLatin1Char('\f'));
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        if (!line.isEmpty())
            result.append(line);
    }
    return result;
}

inline int pageCount(const QString &pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdfPath});
    process.waitForFinished(60000);
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace pdftext
