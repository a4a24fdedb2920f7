#include "SettingsFile.h"

#include "ProfileText.h"
#include "components/KorvexError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
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
