#pragma once

#include <QString>
#include <QStringList>

namespace korvex {

// A profile file of "[Section]" headers and "key=value" lines, read and written
// with the classic profile rules: section and key names match without regard to
// case, the first matching section and key win, and every write goes to disk at
// once. The file on disk is the only state: each read looks at the file as it is
// now, so a value written by anyone (this object, another one on the same path,
// the user's editor) is what the next read sees. Files are UTF-8.
class SettingsFile
{
public:
    explicit SettingsFile(const QString &fileName);

    const QString &fileName() const { return m_fileName; }

    // Lines longer than this are skipped: no setting is that long, and a
    // damaged file of one huge line would cost its size at every read.
    static constexpr qint64 LongestLine = 64 * 1024;
    // What the last read could not take, in words for the user (the file
    // could not be opened, long lines were skipped); empty when all was read.
    const QString &readProblem() const { return m_readProblem; }

    // A decimal integer with optional sign, or hexadecimal after "$", "0x" or
    // "0X"; anything else, an absent key or a value outside 32 bits gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    // An integer read with default 1 or 0; any value but 0 is true.
    bool readBool(const QString &section, const QString &key, bool def) const;
    // def only when the key is absent; a present empty value gives "".
    QString readString(const QString &section, const QString &key, const QString &def) const;

    // Each write rewrites the file at once and keeps every other line as it was.
    // A refused write throws KorvexError("Unable to write to <file>").
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeString(const QString &section, const QString &key, const QString &value);

private:
    QStringList readLines() const;
    void writeLines(const QStringList &lines) const;

    QString m_fileName;
    mutable QString m_readProblem;
};

} // namespace korvex
