#include "ProfileText.h"

#include <limits>

namespace korvex {

namespace {

bool isHeader(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char('['));
}

QString headerName(const QString &trimmed)
{
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

bool isComment(const QString &trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

// The key of a "key=value" line, or nothing for blank, comment and header lines.
std::optional<QString> lineKey(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || isComment(trimmed) || isHeader(trimmed))
        return std::nullopt;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

bool isQuotedPair(const QString &text)
{
    if (text.size() < 2)
        return false;
    const QChar first = text.front();
    return (first == QLatin1Char('"') || first == QLatin1Char('\'')) && text.back() == first;
}

QString lineValue(const QString &line)
{
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (isQuotedPair(value))
        value = value.mid(1, value.size() - 2);
    return value;
}

QString encodeValue(const QString &value)
{
    if (value != value.trimmed() || isQuotedPair(value))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first header naming section, or -1.
qsizetype findSection(const QStringList &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (isHeader(trimmed) && sameName(headerName(trimmed), section))
            return i;
    }
    return -1;
}

// One past the last line of the section whose header is at index header.
qsizetype sectionEnd(const QStringList &lines, qsizetype header)
{
    qsizetype i = header + 1;
    while (i < lines.size() && !isHeader(lines.at(i).trimmed()))
        ++i;
    return i;
}

qsizetype findKey(const QStringList &lines, qsizetype header, const QString &key)
{
    const qsizetype end = sectionEnd(lines, header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const std::optional<QString> name = lineKey(lines.at(i));
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return 99;
}

bool parseDigits(QStringView digits, int base, qint64 limit, qint64 *result)
{
    if (digits.isEmpty())
        return false;
    qint64 value = 0;
    for (const QChar c : digits) {
        const int digit = digitValue(c);
        if (digit >= base)
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    *result = value;
    return true;
}

} // namespace

std::optional<QString> findProfileValue(const QStringList &lines, const QString &section,
                                        const QString &key)
{
    const qsizetype header = findSection(lines, section);
    if (header < 0)
        return std::nullopt;
    const qsizetype line = findKey(lines, header, key);
    if (line < 0)
        return std::nullopt;
    return lineValue(lines.at(line));
}

void setProfileValue(QStringList &lines, const QString &section, const QString &key,
                     const QString &value)
{
    const qsizetype header = findSection(lines, section);
    if (header < 0) {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(key + QLatin1Char('=') + encodeValue(value));
        return;
    }
    const qsizetype existing = findKey(lines, header, key);
    if (existing >= 0) {
        lines[existing] = *lineKey(lines.at(existing)) + QLatin1Char('=') + encodeValue(value);
        return;
    }
    // New keys go after the section's last non-blank line, so the blank line
    // that separates it from the next section stays where it was.
    qsizetype insertAt = sectionEnd(lines, header);
    while (insertAt > header + 1 && lines.at(insertAt - 1).trimmed().isEmpty())
        --insertAt;
    lines.insert(insertAt, key + QLatin1Char('=') + encodeValue(value));
}

bool isStorableProfileValue(const QString &value)
{
    return !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r'));
}

std::optional<int> parseProfileInteger(const QString &text)
{
    QStringView rest(text);
    qint64 value = 0;
    const bool hex = rest.startsWith(QLatin1Char('$'))
        || rest.startsWith(QLatin1String("0x")) || rest.startsWith(QLatin1String("0X"));
    if (hex) {
        rest = rest.mid(rest.startsWith(QLatin1Char('$')) ? 1 : 2);
        if (!parseDigits(rest, 16, std::numeric_limits<quint32>::max(), &value))
            return std::nullopt;
        return static_cast<int>(static_cast<quint32>(value));
    }
    bool negative = false;
    if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+'))) {
        negative = rest.front() == QLatin1Char('-');
        rest = rest.mid(1);
    }
    const qint64 limit = negative ? -qint64(std::numeric_limits<int>::min())
                                  : std::numeric_limits<int>::max();
    if (!parseDigits(rest, 10, limit, &value))
        return std::nullopt;
    return static_cast<int>(negative ? -value : value);
}

} // namespace korvex
