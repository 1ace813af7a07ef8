#pragma once
// The errors of the catalogue layer. DbError is a failure of the engine (file
// missing, statement refused, value rejected) and carries the engine's own
// reason. Refusal is something the program itself will not do (a number that is
// not a number, a record gone meanwhile): its text is the whole message for the user.
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

class Refusal : public std::runtime_error {
public:
    explicit Refusal(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace db
