#include "engine/EngineFixture.h"
#include "engine/OutputNames.h"
#include "support/ExternalTools.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace korvex;
using namespace korvex::test;

namespace {

void touch(const QString &path)
{
    ASSERT_TRUE(writeTextFile(path, "taken"));
}

// Names the pieces of a row as a split does: each named file exists before
// the next is named.
QStringList namePieces(const QString &folder, const QString &caption, int pieces)
{
    QStringList names;
    for (int k = 0; k < pieces; ++k) {
        const QString path = FreeSplitPath(folder, caption);
        touch(path);
        names.append(QFileInfo(path).fileName());
    }
    return names;
}

class OutputNames : public ::testing::Test
{
protected:
    TestFolder m_folder;
    QString folder() const { return m_folder.path() + QLatin1Char('/'); }
};

TEST_F(OutputNames, PiecesAreNumberedFromTheCaptionUpToItsFirstDot)
{
    EXPECT_EQ(namePieces(folder(), QStringLiteral("song.wma"), 3),
              (QStringList{"song_1.wma", "song_2.wma", "song_3.wma"}));
    EXPECT_EQ(namePieces(folder(), QStringLiteral("Mr. Jones"), 2), (QStringList{"Mr_1.wma", "Mr_2.wma"}));
    EXPECT_EQ(namePieces(folder(), QStringLiteral("Track 5"), 1), QStringList{"Track 5_1.wma"});
}

// Leading dots would hide the pieces: they go, and the rest names them.
TEST_F(OutputNames, ACaptionBeginningWithADotGivesVisiblePieces)
{
    EXPECT_EQ(namePieces(folder(), QStringLiteral(".intro.wma"), 3),
              (QStringList{"intro_1.wma", "intro_2.wma", "intro_3.wma"}));
}

TEST_F(OutputNames, NumberingGoesOnPastAHundredToTheFirstFreeName)
{
    for (int n = 1; n <= 100; ++n)
        touch(folder() + QStringLiteral("song_%1.wma").arg(n));
    const QString next = FreeSplitPath(folder(), QStringLiteral("song"));
    EXPECT_EQ(QFileInfo(next).fileName(), QStringLiteral("song_101.wma"));
    QFile::remove(folder() + QStringLiteral("song_7.wma"));
    EXPECT_EQ(QFileInfo(FreeSplitPath(folder(), QStringLiteral("song"))).fileName(), QStringLiteral("song_7.wma"));
}

TEST_F(OutputNames, NamesFromTagsNeverLeadOutOfTheFolder)
{
    EXPECT_EQ(FreeSplitPath(folder(), QStringLiteral("AC/DC: Live")), folder() + QStringLiteral("ACDC Live_1.wma"));
    EXPECT_EQ(FreeSplitPath(folder(), QStringLiteral("../../x")), folder() + QStringLiteral("x_1.wma"));
    touch(folder() + QStringLiteral("ab_1.wma"));
    EXPECT_EQ(FreeSplitPath(folder(), QStringLiteral("a:b")), folder() + QStringLiteral("ab_2.wma"));
}

TEST_F(OutputNames, TheFallbackIsTheSourceNameAndNeverAnExistingFile)
{
    EXPECT_EQ(FreeFallbackPath(folder(), QStringLiteral("/music/Take 1.mp3")), folder() + QStringLiteral("Take 1.wma"));
    // The source itself in the output folder: the fallback must not name it.
    touch(folder() + QStringLiteral("live.wma"));
    touch(folder() + QStringLiteral("live_1.wma"));
    EXPECT_EQ(FreeFallbackPath(folder(), folder() + QStringLiteral("live.wma")), folder() + QStringLiteral("live_2.wma"));
    // an MP3 source split into MP3 pieces beside it is never named either
    touch(folder() + QStringLiteral("talk.mp3"));
    EXPECT_EQ(FreeFallbackPath(folder(), folder() + QStringLiteral("talk.mp3"), QStringLiteral("mp3")),
              folder() + QStringLiteral("talk_1.mp3"));
    touch(folder() + QStringLiteral("talk_1.mp3"));
    EXPECT_EQ(FreeSplitPath(folder(), QStringLiteral("talk.mp3"), {}, QStringLiteral("mp3")),
              folder() + QStringLiteral("talk_2.mp3"));
}

TEST(OutputNameRules, ExtensionsAndJoinNames)
{
    EXPECT_EQ(SplitBaseName(QStringLiteral("a.b.c")), QStringLiteral("a"));
    EXPECT_EQ(SplitBaseName(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(ReplaceExtensionWithWma(QStringLiteral("x.mp3")), QStringLiteral("x.wma"));
    EXPECT_EQ(ReplaceExtensionWithWma(QStringLiteral("dir.d/x")), QStringLiteral("dir.d/x.wma"));
    EXPECT_EQ(ReplaceExtensionWithWma(QStringLiteral("a.b:c")), QStringLiteral("a.b:c.wma"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/mix")), QStringLiteral("/m/mix.wma"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/mix.wma")), QStringLiteral("/m/mix.wma"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/MIX.WMA")), QStringLiteral("/m/MIX.WMA"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/mix.mp3")), QStringLiteral("/m/mix.mp3.wma"));
    // every name follows the output format's extension
    EXPECT_EQ(ReplaceExtensionWith(QStringLiteral("x.wav"), QStringLiteral("flac")), QStringLiteral("x.flac"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/mix"), QStringLiteral("opus")), QStringLiteral("/m/mix.opus"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/MIX.MP3"), QStringLiteral("mp3")), QStringLiteral("/m/MIX.MP3"));
    EXPECT_EQ(JoinOutputPathFor(QStringLiteral("/m/mix.wma"), QStringLiteral("m4a")), QStringLiteral("/m/mix.wma.m4a"));
    EXPECT_EQ(NumberedPieceName(QStringLiteral("a.b"), 2, QStringLiteral("ogg")), QStringLiteral("a_2.ogg"));
}

