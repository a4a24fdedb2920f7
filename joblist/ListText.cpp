#include "ListText.h"

#include <QLocale>

namespace korvex {

namespace {

QString twoDigits(qint64 part)
{
    const QString digits = QStringLiteral("%1").arg(part < 0 ? -part : part, 2, 10, QLatin1Char('0'));
    return part < 0 ? QLatin1Char('-') + digits : digits;
}

// Rounds bytes ÷ 2^20 ÷ 10^-decimals half up, in integers, so that no binary
// fraction decides a tie.
qint64 roundedUnits(qint64 bytes, int decimals)
{
    qint64 numerator = bytes;
    qint64 denominator = qint64(1) << 20;
    for (int i = 0; i < decimals; ++i)
        numerator *= 10;
    for (int i = 0; i > decimals; --i)
        denominator *= 10;
    return (2 * numerator + denominator) / (2 * denominator);
}

int integerDigits(qint64 bytes)
{
    int digits = 0;
    for (qint64 whole = bytes >> 20; whole > 0; whole /= 10)
        ++digits;
    return digits;
}

} // namespace

QString TimeText(qint64 seconds)
{
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds - 3600 * h) / 60;
    const qint64 s = seconds % 60;
    return twoDigits(h) + QLatin1Char(':') + twoDigits(m) + QLatin1Char(':') + twoDigits(s);
}

QString CleanName(const QString &text)
{
    static const QString forbidden = QStringLiteral("*?|:\"/\\<>");
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        // a newline or another control character in a name breaks every
        // list of names, and shows nothing in a caption
        if (!forbidden.contains(c) && c.category() != QChar::Other_Control)
            clean.append(c);
    }
    return clean;
}

QString SizeText(qint64 bytes)
{
    // Two decimals, unless five significant digits leave room for fewer.
    const int decimals = qMin(2, 5 - integerDigits(bytes));
    qint64 hundredths = roundedUnits(bytes, decimals);
    for (int i = decimals; i < 2; ++i)
        hundredths *= 10;
    return QString::number(hundredths / 100) + QLocale().decimalPoint() + twoDigits(hundredths % 100)
        + QStringLiteral("MB");
}

QString MsTimeText(qint64 ms)
{
    const qint64 fraction = ms % 1000;
    if (fraction == 0)
        return TimeText(ms / 1000);
    return TimeText(ms / 1000) + QLatin1Char('.') + QStringLiteral("%1").arg(qAbs(fraction), 3, 10, QLatin1Char('0'));
}

QString SegmentCaption(qint64 beginMs, qint64 endMs)
{
    return MsTimeText(beginMs) + QStringLiteral(" - ") + MsTimeText(endMs);
}

} // namespace korvex
