#pragma once
// What the user is told when the catalogue fails: in use by another program,
// damaged, not writable, or any other failure of the engine. Each says what
// happened and what to do; the engine's own text follows for the expert.
#include <QString>

namespace db {

class DbError;

// The message for a failed action (nothing was changed by it).
QString failureMessage(const DbError &error);

// The advice for a damaged catalogue: restore a backup copy, how.
QString damagedAdvice(const QString &catalogPath);
// The advice for a catalogue that cannot be written: which permissions, how.
QString readOnlyAdvice(const QString &catalogPath);
// The advice for a catalogue whose disk is full.
QString diskFullAdvice(const QString &catalogPath);

} // namespace db
