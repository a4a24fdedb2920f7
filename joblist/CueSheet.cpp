#include "joblist/CueSheet.h"

#include <QStringDecoder>
#include <QStringList>

#include <array>

namespace korvex {

namespace {

constexpr qint64 FramesPerSecond = 75;
// Minutes beyond this are no time a disc or a file holds (and would overflow).
constexpr qint64 LongestMinutes = 999999;

// Windows-1252's characters at 0x80-0x9F; the five it leaves out stay as
// Latin-1 has them.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(code >= 0x80 && code <= 0x9F ? QChar(Windows1252High[code - 0x80]) : QChar(code));
    }
    return text;
}

// The words of a line: a quoted value is one word without its quotes.
QStringList wordsOf(const QString &line)
{
    QStringList words;
    qsizetype at = 0;
    const qsizetype size = line.size();
    while (at < size) {
        while (at < size && line.at(at).isSpace())
            ++at;
        if (at >= size)
            break;
        if (line.at(at) == QLatin1Char('"')) {
            const qsizetype close = line.indexOf(QLatin1Char('"'), at + 1);
            const qsizetype end = close < 0 ? size : close;
            words.append(line.mid(at + 1, end - at - 1));
            at = end + 1;
            continue;
        }
        const qsizetype start = at;
        while (at < size && !line.at(at).isSpace())
            ++at;
        words.append(line.mid(start, at - start));
    }
    return words;
}

// What follows the first `skip` words of the line, as one value: the quotes
// around it go, quotes inside it stay (TITLE "The "Best" Of"), and unquoted
// words keep their blanks (REM GENRE Hard Rock).
QString valueAfter(const QString &line, int skip)
{
    qsizetype at = 0;
    for (int word = 0; word < skip; ++word) {
        while (at < line.size() && line.at(at).isSpace())
            ++at;
        while (at < line.size() && !line.at(at).isSpace())
            ++at;
    }
    QString value = line.mid(at).trimmed();
    if (value.startsWith(QLatin1Char('"'))) {
        value.remove(0, 1);
        if (value.endsWith(QLatin1Char('"')))
            value.chop(1);
    }
    return value;
}

bool wholeNumber(const QString &text, qint64 limit, qint64 &value)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    value = text.toLongLong();
    return value <= limit;
}

class SheetReader
{
public:
    void line(const QString &text)
    {
        const QStringList words = wordsOf(text);
        if (words.isEmpty())
            return;
        const QString command = words.constFirst().toUpper();
        if (command == QLatin1String("FILE"))
            file(words);
        else if (command == QLatin1String("TRACK"))
            track(words);
        else if (command == QLatin1String("INDEX"))
            index(words);
        else if (command == QLatin1String("TITLE"))
            (m_track ? m_track->title : m_sheet.title) = valueAfter(text, 1);
        else if (command == QLatin1String("PERFORMER"))
            (m_track ? m_track->performer : m_sheet.performer) = valueAfter(text, 1);
        else if (command == QLatin1String("REM") && words.size() > 2)
            remark(words.at(1).toUpper(), valueAfter(text, 2));
    }

    CueSheet take() { return std::move(m_sheet); }

private:
    void file(const QStringList &words)
    {
        CueFile file;
        file.name = words.value(1);
        if (words.size() > 2)
            file.type = words.constLast().toUpper();
        m_sheet.files.append(file);
        m_track = nullptr;
    }
    void track(const QStringList &words)
    {
        if (m_sheet.files.isEmpty())
            m_sheet.files.append(CueFile{});
        CueTrack track;
        qint64 number = 0;
        track.number = wholeNumber(words.value(1), 9999, number) ? int(number) : 0;
        QList<CueTrack> &tracks = m_sheet.files.last().tracks;
        tracks.append(track);
        m_track = &tracks.last();
    }
    void index(const QStringList &words)
    {
        if (!m_track)
            return;
        qint64 number = 0;
        if (!wholeNumber(words.value(1), 99, number))
            return;
        const qint64 ms = CueTimeMs(words.value(2));
        if (ms < 0)
            return;
        if (number == 1)
            m_track->startMs = ms;
        else if (number == 0)
            m_track->pregapMs = ms;
    }
    void remark(const QString &key, const QString &value)
    {
        if (key == QLatin1String("DATE"))
            m_sheet.date = value;
        else if (key == QLatin1String("GENRE"))
            m_sheet.genre = value;
    }

    CueSheet m_sheet;
    CueTrack *m_track = nullptr;  // the track the next TITLE, PERFORMER, INDEX is for
};

QString quoted(const QString &value)
{
    // a quote inside a value cannot be written; it becomes a typographic one
    QString text = value;
    text.replace(QLatin1Char('"'), QChar(0x201D));
    text.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString DecodeCueText(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(view.toByteArray());
}

CueSheet ParseCueSheet(const QString &text)
{
    SheetReader reader;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        reader.line(text.mid(start, end - start));
        start = end + 1;
    }
    return reader.take();
}

qint64 CueTimeMs(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    qint64 minutes = 0;
    qint64 seconds = 0;
    qint64 frames = 0;
    if (!wholeNumber(parts[0], LongestMinutes, minutes) || !wholeNumber(parts[1], 59, seconds)
        || !wholeNumber(parts[2], FramesPerSecond - 1, frames))
        return -1;
    return (minutes * 60 + seconds) * 1000 + (frames * 1000 + FramesPerSecond / 2) / FramesPerSecond;
}

QString CueTimeText(qint64 ms)
{
    const qint64 frames = (qMax<qint64>(ms, 0) * FramesPerSecond + 500) / 1000;
    const qint64 seconds = frames / FramesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % FramesPerSecond, 2, 10, QLatin1Char('0'));
}

QByteArray WriteCueSheet(const CueSheet &sheet)
{
    QStringList lines;
    if (!sheet.genre.isEmpty())
        lines.append(QStringLiteral("REM GENRE ") + quoted(sheet.genre));
    if (!sheet.date.isEmpty())
        lines.append(QStringLiteral("REM DATE ") + quoted(sheet.date));
    if (!sheet.performer.isEmpty())
        lines.append(QStringLiteral("PERFORMER ") + quoted(sheet.performer));
    if (!sheet.title.isEmpty())
        lines.append(QStringLiteral("TITLE ") + quoted(sheet.title));
    for (const CueFile &file : sheet.files) {
        lines.append(QStringLiteral("FILE %1 %2").arg(quoted(file.name), file.type));
        for (const CueTrack &track : file.tracks) {
            lines.append(QStringLiteral("  TRACK %1 AUDIO").arg(track.number, 2, 10, QLatin1Char('0')));
            if (!track.title.isEmpty())
                lines.append(QStringLiteral("    TITLE ") + quoted(track.title));
            if (!track.performer.isEmpty())
                lines.append(QStringLiteral("    PERFORMER ") + quoted(track.performer));
            if (track.pregapMs >= 0)
                lines.append(QStringLiteral("    INDEX 00 ") + CueTimeText(track.pregapMs));
            lines.append(QStringLiteral("    INDEX 01 ") + CueTimeText(track.startMs));
        }
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace korvex
