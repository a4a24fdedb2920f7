#include "engine/EngineFixture.h"
#include "engine/PieceNames.h"
#include "engine/PiecePaths.h"
#include "joblist/StatusWords.h"
#include "support/ExternalTools.h"
#include "support/SegmentedRecord.h"
#include "support/TextFiles.h"

#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

using namespace korvex;
using namespace korvex::test;

namespace {

// Title, artist and track number of each file as mutagen reads them,
// "title|artist|number".
QStringList asfTagsOf(const QStringList &paths)
{
    QStringList tags;
    for (const QString &path : paths)
        tags.append(RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                              "t = ASF(sys.argv[1]).tags\n"
                                              "v = lambda k: str(t[k][0]) if k in t else ''\n"
                                              "print(v('Title') + '|' + v('Author') + '|' + v('WM/TrackNumber'))\n"),
                               path)
                        .trimmed());
    return tags;
}

PieceLabel labelFor(const QString &title, int number, int count)
{
    PieceLabel label;
    label.title = title;
    label.artist = QStringLiteral("The Band");
    label.album = QStringLiteral("Live");
    label.sourceFile = QStringLiteral("/music/concert.take.flac");
    label.number = number;
    label.count = count;
    label.beginMs = 3723456;  // 1:02:03.456
    label.endMs = 3725999;
    return label;
}

TEST(PieceNamePattern, EveryFieldIsFilledAndUnknownOnesStayAsTyped)
{
    const PieceLabel label = labelFor(QStringLiteral("Intro"), 7, 12);
    EXPECT_EQ(ExpandNamePattern(QStringLiteral("{n:02} - {title}"), label), QStringLiteral("07 - Intro"));
    EXPECT_EQ(ExpandNamePattern(QStringLiteral("{n} of {N} {artist} {album} {begin} {end} {file}"), label),
              QStringLiteral("7 of 12 The Band Live 01-02-03 01-02-05 concert.take"));
    EXPECT_EQ(ExpandNamePattern(QStringLiteral("{x} {title"), label), QStringLiteral("{x} {title"));
    // a piece without any title is named after its file
    EXPECT_EQ(ExpandNamePattern(QStringLiteral("{title}"), labelFor(QString(), 1, 1)), QStringLiteral("concert.take"));
    EXPECT_EQ(NameTimeText(0), QStringLiteral("00-00-00"));
    EXPECT_EQ(NameTimeText(100 * 3600 * 1000LL), QStringLiteral("100-00-00"));
}

TEST(PieceNamePattern, NamesAreCleanedKeepTheirDotsAndNeverNameAnExistingFile)
{
    QTemporaryDir folder;
    const QString dir = folder.path() + QLatin1Char('/');
    const PieceLabel slashed = labelFor(QStringLiteral("../AC/DC: Mr. Blue?"), 1, 2);
    const QString path = FreePatternPath(dir, QStringLiteral("{n:02} {title}"), slashed);
    EXPECT_EQ(path, dir + QStringLiteral("01 ..ACDC Mr. Blue.wma"));
    ASSERT_TRUE(writeTextFile(path, "kept"));
    EXPECT_EQ(FreePatternPath(dir, QStringLiteral("{n:02} {title}"), slashed),
              dir + QStringLiteral("01 ..ACDC Mr. Blue_1.wma"));
    // a pattern that cleans to nothing names the piece after its file
    EXPECT_EQ(QFileInfo(FreePatternPath(dir, QStringLiteral("..//"), slashed)).fileName(),
              QStringLiteral("concert.take.wma"));
    // a title of its own is numbered as a caption is
    EXPECT_EQ(FreeTitlePath(dir, labelFor(QStringLiteral(". Mr. Blue"), 1, 1)), dir + QStringLiteral("Mr. Blue_1.wma"));
}

// The one choice runs and korvex-cli's --resume name pieces by, over the disk
// or over the names a caller says are given.
TEST(PiecePaths, PatternThenOwnTitleThenCaptionNameThePieceInTheFormatOrTheSourcesKind)
{
    QTemporaryDir folder;
    const QString dir = folder.path() + QLatin1Char('/');
    PieceNaming naming{dir, {}, QStringLiteral("concert.take.flac"), QStringLiteral("ogg")};
    PieceLabel label = labelFor(QStringLiteral("Encore"), 3, 4);
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("concert_1.ogg"));
    label.ownTitle = true;
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("Encore_1.ogg"));
    naming.copying = true;
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("Encore_1.flac"));
    label.ownTitle = false;
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("concert_1.flac"));
    naming.pattern = QStringLiteral("{n} of {N}");
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("3 of 4.flac"));

    // a file on the disk counts only where the disk is asked
    ASSERT_TRUE(writeTextFile(dir + QStringLiteral("3 of 4.flac"), "kept"));
    EXPECT_EQ(FreePiecePath(naming, label), dir + QStringLiteral("3 of 4_1.flac"));
    QSet<QString> given{dir + QStringLiteral("3 of 4_1.flac")};
    const TakenTest takenSoFar = [&given](const QString &path) { return given.contains(path); };
    EXPECT_EQ(FreePiecePath(naming, label, takenSoFar), dir + QStringLiteral("3 of 4.flac"));
    given.insert(dir + QStringLiteral("3 of 4.flac"));
    EXPECT_EQ(FreePiecePath(naming, label, takenSoFar), dir + QStringLiteral("3 of 4_2.flac"));
    naming = {dir, {}, QStringLiteral("concert.take.flac"), QStringLiteral("ogg")};
    given = {dir + QStringLiteral("concert_1.ogg")};
    EXPECT_EQ(FreePiecePath(naming, label, takenSoFar), dir + QStringLiteral("concert_2.ogg"));
    label.ownTitle = true;
    given = {dir + QStringLiteral("Encore_1.ogg")};
    EXPECT_EQ(FreePiecePath(naming, label, takenSoFar), dir + QStringLiteral("Encore_2.ogg"));
    naming.copying = true;
    label.ownTitle = false;
    given = {dir + QStringLiteral("concert_1.flac")};
    EXPECT_EQ(FreePiecePath(naming, label, takenSoFar), dir + QStringLiteral("concert_2.flac"));
}

