#pragma once
// A window described as text, one line per named control, indented by nesting:
// name, kind, caption, place and size in twips (relative to the parent), font
// where it differs from the parent's, and what the user cannot do with it
// (hidden, disabled, read-only, length limit). The tests compare it with a file
// kept beside them, so a change of layout is a reviewed change of that file.
#include <QString>

class QWidget;

namespace layout {
QString describe(const QWidget &window);
// Compares the description of `window` with the file `golden`; writes the file
// instead when the environment variable UPDATE_LAYOUTS is set. Empty when they
// agree, else the first lines that differ.
QString compareWithFile(const QWidget &window, const QString &golden);
} // namespace layout
