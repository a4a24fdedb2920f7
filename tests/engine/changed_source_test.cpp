#include "engine/EngineFixture.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

// Damage done to a source in place, its time of change put back afterwards
// as a careless tool (or a restore with touch -r) would.
enum class Damage {
    Halve,     // cut to half its size: the size tells
    ZeroTail,  // the second half overwritten with zeros: size and time look unchanged
};

void damage(const QString &path, Damage how)
{
    struct stat before {};
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::stat(name.constData(), &before), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 half = file.size() / 2;
    if (how == Damage::Halve) {
        ASSERT_TRUE(file.resize(half));
    } else {
        ASSERT_TRUE(file.seek(half));
        ASSERT_EQ(file.write(QByteArray(file.size() - half, '\0')), file.size() - half);
    }
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
}

// A source that shrinks, is damaged or is replaced after it was measured
// stops the run with a message naming it and the piece it cut short; no
// piece is filled with silence.
class HostileInputSources : public EngineTest
{
protected:
    // Damages `path` once `when` holds at a stop check of the run.
    void damageWhen(const QString &path, Damage how, const std::function<bool(const JobPosition &)> &when)
    {
        bench().setRunCheckpoint([this, path, how, when](RunJob &, const JobPosition &at) {
            if (!m_damaged && when(at)) {
                m_damaged = true;
                damage(path, how);
            }
        });
    }

    // Once the second piece holds a block.
    bool secondPieceStarted(const QString &partName, const JobPosition &at)
    {
        return at.outputs == 1 && at.progress >= 100 && at.progress < 10000 && outputNames().contains(partName);
    }

    // The run failed with one message that names the source with `why` and
    // the last piece; the pieces are those named, the first whole and every
    // one holding sound throughout.
    void expectStoppedAtSecondPiece(const QString &source, const QString &why, const QStringList &names)
    {
        ASSERT_TRUE(m_damaged);
        ASSERT_EQ(m_seams.messages.errors.size(), 1);
        const QString message = m_seams.messages.errors.first();
        EXPECT_TRUE(message.contains(QStringLiteral("'%1' %2").arg(source, why))) << message.toStdString();
        ASSERT_EQ(outputNames(), names) << message.toStdString();
        EXPECT_TRUE(message.contains(output(names.last()))) << message.toStdString();
        EXPECT_NEAR(audioFrames(output(names.first())), 6 * Rate, CodecFrame);
        EXPECT_LT(audioFrames(output(names.last())), 6 * Rate);
        for (const QString &name : names) {
            const DecodedAudio audio = decodeFile(output(name));
            // the last tenth of a second too: no silence was written in place of audio
            const qint64 tail = audio.frames() - Rate / 10 - CodecFrame;
            EXPECT_GT(channelRms(audio, 0, audio.frames()), 0.05) << name.toStdString();
            EXPECT_GT(channelRms(audio, qMax<qint64>(tail, 0), Rate / 10), 0.05) << name.toStdString();
        }
    }

    void expectCopyStopsAfterFirstPiece(Damage how)
    {
        settings().Format = OutputFormat::Copy;
        settings().SplitMode = split_mode::Time;
        settings().SplitSeconds = 6;
        const QString source = m_folder.file(QStringLiteral("copied.mp3"));
        AudioSpec made = noiseSpec(Rate, 2, 18 * Rate);
        made.bitRate = 128000;
        writeAudioFile(source, made);
        const DecodedAudio before = decodeFile(source);
        add({source});
        damageWhen(source, how, [this](const JobPosition &) { return QFile::exists(output(QStringLiteral("copied_1.mp3"))); });
        EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
        ASSERT_TRUE(m_damaged);
        ASSERT_EQ(m_seams.messages.errors.size(), 1);
        const QString message = m_seams.messages.errors.first();
        EXPECT_TRUE(message.contains(QStringLiteral("'%1' changed").arg(source))) << message.toStdString();
        EXPECT_EQ(outputNames(), QStringList{QStringLiteral("copied_1.mp3")}) << message.toStdString();
        EXPECT_EQ(decodeFile(output(QStringLiteral("copied_1.mp3"))).samples, before.samples.mid(0, 6 * Rate * 2));
    }

    bool m_damaged = false;
};

TEST_F(HostileInputSources, ASplitStopsAtASourceThatShrankAndKeepsWhatWasWritten)
{
    const QString source = makeTone(QStringLiteral("shrinks.wav"), 16.0);
    add({source});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 6;
    damageWhen(source, Damage::Halve,
               [this](const JobPosition &at) { return secondPieceStarted(QStringLiteral("shrinks_2.wma.part"), at); });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
    expectStoppedAtSecondPiece(source, QStringLiteral("changed"), {"shrinks_1.wma", "shrinks_2.wma"});
}

TEST_F(HostileInputSources, ASplitStopsAtAFlacCutInPlaceWithItsTimeOfChangePutBack)
{
    const QString source = makeTone(QStringLiteral("cut.flac"), 16.0);
    add({source});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 6;
    damageWhen(source, Damage::Halve,
               [this](const JobPosition &at) { return secondPieceStarted(QStringLiteral("cut_2.wma.part"), at); });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
    expectStoppedAtSecondPiece(source, QStringLiteral("changed"), {"cut_1.wma", "cut_2.wma"});
}

