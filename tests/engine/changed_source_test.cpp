#include "engine/EngineFixture.h"

#include <QFile>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

// A source that shrinks while a run reads it stops the run with a message
// naming it and the piece it cut short; no piece is filled with silence.
class ChangedSourceTest : public EngineTest
{
protected:
    // Cuts `path` to half its size once `when` holds at a pump.
    void halveWhen(const QString &path, const std::function<bool()> &when)
    {
        SetMessagePumpHook([this, path, when] {
            if (!m_halved && when()) {
                m_halved = true;
                QFile file(path);
                ASSERT_TRUE(file.resize(file.size() / 2));
            }
        });
    }
    ~ChangedSourceTest() override { SetMessagePumpHook({}); }

    bool m_halved = false;
};

TEST_F(ChangedSourceTest, ASplitStopsAtASourceThatShrankAndKeepsWhatWasWritten)
{
    const QString source = makeTone(QStringLiteral("shrinks.wav"), 16.0);
    add({source});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 6;
    // once the second piece holds a block (until then the bar shows the
    // first piece's 100%)
    halveWhen(source, [this] {
        const QString shown = bench().skin().text(QStringLiteral("pbpos"));
        return outputNames().contains(QStringLiteral("shrinks_2.wma.part")) && !shown.isEmpty()
            && shown != QStringLiteral("0%") && shown != QStringLiteral("100%");
    });
    EXPECT_EQ(bench().control().StartSplit(false), RunControl::Outcome::Failed);
    ASSERT_TRUE(m_halved);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' changed").arg(source))) << message.toStdString();
    const QStringList names = outputNames();
    ASSERT_EQ(names, (QStringList{"shrinks_1.wma", "shrinks_2.wma"})) << message.toStdString();
    EXPECT_TRUE(message.contains(output(QStringLiteral("shrinks_2.wma")))) << message.toStdString();
    EXPECT_NEAR(audioFrames(output(names.first())), 6 * Rate, CodecFrame);
    EXPECT_LT(audioFrames(output(names.last())), 6 * Rate);
    for (const QString &name : names) {
        const DecodedAudio audio = decodeFile(output(name));
        EXPECT_GT(channelRms(audio, 0, audio.frames()), 0.05) << name.toStdString();
    }
}

TEST_F(ChangedSourceTest, AJoinStopsAtALaterEntryThatShrankWhileTheFirstWasJoined)
{
    const QString first = makeTone(QStringLiteral("first.wav"), 4.0);
    const QString second = makeTone(QStringLiteral("second.wav"), 8.0);
    add({first, second});
    settings().SplitMode = split_mode::Time;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
    halveWhen(second, [this] { return m_writer.isOpen(); });
    EXPECT_EQ(bench().control().StartJoin(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("'%1' changed").arg(second))) << message.toStdString();
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    EXPECT_TRUE(message.contains(joined)) << message.toStdString();
    EXPECT_NEAR(audioFrames(joined), 4 * Rate, CodecFrame);
}

} // namespace
