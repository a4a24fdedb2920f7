#pragma once

#include <QString>

namespace korvex {

// Removes every leading and trailing character with a code from 0 to 32, the
// trimming all tag readers apply to their values.
QString TrimTagText(const QString &text);

// Cuts a text to fit a fixed-width field of `width` characters that ends with
// a terminator: at most width - 1 characters, up to the first zero character,
// never leaving half of a surrogate pair at the end.
QString FitField(const QString &text, int width);

} // namespace korvex