// Same size, same time of change: only the read itself can tell that the
// audio stops before the measured end.
TEST_F(HostileInputSources, ASplitStopsWhereAFlacThatLooksUnchangedStopsGivingAudio)
{
    const QString source = makeTone(QStringLiteral("zeroed.flac"), 16.0);
    add({source});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 6;
    damageWhen(source, Damage::ZeroTail,
               [this](const JobPosition &at) { return secondPieceStarted(QStringLiteral("zeroed_2.wma.part"), at); });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
    expectStoppedAtSecondPiece(source, QStringLiteral("could not be read to its end"),
                               {"zeroed_1.wma", "zeroed_2.wma"});
}

TEST_F(HostileInputSources, AJoinStopsAtALaterEntryThatShrankWhileTheFirstWasJoined)
{
    const QString first = makeTone(QStringLiteral("first.wav"), 4.0);
    const QString second = makeTone(QStringLiteral("second.wav"), 8.0);
    add({first, second});
    settings().SplitMode = split_mode::Time;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
    damageWhen(second, Damage::Halve, [this](const JobPosition &) { return m_writer.isOpen(); });
    EXPECT_EQ(runJoin(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' changed").arg(second))) << message.toStdString();
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    EXPECT_TRUE(message.contains(joined)) << message.toStdString();
    EXPECT_NEAR(audioFrames(joined), 4 * Rate, CodecFrame);
}

// The second entry is read through the resampler (22050 Hz into 44100 Hz):
// the output ends where its audio stopped, without silence after it.
TEST_F(HostileInputSources, AJoinStopsWhereAResampledEntryThatLooksUnchangedStopsGivingAudio)
{
    const QString first = makeTone(QStringLiteral("first.wav"), 4.0);
    const QString second = makeTone(QStringLiteral("second.flac"), 12.0, 22050);
    add({first, second});
    // after the second entry's first block (4 s of its 12), before its
    // audio stops at 6 s
    damageWhen(second, Damage::ZeroTail, [](const JobPosition &at) { return at.entry == 1 && at.checks == 2; });
    settings().SplitMode = split_mode::Time;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
    EXPECT_EQ(runJoin(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    ASSERT_TRUE(m_damaged);
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' could not be read to its end").arg(second)))
        << message.toStdString();
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    EXPECT_TRUE(message.contains(joined)) << message.toStdString();
    const qint64 frames = audioFrames(joined);
    EXPECT_GT(frames, 5 * Rate);
    EXPECT_LT(frames, 11 * Rate);
    const DecodedAudio audio = decodeFile(joined);
    EXPECT_GT(channelRms(audio, audio.frames() - Rate / 10 - CodecFrame, Rate / 10), 0.05);
}

// The stamp is the one taken when the file was added: a source replaced
// between adding and starting stops the run before anything is written.
TEST_F(HostileInputSources, ASourceReplacedAfterItWasAddedStopsTheRunBeforeAnythingIsWritten)
{
    const QString source = makeTone(QStringLiteral("replaced.wav"), 12.0);
    add({source});
    makeTone(QStringLiteral("replaced.wav"), 6.0);
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 4;
    EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' changed").arg(source))) << message.toStdString();
    EXPECT_TRUE(outputNames().isEmpty()) << outputNames().join(QLatin1Char(' ')).toStdString();
}

TEST_F(HostileInputSources, ASourceDamagedInPlaceAfterItWasAddedStopsTheRunBeforeAnythingIsWritten)
{
    const QString source = makeTone(QStringLiteral("damaged.flac"), 12.0);
    add({source});
    damage(source, Damage::ZeroTail);
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 4;
    EXPECT_EQ(runSplit(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' could not be read to its end").arg(source)))
        << message.toStdString();
    EXPECT_TRUE(outputNames().isEmpty()) << outputNames().join(QLatin1Char(' ')).toStdString();
}

TEST_F(HostileInputSources, ALaterJoinEntryReplacedAfterItWasAddedStopsTheJoinBeforeAnythingIsWritten)
{
    const QString other = makeTone(QStringLiteral("other.wav"), 3.0);
    const QString source = makeTone(QStringLiteral("replaced.wav"), 12.0);
    add({other, source});
    makeTone(QStringLiteral("replaced.wav"), 8.0);
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
    EXPECT_EQ(runJoin(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors.first().contains(QStringLiteral("'%1' changed").arg(source)));
    EXPECT_FALSE(QFile::exists(m_folder.file(QStringLiteral("joined.wma"))));
    EXPECT_FALSE(QFile::exists(m_folder.file(QStringLiteral("joined.wma.part"))));
}

// Without re-encoding, what was learnt of the source (its coding, its MP3
// frames) is kept from piece to piece: a source damaged after the first piece
// stops the run, and the piece at hand is not kept as if it were whole.
TEST_F(HostileInputSources, ACopySplitStopsAtAnMp3ThatShrankAfterItsFirstPiece)
{
    expectCopyStopsAfterFirstPiece(Damage::Halve);
}

// Same size, same time of change: the frames themselves show it.
TEST_F(HostileInputSources, ACopySplitStopsAtAnMp3ZeroedInPlaceAfterItsFirstPiece)
{
    expectCopyStopsAfterFirstPiece(Damage::ZeroTail);
}

} // namespace
