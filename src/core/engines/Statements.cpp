#include "core/engines/Statements.h"

#include <QRegularExpression>

namespace db {

namespace {
// Identifiers of the catalogue: letters, digits, "_" and the degree sign of "N°".
const QString identifier = QStringLiteral("[A-Za-z_][A-Za-z0-9_\\x{00B0}]*");
} // namespace

QString translateSource(const QString &source)
{
    static const QRegularExpression bareName(QStringLiteral("^\\s*(%1)\\s*$").arg(identifier));
    const auto match = bareName.match(source);
    if (match.hasMatch())
        return QStringLiteral("SELECT * FROM ") + match.captured(1);
    return translateStatement(source);
}

QString translateStatement(const QString &statement)
{
    // "DELETE * FROM t" is "DELETE FROM t".
    static const QRegularExpression deleteStar(QStringLiteral("^(\\s*DELETE)\\s+\\*\\s+(FROM\\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    QString result = statement;
    result.replace(deleteStar, QStringLiteral("\\1 \\2"));
    return result;
}

std::optional<CounterRestart> parseCounterRestart(const QString &statement)
{
    static const QRegularExpression restart(
        QStringLiteral("^\\s*ALTER\\s+TABLE\\s+(%1)\\s+ALTER\\s+COLUMN\\s+(%1)\\s+COUNTER\\s*"
                       "\\(\\s*(-?\\d+)\\s*,\\s*(-?\\d+)\\s*\\)\\s*;?\\s*$")
            .arg(identifier),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = restart.match(statement);
    if (!match.hasMatch())
        return std::nullopt;
    return CounterRestart{match.captured(1), match.captured(2), match.captured(3).toLongLong(),
                          match.captured(4).toLongLong()};
}

QString singleTableOf(const QString &selectStatement)
{
    static const QRegularExpression fromOne(
        QStringLiteral("^\\s*SELECT\\s+.*?\\s+FROM\\s+(%1)\\s*(?:$|WHERE\\b|ORDER\\b|;)").arg(identifier),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = fromOne.match(selectStatement);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString quoteLiteral(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

} // namespace db
