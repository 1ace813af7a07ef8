#pragma once
// Reads back printed PDF files with poppler's tools, as a user would read the paper.
#include "Tools.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace pdftext {

// The text of the PDF; `layout` keeps the horizontal placement of the words.
inline QString text(const QString &pdfPath, bool layout = false)
{
    QStringList arguments;
    if (layout)
        arguments << QStringLiteral("-layout");
    arguments << pdfPath << QStringLiteral("-");
    const testdata::ToolRun run = testdata::runTool(QStringLiteral("pdftotext"), arguments);
    // Accented letters may come back as a letter and a combining accent.
    return QString::fromUtf8(run.output).normalized(QString::NormalizationForm_C);
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
    const QString info = QString::fromUtf8(testdata::runTool(QStringLiteral("pdfinfo"), {pdfPath}).output);
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace pdftext

namespace pdftext {

struct Word {
    int page; // from 1
    double x; // left, in points from the sheet's left edge
    double y; // top, in points from the sheet's top edge
    double right;
    QString text;
};

// Every word of the PDF with its place, line by line, left to right.
inline QList<Word> words(const QString &pdfPath)
{
    const QString html = QString::fromUtf8(
        testdata::runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")}).output);

    QList<Word> found;
    int page = 0;
    static const QRegularExpression item(QStringLiteral(
        "<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(4);
        text.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&apos;"), QLatin1String("'"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        found.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                      text.normalized(QString::NormalizationForm_C)});
    }
    // pdftotext gives the words in blocks; put them back line by line, left to right.
    std::sort(found.begin(), found.end(), [](const Word &a, const Word &b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (std::abs(a.y - b.y) > 1.0)
            return a.y < b.y;
        return a.x < b.x;
    });
    return found;
}

// The printed lines of a PDF printed in a fixed-width font, rebuilt from the
// position of every word: a word that begins `n` character widths right of the
// leftmost word of the document begins at column n. Pages follow one another.
inline QStringList characterLines(const QString &pdfPath, double characterWidthPoints)
{
    const QList<Word> all = words(pdfPath);
    double left = 1e9;
    for (const Word &word : all)
        left = std::min(left, word.x);

    QStringList lines;
    int linePage = -1;
    double lineY = -1;
    for (const Word &word : all) {
        if (word.page != linePage || std::abs(word.y - lineY) > 1.0) {
            lines.append(QString());
            linePage = word.page;
            lineY = word.y;
        }
        QString &line = lines.last();
        const int column = int(std::lround((word.x - left) / characterWidthPoints));
        if (line.size() < column)
            line = line.leftJustified(column);
        else if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += word.text;
    }
    return lines;
}

} // namespace pdftext