using OutputFilesTest = EngineTest;

TEST_F(OutputFilesTest, JoinOutputIsAskedForOnlyWithEntriesAndNeverNamesASource)
{
    OutputFiles &outputs = bench().control().outputFiles();
    EXPECT_FALSE(outputs.ChooseJoinOutput());
    EXPECT_TRUE(m_seams.dialogs.saveRequests.isEmpty());

    const QString source = makeTone(QStringLiteral("one.wma.wav"), 1.0);
    const QString wmaSource = m_folder.file(QStringLiteral("two.wma"));
    ASSERT_TRUE(QFile::copy(source, wmaSource));
    add({source});
    bench().jobs().job(0).FileName = wmaSource;  // the entry's file is a .wma one

    m_seams.dialogs.saveAnswer.clear();
    EXPECT_FALSE(outputs.ChooseJoinOutput());
    ASSERT_EQ(m_seams.dialogs.saveRequests.size(), 1);
    EXPECT_EQ(m_seams.dialogs.saveRequests.last().startFolder, outputFolder());
    EXPECT_EQ(m_seams.dialogs.saveRequests.last().filter, QStringLiteral("WMA Files(*.wma)|*.wma"));

    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("mix"));
    EXPECT_TRUE(outputs.ChooseJoinOutput());
    EXPECT_EQ(outputs.JoinOutputPath(), m_folder.file(QStringLiteral("mix.wma")));
    EXPECT_EQ(outputs.ChosenFilterIndex(), 1);

    // Typed with or without the extension, the source is refused.
    for (const QString &typed : {m_folder.file(QStringLiteral("two")), wmaSource}) {
        m_seams.messages.errors.clear();
        m_seams.dialogs.saveAnswer = typed;
        EXPECT_FALSE(outputs.ChooseJoinOutput());
        ASSERT_EQ(m_seams.messages.errors.size(), 1);
        EXPECT_TRUE(m_seams.messages.errors.first().contains(wmaSource));
    }

    // Another name for the source (a hard link) would still truncate it.
    const QString hardLink = m_folder.file(QStringLiteral("alias.wma"));
    ASSERT_EQ(::link(QFile::encodeName(wmaSource).constData(), QFile::encodeName(hardLink).constData()), 0);
    m_seams.messages.errors.clear();
    m_seams.dialogs.saveAnswer = hardLink;
    EXPECT_FALSE(outputs.ChooseJoinOutput());
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors.first().contains(hardLink));
}

