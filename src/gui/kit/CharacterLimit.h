#pragma once
// Length limits of the entry screen's boxes counted in characters, as the user
// sees them: a character outside the basic plane (an emoji, for one) counts once
// and is never cut in half, which a limit counted in Qt's text units would do.
class QLineEdit;

// `box` holds at most `characters` characters; more, typed or pasted, are cut off.
void limitCharacters(QLineEdit &box, int characters);
// `box` holds any length of text: nothing is ever cut off silently.
void removeLengthLimit(QLineEdit &box);
