#include "SettingsFile.h"

#include "ProfileText.h"
#include "components/KorvexError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace korvex {

SettingsFile::SettingsFile(const QString &fileName)
    : m_fileName(fileName)
{
}

int SettingsFile::readInteger(const QString &section, const QString &key, int def) const
{
    const std::optional<QString> text = findProfileValue(readLines(), section, key);
    if (!text)
        return def;
    return parseProfileInteger(*text).value_or(def);
}

bool SettingsFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

QString SettingsFile::readString(const QString &section, const QString &key,
                                 const QString &def) const
{
    return findProfileValue(readLines(), section, key).value_or(def);
}

void SettingsFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void SettingsFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeInteger(section, key, value ? 1 : 0);
}

void SettingsFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // A line break would end the line and let the rest pose as further keys.
    if (!isStorableProfileValue(value))
        throw KorvexError(QStringLiteral("Unable to write to %1").arg(m_fileName));
    QStringList lines = readLines();
    setProfileValue(lines, section, key, value);
    writeLines(lines);
}

QStringList SettingsFile::readLines() const
{
    m_readProblem.clear();
    QFile file(m_fileName);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        m_readProblem = QStringLiteral("The settings file %1 could not be read (%2); the defaults are used.")
                            .arg(m_fileName, file.errorString());
        return {};
    }
    QStringList lines;
    bool skipped = false;
    bool notText = false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(LongestLine + 2);
        if (!line.endsWith('\n') && !file.atEnd()) {
            // the rest of an overlong line goes unread
            skipped = true;
            while (!file.atEnd() && !file.readLine(LongestLine).endsWith('\n')) {
            }
            continue;
        }
        if (line.endsWith('\n'))
            line.chop(line.endsWith("\r\n") ? 2 : 1);
        if (lines.isEmpty() && line.startsWith("\xEF\xBB\xBF"))
            line.remove(0, 3);
        // A damaged file (binary junk, another encoding) is read as far as it
        // is text; a line that is not goes, and a blank keeps the line count.
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(line);
        if (utf8.hasError() || line.contains('\0')) {
            notText = true;
            text.clear();
        }
        lines.append(text);
    }
    if (skipped)
        m_readProblem = QStringLiteral("The settings file %1 holds lines longer than %2 KiB, which were skipped; "
                                       "the defaults are used for what they held.")
                            .arg(m_fileName).arg(LongestLine / 1024);
    else if (notText)
        m_readProblem = QStringLiteral("The settings file %1 holds lines that are not UTF-8 text, which were "
                                       "skipped; the defaults are used for what they held.")
                            .arg(m_fileName);
    return lines;
}

void SettingsFile::writeLines(const QStringList &lines) const
{
    // The whole file is replaced in one step, so a crash or a full disk in the
    // middle of a write leaves the previous settings intact.
    const QString folder = QFileInfo(m_fileName).absolutePath();
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(true);
    const QByteArray bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    const bool written = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size() && file.commit();
    if (!written)
        throw KorvexError(QStringLiteral("Unable to write to %1").arg(m_fileName));
}

} // namespace korvex