TEST_F(OutputFilesTest, AnExistingFileReachedByAddingWmaIsReplacedOnlyAfterAQuestion)
{
    add({makeTone(QStringLiteral("one.wav"), 1.0)});
    OutputFiles &outputs = bench().control().outputFiles();
    const QString existing = m_folder.file(QStringLiteral("mix.wma"));
    touch(existing);

    // The dialog asked about "mix"; "mix.wma" is the file that would go.
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("mix"));
    EXPECT_FALSE(outputs.ChooseJoinOutput());
    ASSERT_EQ(m_seams.messages.questions.size(), 1);
    EXPECT_TRUE(m_seams.messages.questions.first().startsWith(existing + " already exists."));
    EXPECT_EQ(runJoin(), RunControl::Outcome::NotStarted);
    EXPECT_EQ(readTextFile(existing), QByteArray("taken"));
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());

    m_seams.messages.questionAnswer = true;
    EXPECT_TRUE(outputs.ChooseJoinOutput());
    EXPECT_EQ(outputs.JoinOutputPath(), existing);

    // The dialog asks about what it returns itself, and adds the suffix.
    m_seams.messages.questions.clear();
    m_seams.dialogs.saveAnswer = existing;
    EXPECT_TRUE(outputs.ChooseJoinOutput());
    EXPECT_TRUE(m_seams.messages.questions.isEmpty());
    EXPECT_EQ(m_seams.dialogs.saveRequests.last().defaultSuffix, QStringLiteral("wma"));
}

TEST_F(OutputFilesTest, TheProfileIsReadFromTheSettingsFileAtEveryCall)
{
    OutputFiles &outputs = bench().control().outputFiles();
    outputs.ApplyOutputProfile(0);
    EXPECT_EQ(m_writer.outputProfile(), 10);  // no "wma" section: index 9

    bench().store().file().writeInteger(QStringLiteral("wma"), QStringLiteral("format"), 3);
    outputs.ApplyOutputProfile(0);
    EXPECT_EQ(m_writer.outputProfile(), 4);

    outputs.ApplyOutputProfile(1);  // no such output format
    EXPECT_EQ(m_writer.outputProfile(), 4);

    outputs.setProfileIndexOverride(20);
    outputs.ApplyOutputProfile(0);
    EXPECT_EQ(m_writer.outputProfile(), 21);
    EXPECT_EQ(bench().store().wmaProfileIndex(), 3);
}

TEST_F(OutputFilesTest, OutputTagsCarryFiveFieldsCutToTheirWidths)
{
    const QString path = m_folder.file(QStringLiteral("tagged.wma"));
    AudioSpec tone;
    tone.frames = 22050;
    writeAudioFile(path, tone);

    AudioFileinfo tags;
    tags.Title = QString(200, QLatin1Char('t'));
    tags.Artist = QStringLiteral("Ärtist");
    tags.Album = QStringLiteral("Album");
    tags.Year = QStringLiteral("1999");
    tags.Comment = QStringLiteral("not passed on");
    tags.Genre = QString(40, QLatin1Char('g'));
    OutputFiles &outputs = bench().control().outputFiles();
    outputs.WriteOutputTags(path, tags);

    const WMAHeaderInfo &info = outputs.OutputTagInfo();
    EXPECT_EQ(info.Title.size(), 127);
    EXPECT_EQ(info.Genre.size(), 31);
    EXPECT_TRUE(info.Description.isEmpty());
    EXPECT_EQ(info.TrackNumber, 0);

    const QString read = RunMutagen(QStringLiteral(
        "import sys\nfrom mutagen.asf import ASF\nt = ASF(sys.argv[1]).tags\n"
        "for k in ('Title','Author','WM/AlbumTitle','WM/Year','WM/Genre','Description'):\n"
        "    v = t.get(k)\n    print(k + '=' + (str(v[0]) if v else ''))\n"), path);
    EXPECT_TRUE(read.contains(QStringLiteral("Title=") + QString(127, QLatin1Char('t')) + QLatin1Char('\n')));
    EXPECT_TRUE(read.contains(QStringLiteral("Author=Ärtist\n")));
    EXPECT_TRUE(read.contains(QStringLiteral("WM/AlbumTitle=Album\n")));
    EXPECT_TRUE(read.contains(QStringLiteral("WM/Year=1999\n")));
    EXPECT_TRUE(read.contains(QStringLiteral("Description=\n")));

    // Only files named as an output format are touched.
    const QString other = m_folder.file(QStringLiteral("copy.txt"));
    ASSERT_TRUE(QFile::copy(path, other));
    const QByteArray before = readTextFile(other);
    tags.Title = QStringLiteral("changed");
    outputs.WriteOutputTags(other, tags);
    EXPECT_EQ(readTextFile(other), before);
}

} // namespace