class PieceTagsRun : public EngineTest
{
protected:
    void splitCustom(const QList<Segment> &seconds, const QList<SegmentTags> &own)
    {
        add({makeTone(QStringLiteral("album.wav"), 9.0)});
        bench().jobs().tags(0).Title = QStringLiteral("Album Title");
        bench().jobs().tags(0).Artist = QStringLiteral("Album Artist");
        bench().jobs().tags(0).Album = QStringLiteral("The Album");
        setSegments(bench().jobs().job(0), seconds);
        bench().jobs().job(0).OwnTags = own;
        settings().SplitMode = split_mode::Custom;
        ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    }
};

TEST_F(PieceTagsRun, PiecesCarryTheirSegmentsTitlesAndTheirNumberAndAreNamedAfterTheirTitles)
{
    splitCustom({{0, 3}, {3, 6}, {6, 9}, {0, 9}},
                {{QStringLiteral("First Song"), QStringLiteral("Guest")}, {}, {QStringLiteral("Last/Song"), {}}});
    // the untitled segment's piece is named after the row's caption, as ever
    ASSERT_EQ(outputNames(), (QStringList{"First Song_1.wma", "LastSong_1.wma", "album_1.wma"}));
    EXPECT_EQ(asfTagsOf({output(QStringLiteral("First Song_1.wma")), output(QStringLiteral("album_1.wma")),
                         output(QStringLiteral("LastSong_1.wma"))}),
              (QStringList{"First Song|Guest|1", "Album Title|Album Artist|2", "Last/Song|Album Artist|3"}));
}

TEST_F(PieceTagsRun, APatternNamesEveryPieceAndSplittingAgainReplacesNothing)
{
    settings().Pattern = QStringLiteral("{n:02} - {title} ({begin})");
    splitCustom({{0, 4}, {4, 9}, {0, 9}}, {{QStringLiteral("Opening"), {}}});
    const QStringList first = {"01 - Opening (00-00-00).wma", "02 - Album Title (00-00-04).wma"};
    ASSERT_EQ(outputNames(), first);
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), (QStringList{"01 - Opening (00-00-00).wma", "01 - Opening (00-00-00)_1.wma",
                                          "02 - Album Title (00-00-04).wma", "02 - Album Title (00-00-04)_1.wma"}));
    EXPECT_EQ(asfTagsOf({output(first[1])}), QStringList{"Album Title|Album Artist|2"});
}

TEST_F(PieceTagsRun, SkippedPiecesAreNotWrittenAndTheOthersKeepTheirNumbersForThatRunOnly)
{
    settings().Pattern = QStringLiteral("{n} of {N} {title}");
    SkippedPieces skipped;
    skipped.add(0, 2);
    bench().control().SkipInNextSplit(skipped);
    splitCustom({{0, 3}, {3, 6}, {6, 9}, {0, 9}}, {{}, {}, {QStringLiteral("Last"), {}}});
    ASSERT_EQ(outputNames(), (QStringList{"1 of 3 Album Title.wma", "3 of 3 Last.wma"}));
    EXPECT_EQ(asfTagsOf({output(QStringLiteral("3 of 3 Last.wma"))}), QStringList{"Last|Album Artist|3"});
    // the skipped piece's row keeps the status it had
    const SegmentListModel &rows = *bench().jobs().segmentModel();
    EXPECT_EQ(rows.status(0), status_word::Finish);
    EXPECT_NE(rows.status(1), status_word::Finish);
    EXPECT_NE(rows.status(1), status_word::Converting);
    EXPECT_EQ(rows.status(2), status_word::Finish);
    // the next split writes every piece again
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    EXPECT_TRUE(outputNames().contains(QStringLiteral("2 of 3 Album Title.wma"))) << outputNames().join(u',').toStdString();
    EXPECT_EQ(outputNames().size(), 5);
}

TEST_F(PieceTagsRun, TimePiecesAreNumberedInTheirEntry)
{
    add({makeTone(QStringLiteral("a.wav"), 5.0), makeTone(QStringLiteral("b.wav"), 3.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), (QStringList{"a_1.wma", "a_2.wma", "a_3.wma", "b_1.wma", "b_2.wma"}));
    QStringList numbers;
    for (const QString &tags : asfTagsOf({output(QStringLiteral("a_1.wma")), output(QStringLiteral("a_2.wma")),
                                          output(QStringLiteral("a_3.wma")), output(QStringLiteral("b_1.wma")),
                                          output(QStringLiteral("b_2.wma"))}))
        numbers.append(tags.section(QLatin1Char('|'), 2));
    EXPECT_EQ(numbers, (QStringList{"1", "2", "3", "1", "2"}));
}

} // namespace
