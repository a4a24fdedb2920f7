#include "components/KorvexError.h"
#include "joblist/CueImport.h"
#include "joblist/CueSheet.h"
#include "joblist/SegmentPlan.h"
#include "support/SegmentedRecord.h"
#include "support/TextFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvex;

namespace {

QByteArray sample(const char *name)
{
    QFile file(QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/") + QString::fromLatin1(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QStringList startsOf(const CueFile &file)
{
    QStringList starts;
    for (const CueTrack &track : file.tracks)
        starts.append(QStringLiteral("%1:%2/%3").arg(track.number).arg(track.startMs).arg(track.pregapMs));
    return starts;
}

TEST(CueTimes, FramesAreSeventyFifthsOfASecondAndNothingElseIsATime)
{
    EXPECT_EQ(CueTimeMs(QStringLiteral("00:00:00")), 0);
    EXPECT_EQ(CueTimeMs(QStringLiteral("00:00:74")), 987);  // 74/75 s
    EXPECT_EQ(CueTimeMs(QStringLiteral("00:00:01")), 13);
    EXPECT_EQ(CueTimeMs(QStringLiteral("120:59:37")), 7259493);
    for (const char *bad : {"00:60:00", "00:00:75", "1:2", "-1:00:00", "a:00:00", "", "00:00:00:00",
                            "9999999999:00:00"})
        EXPECT_EQ(CueTimeMs(QString::fromLatin1(bad)), -1) << bad;
    // written to the nearest frame, read back within half a frame
    for (const qint64 ms : {0LL, 13LL, 986LL, 987LL, 59999LL, 7259493LL}) {
        const QString text = CueTimeText(ms);
        EXPECT_LE(qAbs(CueTimeMs(text) - ms), 7) << text.toStdString();
    }
    EXPECT_EQ(CueTimeText(4000), QStringLiteral("00:04:00"));
    EXPECT_EQ(CueTimeText(125 * 60 * 1000 + 500), QStringLiteral("125:00:38"));
}

TEST(CueSheetText, AWindows1252SheetWithPregapsRemLinesAndInnerQuotes)
{
    const CueSheet sheet = ParseCueSheet(DecodeCueText(sample("cue-windows1252-pregaps.cue")));
    EXPECT_EQ(sheet.title, QString::fromUtf8("Café “Crème”"));
    EXPECT_EQ(sheet.performer, QString::fromUtf8("Les Frères"));
    EXPECT_EQ(sheet.date, QStringLiteral("1998"));
    EXPECT_EQ(sheet.genre, QStringLiteral("Chanson"));
    ASSERT_EQ(sheet.files.size(), 1);
    EXPECT_EQ(sheet.files[0].name, QStringLiteral("album.wav"));
    EXPECT_EQ(startsOf(sheet.files[0]), (QStringList{"1:0/-1", "2:4000/3667", "3:9000/8933"}));
    EXPECT_EQ(sheet.files[0].tracks[0].title, QString::fromUtf8("L’été"));
    EXPECT_EQ(sheet.files[0].tracks[1].title, QStringLiteral("The \"Best\" Song"));
    // the last line has no line end; unquoted values keep their blanks
    EXPECT_EQ(sheet.files[0].tracks[2].title, QString::fromUtf8("„Coda“"));
    EXPECT_EQ(sheet.files[0].tracks[2].performer, QStringLiteral("Guest Star"));
}

TEST(CueSheetText, AUtf8SheetWithItsMarkInLowerCaseWithTabs)
{
    const CueSheet sheet = ParseCueSheet(DecodeCueText(sample("cue-utf8-bom-lowercase.cue")));
    EXPECT_EQ(sheet.title, QString::fromUtf8("Ωmega Live"));
    EXPECT_EQ(sheet.performer, QString::fromUtf8("Björk & Ωmega"));
    EXPECT_EQ(sheet.date, QStringLiteral("2003-05-01"));
    EXPECT_EQ(sheet.genre, QStringLiteral("Hard Rock"));
    ASSERT_EQ(sheet.files.size(), 1);
    EXPECT_EQ(sheet.files[0].name, QStringLiteral("live set.flac"));
    EXPECT_EQ(startsOf(sheet.files[0]), (QStringList{"1:0/-1", "2:2493/-1", "3:5800/-1"}));
    EXPECT_EQ(sheet.files[0].tracks[1].title, QString::fromUtf8("Ünïcödé"));
}

TEST(CueSheetText, BrokenLinesArePassedOverAndWhatIsLeftIsRead)
{
    const CueSheet sheet = ParseCueSheet(DecodeCueText(sample("cue-hostile-lines.cue")));
    EXPECT_EQ(sheet.title, QStringLiteral("never closed"));
    EXPECT_TRUE(sheet.date.isEmpty());
    ASSERT_EQ(sheet.files.size(), 4);
    EXPECT_EQ(startsOf(sheet.files[0]), QStringList{"1:1000/-1"});  // a track before any FILE
    EXPECT_TRUE(sheet.files[1].tracks.isEmpty());
    EXPECT_EQ(startsOf(sheet.files[2]), (QStringList{"0:-1/-1", "2:2000/-1"}));
    EXPECT_EQ(sheet.files[2].tracks[1].title.size(), 5000);
    EXPECT_EQ(startsOf(sheet.files[3]), (QStringList{"3:5000/-1", "4:1000/-1"}));

    QStringList problems;
    EXPECT_TRUE(ReadCueEntries(QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/cue-hostile-lines.cue"), problems)
                    .isEmpty());
    ASSERT_EQ(problems.size(), 3) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains("under no FILE name"));
    EXPECT_TRUE(problems[2].contains("second.wav out of order"));
}

TEST(CueSheetText, NoUtf8AtAllIsReadAsWindows1252)
{
    EXPECT_EQ(DecodeCueText(QByteArray("\x80\x9f\xa0\xff")), QString::fromUtf8("€Ÿ\u00a0ÿ"));
    EXPECT_EQ(DecodeCueText(QByteArray("\xef\xbb\xbf\xc3\xa9")), QString::fromUtf8("é"));
}

class CueEntries : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(test::writeTextFile(path, bytes));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(CueEntries, AFileNamedWavIsFoundAsTheFlacBesideItAndEveryFileIsAnEntry)
{
    write(QStringLiteral("disc.flac"), "audio");
    write(QStringLiteral("bonus.wav"), "audio");
    const QString cue = write(QStringLiteral("disc.cue"),
                              "TITLE \"Two Files\"\nFILE \"disc.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                              "FILE \"bonus.wav\" WAVE\n TRACK 02 AUDIO\n  TITLE \"Bonus\"\n  INDEX 01 00:00:00\n"
                              "FILE \"gone.wav\" WAVE\n TRACK 03 AUDIO\n  INDEX 01 00:00:00\n");
    QStringList problems;
    const QList<CueEntry> entries = ReadCueEntries(cue, problems);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].audioPath, m_dir.filePath(QStringLiteral("disc.flac")));
    EXPECT_EQ(entries[1].audioPath, m_dir.filePath(QStringLiteral("bonus.wav")));
    EXPECT_EQ(entries[1].tracks[0].title, QStringLiteral("Bonus"));
    EXPECT_EQ(entries[1].album, QStringLiteral("Two Files"));
    EXPECT_EQ(problems, QStringList{QStringLiteral("The CUE sheet disc.cue names the audio file \"gone.wav\", which "
                                                   "is not in %1.").arg(m_dir.path())});
}

// A sheet written for an entry and read back gives the entry's segments (to
// the sheet's frame of 1/75 s) and titles; a pause between two segments goes
// into the piece before it, as a sheet's tracks follow each other.
TEST_F(CueEntries, ASheetWrittenAndReadBackGivesTheSameSegmentsAndTitles)
{
    listrecord entry = newListRecord(m_dir.filePath(QStringLiteral("talk.flac")), 20500, 20500 * 441 / 10,
                                     FileSeekRangeMinimum);
    entry.BeginTime = {0, 3333, 7891, 12000, 0};
    entry.EndTime = {3333, 7891, 11000, 20500, 20000};
    entry.Count = 5;
    entry.OwnTags = {{QStringLiteral("Intro \"live\""), QStringLiteral("Ann")}, {}, {QStringLiteral("Ünï"), {}}};
    AudioFileinfo tags{QStringLiteral("Talk"), QStringLiteral("Bob"), QStringLiteral("2024"),
                       QStringLiteral("Talks"), QString(), QStringLiteral("Speech")};
    write(QStringLiteral("talk.flac"), "audio");
    const QString cue = write(QStringLiteral("talk.cue"), WriteCueSheet(CueSheetForEntry(entry, tags)));
    EXPECT_EQ(CueSheetPathFor(entry.FileName), cue);

    QStringList problems;
    const QList<CueEntry> read = ReadCueEntries(cue, problems);
    ASSERT_EQ(read.size(), 1) << problems.join('\n').toStdString();
    listrecord back = newListRecord(entry.FileName, 20500, entry.Frames, FileSeekRangeMinimum);
    AudioFileinfo backTags;
    ApplyCueEntry(back, backTags, read[0]);
    const QList<Segment> segments = customPlan(back);
    const QList<qint64> ends = {3333, 7891, 12000, 20500};
    ASSERT_EQ(segments.size(), 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_LE(qAbs(segments[k].Begin - entry.BeginTime[k]), 1000 / 75) << k;
        EXPECT_LE(qAbs(segments[k].End - ends[k]), 1000 / 75) << k;
    }
    EXPECT_EQ(back.Count, 5);  // and the pending segment after them
    ASSERT_EQ(back.OwnTags.size(), 4);
    EXPECT_EQ(back.OwnTags[0].Title, QString::fromUtf8("Intro ”live”"));  // a sheet holds no inner quote
    EXPECT_EQ(back.OwnTags[0].Artist, QStringLiteral("Ann"));
    EXPECT_TRUE(back.OwnTags[1].Title.isEmpty());
    EXPECT_EQ(back.OwnTags[2].Title, QString::fromUtf8("Ünï"));
    EXPECT_EQ(backTags.Album, QStringLiteral("Talks"));
    EXPECT_EQ(backTags.Artist, QStringLiteral("Bob"));
    EXPECT_EQ(backTags.Year, QStringLiteral("2024"));
    EXPECT_EQ(backTags.Genre, QStringLiteral("Speech"));
    EXPECT_EQ(backTags.Title, QStringLiteral("Talks"));
}

TEST_F(CueEntries, SegmentsThatDoNotStartInOrderMakeNoSheet)
{
    listrecord entry = test::segmentedRecord(60, {{30, 40}, {10, 20}, {0, 60}});
    EXPECT_THROW(CueSheetForEntry(entry, {}), KorvexError);
}

} // namespace
