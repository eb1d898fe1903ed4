#pragma once

#include <QChar>

class QKeyEvent;

// The Latin letter or digit a key stands for when the layout in use writes no Latin letters:
// the letter of the layout's Latin group on that key, if it has one, else the key's letter on a
// US keyboard. Null when the key writes a Latin letter or digit of its own, or is none of theirs.
QChar latinKey(const QKeyEvent& event);
