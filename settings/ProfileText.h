#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvex {

// The text of a profile file as lines, and the profile rules on it: "[Section]"
// headers, "key=value" lines, names compared without case, the first match
// wins, comment lines (";") and lines before the first header belong to no key.
// Everything the rules do not touch is kept line for line, so unknown sections,
// keys, comments and their order survive a rewrite.

// The value of key in section, trimmed and without one pair of enclosing quotes;
// nothing when the section or the key is absent.
std::optional<QString> findProfileValue(const QStringList &lines, const QString &section,
                                        const QString &key);

// Sets key in section: replaces the first matching line (keeping the key's
// spelling), else adds the key at the end of the section, else appends the
// section. A value that would not read back as written (blanks at either end,
// enclosing quotes) is quoted.
void setProfileValue(QStringList &lines, const QString &section, const QString &key,
                     const QString &value);

// True when value can be stored on one line (no line break in it).
bool isStorableProfileValue(const QString &value);

// A decimal integer with optional sign, or hexadecimal when it starts with "$"
// ("0x" and "0X" count as "$"), within 32 bits; hexadecimal takes any 32-bit
// pattern, so "$FFFFFFFF" is −1.
std::optional<int> parseProfileInteger(const QString &text);

} // namespace korvex
