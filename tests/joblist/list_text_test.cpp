#include "joblist/JobRecords.h"
#include "joblist/ListText.h"
#include "joblist/Scale.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <limits>

using namespace korvex;

TEST(Scale, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(Scale(5000, 335, 10000), 168);
    EXPECT_EQ(Scale(-3, 1, 2), -2);
    EXPECT_EQ(Scale(3, 1, 2), 2);
    EXPECT_EQ(Scale(3, 1, -2), -2);
    EXPECT_EQ(Scale(-3, -1, -2), -2);
    EXPECT_EQ(Scale(1, 1, 3), 0);
    EXPECT_EQ(Scale(2, 1, 3), 1);
    EXPECT_EQ(Scale(-2, 1, 3), -1);
    EXPECT_EQ(Scale(1200, 52, 1100), 57);
}

TEST(Scale, UsesA64BitProduct)
{
    // 600 s of 44.1 kHz audio: 600000 × 26460000 overflows 32 bits on its own.
    EXPECT_EQ(Scale(300000, 26460000, 600000), 13230000);
    const int big = std::numeric_limits<int>::max();
    EXPECT_EQ(Scale(big, big, big), big);
    EXPECT_EQ(Scale(std::numeric_limits<int>::min(), 1, 1), std::numeric_limits<int>::min());
}

TEST(Scale, GivesMinusOneForZeroDivisorOrOverflow)
{
    EXPECT_EQ(Scale(5, 5, 0), -1);
    EXPECT_EQ(Scale(0, 0, 0), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int>::max(), 2, 1), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int>::min(), -1, 1), -1);
    EXPECT_EQ(Scale(std::numeric_limits<int>::min(), 1, -1), -1);
}

TEST(TimeText, FormatsEachPartWithTwoDigitsAndItsOwnSign)
{
    EXPECT_EQ(TimeText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(TimeText(59), QStringLiteral("00:00:59"));
    EXPECT_EQ(TimeText(61), QStringLiteral("00:01:01"));
    EXPECT_EQ(TimeText(3600), QStringLiteral("01:00:00"));
    EXPECT_EQ(TimeText(360000), QStringLiteral("100:00:00"));
    EXPECT_EQ(TimeText(-5), QStringLiteral("00:00:-05"));
    EXPECT_EQ(TimeText(-65), QStringLiteral("00:-01:-05"));
    EXPECT_EQ(TimeText(-3725), QStringLiteral("-01:-02:-05"));
    EXPECT_EQ(TimeText(std::numeric_limits<int>::min()), QStringLiteral("-596523:-14:-08"));
}

TEST(CleanName, RemovesExactlyTheNineCharacters)
{
    EXPECT_EQ(CleanName(QStringLiteral("AC/DC: Live")), QStringLiteral("ACDC Live"));
    EXPECT_EQ(CleanName(QStringLiteral("a*b?c|d")), QStringLiteral("abcd"));
    EXPECT_EQ(CleanName(QStringLiteral("*?|:\"/\\<>")), QString());
    EXPECT_EQ(CleanName(QStringLiteral("Live: Part 1/2")), QStringLiteral("Live Part 12"));
    const QString kept = QString::fromUtf8("ünï cödé ’ ; , . [ ] ~ 日本");
    EXPECT_EQ(CleanName(kept), kept);
}

TEST(SizeText, RoundsToFiveSignificantDigitsThenShowsTwoDecimals)
{
    const qint64 mib = 1 << 20;
    EXPECT_EQ(SizeText(0), QStringLiteral("0.00MB"));
    EXPECT_EQ(SizeText(3638558), QStringLiteral("3.47MB"));           // 3.46999...
    EXPECT_EQ(SizeText(qint64(1234.567 * mib)), QStringLiteral("1234.60MB"));
    EXPECT_EQ(SizeText(qint64(12345.678 * mib)), QStringLiteral("12346.00MB"));
    EXPECT_EQ(SizeText(qint64(123456.7 * mib)), QStringLiteral("123460.00MB"));
    EXPECT_EQ(SizeText(qint64(999.996 * mib)), QStringLiteral("1000.00MB"));
    // One rounding only: 2.34499… is 2.34, not 2.3450 and then 2.35.
    EXPECT_EQ(SizeText(qint64(2.34499 * mib)), QStringLiteral("2.34MB"));
    EXPECT_EQ(SizeText(mib / 2), QStringLiteral("0.50MB"));
}

TEST(SizeText, UsesTheLocaleDecimalSeparator)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(qint64(1234.567 * (1 << 20))), QStringLiteral("1234,60MB"));
    QLocale::setDefault(previous);
}

