#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

class HostileInputOutputs : public EngineTest
{
protected:
    // Runs `during` once, while the first output is being written.
    RunControl::Outcome runWith(const std::function<RunControl::Outcome()> &start,
                                const std::function<void()> &during)
    {
        bool done = false;
        bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
            if (!done && m_writer.isOpen() && at.progress >= 0) {
                done = true;
                during();
            }
        });
        const RunControl::Outcome outcome = start();
        bench().setRunCheckpoint({});
        EXPECT_TRUE(done);
        return outcome;
    }
    RunControl::Outcome splitByTime(int seconds)
    {
        settings().SplitMode = split_mode::Time;
        settings().SplitSeconds = seconds;
        return runSplit();
    }
};

// While a piece is written only its temporary name is in the folder; a name
// a user sees is always a finished file.
TEST_F(HostileInputOutputs, APieceIsWrittenUnderATemporaryNameAndNamedWhenComplete)
{
    add({makeTone(QStringLiteral("song.wav"), 6.0)});
    QStringList seen;
    EXPECT_EQ(runWith([&] { return splitByTime(4); }, [&] { seen = outputNames(); }),
              RunControl::Outcome::Finished);
    EXPECT_EQ(seen, QStringList{"song_1.wma.part"});
    EXPECT_EQ(outputNames(), (QStringList{"song_1.wma", "song_2.wma"}));
    EXPECT_NEAR(audioFrames(output(QStringLiteral("song_1.wma"))), 4 * Rate, CodecFrame);
}

// Another run (or program) takes the piece's name while it is written: that
// file is left as it is and the piece takes the next free name.
TEST_F(HostileInputOutputs, ANameTakenMeanwhileIsNeverReplaced)
{
    add({makeTone(QStringLiteral("song.wav"), 3.0)});
    const QByteArray theirs("another run's finished piece");
    EXPECT_EQ(runWith([&] { return splitByTime(10); },
                      [&] { ASSERT_TRUE(writeTextFile(output(QStringLiteral("song_1.wma")), theirs)); }),
              RunControl::Outcome::Finished);
    EXPECT_EQ(readTextFile(output(QStringLiteral("song_1.wma"))), theirs);
    EXPECT_EQ(outputNames(), (QStringList{"song_1.wma", "song_2.wma"}));
    EXPECT_NEAR(audioFrames(output(QStringLiteral("song_2.wma"))), 3 * Rate, CodecFrame);
    EXPECT_EQ(statuses(), QStringList{status_word::Finish});
}

// Leftovers of a killed run (its temporary file, an empty placeholder) do
// not confuse the next run and are not touched by it.
TEST_F(HostileInputOutputs, LeftoversOfAKilledRunStayAsTheyAre)
{
    add({makeTone(QStringLiteral("song.wav"), 2.0)});
    ASSERT_TRUE(writeTextFile(output(QStringLiteral("song_1.wma.part")), QByteArray("half a header")));
    ASSERT_TRUE(writeTextFile(output(QStringLiteral("song_2.wma")), QByteArray()));
    EXPECT_EQ(splitByTime(10), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), (QStringList{"song_1.wma", "song_1.wma.part", "song_2.wma"}));
    EXPECT_NEAR(audioFrames(output(QStringLiteral("song_1.wma"))), 2 * Rate, CodecFrame);
    EXPECT_EQ(readTextFile(output(QStringLiteral("song_1.wma.part"))), QByteArray("half a header"));
}

// A join whose new output name was taken while it ran refuses to replace
// it: the joined audio stays under its temporary name, which the message
// names along with the file it did not replace.
TEST_F(HostileInputOutputs, AJoinDoesNotReplaceAFileCreatedWhileItRan)
{
    add({makeTone(QStringLiteral("a.wav"), 2.0), makeTone(QStringLiteral("b.wav"), 2.0)});
    settings().SplitMode = split_mode::Time;
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
    const QByteArray theirs("joined by someone else");
    EXPECT_EQ(runWith([&] { return runJoin(); }, [&] { ASSERT_TRUE(writeTextFile(joined, theirs)); }),
              RunControl::Outcome::Failed);
    EXPECT_EQ(readTextFile(joined), theirs);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(joined + QStringLiteral("' was created"))) << message.toStdString();
    EXPECT_TRUE(message.contains(joined + QStringLiteral(".part"))) << message.toStdString();
    EXPECT_NEAR(audioFrames(joined + QStringLiteral(".part")), 4 * Rate, CodecFrame);
}

// A join into a file the user chose to replace replaces it, and only once
// the joined file is complete.
TEST_F(HostileInputOutputs, AJoinReplacesAChosenExistingFileOnlyWhenComplete)
{
    add({makeTone(QStringLiteral("a.wav"), 2.0)});
    settings().SplitMode = split_mode::Time;
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    ASSERT_TRUE(writeTextFile(joined, QByteArray("the old joined file")));
    m_seams.dialogs.saveAnswer = joined;
    QByteArray during;
    EXPECT_EQ(runWith([&] { return runJoin(); }, [&] { during = readTextFile(joined); }),
              RunControl::Outcome::Finished);
    EXPECT_EQ(during, QByteArray("the old joined file"));
    EXPECT_NEAR(audioFrames(joined), 2 * Rate, CodecFrame);
    EXPECT_FALSE(QFileInfo::exists(joined + QStringLiteral(".part")));
}

// A folder that takes no file: the error names the piece that was being
// created, not the fallback name.
TEST_F(HostileInputOutputs, AnUnwritableFolderIsReportedWithThePiecesOwnName)
{
    add({makeTone(QStringLiteral("victory.wav"), 2.0)});
    bench().jobs().fileModel()->setCaption(0, QStringLiteral("Victory"));
    settings().OutputFolder = m_folder.file(QStringLiteral("missing/"));
    EXPECT_EQ(splitByTime(10), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("missing/Victory_1.wma'"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("victory.wma"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral(".part"))) << message.toStdString();
}

} // namespace
