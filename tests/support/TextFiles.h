#pragma once

#include <QByteArray>
#include <QString>

namespace korvex::test {

// Whole-file helpers for tests that set up or inspect text files byte for byte.
// writeTextFile returns false when the file could not be written.
bool writeTextFile(const QString &path, const QByteArray &bytes);
// The file's bytes, or an empty array when it cannot be read.
QByteArray readTextFile(const QString &path);

} // namespace korvex::test