TEST(NewListRecord, StartsWithOnePendingSegmentOverTheWholeFile)
{
    const listrecord short_ = newListRecord(QStringLiteral("/m/a.wma"), 125900, 5552190, FileSeekRangeMinimum);
    EXPECT_EQ(short_.Duration, 125);
    EXPECT_EQ(short_.SeekRange, 1084);
    EXPECT_EQ(short_.Frames, 5552190);
    EXPECT_EQ(short_.Count, 1);
    EXPECT_EQ(short_.DurationMs, 125900);
    EXPECT_EQ(short_.BeginTime, QList<qint64>{0});
    EXPECT_EQ(short_.EndTime, QList<qint64>{125000});
    EXPECT_EQ(short_.FileName, QStringLiteral("/m/a.wma"));

    EXPECT_EQ(newListRecord(QString(), 600000, 0, FileSeekRangeMinimum).SeekRange, 1200);
    EXPECT_EQ(newListRecord(QString(), 125900, 0, FolderSeekRangeMinimum).SeekRange, 1014);
    EXPECT_EQ(newListRecord(QString(), 999, 0, FileSeekRangeMinimum).Duration, 0);
}

TEST(NewListRecord, KeepsFramesBeyond32Bits)
{
    // 30 hours at 22.05 kHz: 2.38 billion frames
    const qint64 frames = qint64(30) * 3600 * 22050;
    const listrecord day = newListRecord(QString(), qint64(30) * 3600000 + 123, frames, FileSeekRangeMinimum);
    EXPECT_EQ(day.Frames, frames);
    EXPECT_EQ(day.Duration, 30 * 3600);
    EXPECT_EQ(EntryLengthMs(day), qint64(30) * 3600000 + 123);
}

TEST(MsTimeText, ShowsMillisecondsOnlyWhenThereIsAFraction)
{
    EXPECT_EQ(MsTimeText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(MsTimeText(61000), QStringLiteral("00:01:01"));
    EXPECT_EQ(MsTimeText(61250), QStringLiteral("00:01:01.250"));
    EXPECT_EQ(MsTimeText(5), QStringLiteral("00:00:00.005"));
    EXPECT_EQ(MsTimeText(qint64(29) * 3600000 + 250), QStringLiteral("29:00:00.250"));
    EXPECT_EQ(SegmentCaption(10000, 60000), QStringLiteral("00:00:10 - 00:01:00"));
    EXPECT_EQ(SegmentCaption(12500, 20250), QStringLiteral("00:00:12.500 - 00:00:20.250"));
}

TEST(Scale64, RoundsHalvesAwayFromZeroWithoutOverflow)
{
    EXPECT_EQ(Scale64(3, 1, 2), 2);
    EXPECT_EQ(Scale64(-3, 1, 2), -2);
    EXPECT_EQ(Scale64(1, 1, 0), -1);
    // 29:00:00.250 at 22.05 kHz is past 2^31 frames
    EXPECT_EQ(FrameAtMs(qint64(29) * 3600000 + 250, 22050), qint64(29) * 3600 * 22050 + 5513);
    EXPECT_EQ(Scale64(qint64(1) << 62, 1000, 1000), qint64(1) << 62);
}
