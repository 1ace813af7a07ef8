#pragma once
// The one error type of the database layer: every failure of the engine (file
// missing, statement refused, value rejected) is thrown as a DbError carrying the
// engine's own reason.
#include <QString>
#include <stdexcept>

namespace db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString &reason) : std::runtime_error(reason.toStdString()), m_reason(reason) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

} // namespace db
