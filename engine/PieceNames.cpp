#include "engine/PieceNames.h"

#include "components/FilePublishing.h"
#include "engine/OutputNames.h"
#include "joblist/ListText.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace korvex {

namespace {

constexpr qsizetype NameLimitBytes = 255;
// "_", a number of up to ten digits and ".wma"
constexpr qsizetype NumberRoomBytes = 15;

// Cleaned of what a file name may not hold and of the leading dots and blanks
// that would hide the file; dots inside stay ("Mr. Blue" is no extension).
QString cleanStem(const QString &text)
{
    QString clean = CleanName(text);
    qsizetype start = 0;
    while (start < clean.size() && (clean.at(start) == QLatin1Char('.') || clean.at(start).isSpace()))
        ++start;
    return StartFittingBytes(clean.mid(start).trimmed(), NameLimitBytes - NumberRoomBytes);
}

QString sourceStem(const QString &sourceFile)
{
    return QFileInfo(sourceFile).completeBaseName();
}

QString fieldValue(const QString &field, const PieceLabel &piece)
{
    if (field == QLatin1String("title"))
        return piece.title.isEmpty() ? sourceStem(piece.sourceFile) : piece.title;
    if (field == QLatin1String("n"))
        return QString::number(piece.number);
    if (field == QLatin1String("n:02"))
        return QStringLiteral("%1").arg(piece.number, 2, 10, QLatin1Char('0'));
    if (field == QLatin1String("N"))
        return QString::number(piece.count);
    if (field == QLatin1String("artist"))
        return piece.artist;
    if (field == QLatin1String("album"))
        return piece.album;
    if (field == QLatin1String("begin"))
        return NameTimeText(piece.beginMs);
    if (field == QLatin1String("end"))
        return NameTimeText(piece.endMs);
    if (field == QLatin1String("file"))
        return sourceStem(piece.sourceFile);
    return QLatin1Char('{') + field + QLatin1Char('}');
}

} // namespace

QString NameTimeText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(ms, 0) / 1000;
    return QStringLiteral("%1-%2-%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ExpandNamePattern(const QString &pattern, const PieceLabel &piece)
{
    static const QRegularExpression field(QStringLiteral("\\{([^{}]*)\\}"));
    QString name;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &match : field.globalMatch(pattern)) {
        name += pattern.mid(from, match.capturedStart() - from);
        name += fieldValue(match.captured(1), piece);
        from = match.capturedEnd();
    }
    return name + pattern.mid(from);
}

QString FreePatternPath(const QString &folder, const QString &pattern, const PieceLabel &piece,
                        const QString &extension, const TakenTest &taken)
{
    QString stem = cleanStem(ExpandNamePattern(pattern, piece));
    if (stem.isEmpty())
        stem = cleanStem(sourceStem(piece.sourceFile));
    return FreeStemPath(folder, stem, false, extension, taken);
}

QString FreeTitlePath(const QString &folder, const PieceLabel &piece, const QString &extension,
                      const TakenTest &taken)
{
    QString stem = cleanStem(piece.title);
    if (stem.isEmpty())
        stem = cleanStem(sourceStem(piece.sourceFile));
    return FreeStemPath(folder, stem, true, extension, taken);
}

} // namespace korvex
