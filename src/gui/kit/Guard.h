#pragma once
// Runs one user action that reaches the catalogue. A failure of the engine is
// shown to the user with the engine's reason, something the program refuses is
// shown as its own warning, and the window stays usable; the caller learns
// whether the action went through, so that no success message follows a failure.
#include <QString>
#include <functional>

class Dialogs;
class QWidget;

// true when `work` ran to its end; false when it threw db::DbError or
// db::Refusal (already shown).
bool guarded(QWidget *parent, Dialogs &dialogs, const std::function<void()> &work);
