#include "gui/kit/CharacterLimit.h"

#include <QLineEdit>

#include <limits>

namespace {
// The first `characters` characters of `text`, whole.
QString leftCharacters(const QString &text, int characters)
{
    qsizetype units = 0;
    for (int taken = 0; taken < characters && units < text.size(); ++taken)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return text.left(units);
}
} // namespace

void limitCharacters(QLineEdit &box, int characters)
{
    // Qt counts text units: room for every character to take two, then the count
    // of whole characters is what limits.
    box.setMaxLength(2 * characters);
    box.setProperty("characterLimit", characters);
    QObject::connect(&box, &QLineEdit::textChanged, &box, [&box, characters](const QString &text) {
        if (text.size() <= characters)
            return; // never more characters than units
        const QString kept = leftCharacters(text, characters);
        if (kept.size() == text.size())
            return;
        const int cursor = std::min(box.cursorPosition(), int(kept.size()));
        box.setText(kept);
        box.setCursorPosition(cursor);
    });
}

void removeLengthLimit(QLineEdit &box)
{
    box.setMaxLength(std::numeric_limits<int>::max());
}
