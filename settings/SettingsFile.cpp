#include "SettingsFile.h"

#include "ProfileText.h"
#include "components/KorvexError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <utility>

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

namespace {

// Splits what is read into lines as it comes, in large chunks: a damaged file
// of huge lines costs one pass over its bytes, and no more memory than the
// longest line kept.
class LineSplitter
{
public:
    void feed(const QByteArray &chunk)
    {
        qsizetype from = 0;
        while (from < chunk.size()) {
            const qsizetype newline = chunk.indexOf('\n', from);
            const qsizetype end = newline < 0 ? chunk.size() : newline;
            if (!m_overlong && m_line.size() + (end - from) > SettingsFile::LongestLine + 1) {
                m_overlong = true;
                m_line.clear();
            }
            if (!m_overlong)
                m_line.append(chunk.constData() + from, end - from);
            if (newline < 0)
                return;
            endLine();
            from = newline + 1;
        }
    }
    // The last line needs no line break.
    void finish()
    {
        if (!m_line.isEmpty() || m_overlong)
            endLine();
    }

    QStringList lines;
    bool skipped = false;  // lines longer than LongestLine
    bool notText = false;  // lines that are not UTF-8 text

private:
    void endLine()
    {
        if (m_overlong) {
            skipped = true;
            m_overlong = false;
            return;
        }
        QByteArray line = std::exchange(m_line, {});
        if (line.endsWith('\r'))
            line.chop(1);
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

    QByteArray m_line;
    bool m_overlong = false;
};

constexpr qint64 ReadChunk = 1 << 20;

} // namespace

QStringList SettingsFile::readLines() const
{
    m_readProblem.clear();
    QFile file(m_fileName);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        m_readProblem = QStringLiteral("The settings file %1 could not be read (%2); the defaults are used.")
                            .arg(m_fileName, file.errorString());
        return {};
    }
    LineSplitter splitter;
    for (QByteArray chunk = file.read(ReadChunk); !chunk.isEmpty(); chunk = file.read(ReadChunk))
        splitter.feed(chunk);
    splitter.finish();
    if (splitter.skipped)
        m_readProblem = QStringLiteral("The settings file %1 holds lines longer than %2 KiB, which were skipped; "
                                       "the defaults are used for what they held.")
                            .arg(m_fileName).arg(LongestLine / 1024);
    else if (splitter.notText)
        m_readProblem = QStringLiteral("The settings file %1 holds lines that are not UTF-8 text, which were "
                                       "skipped; the defaults are used for what they held.")
                            .arg(m_fileName);
    return splitter.lines;
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
