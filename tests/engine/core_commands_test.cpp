#include "engine/EngineFixture.h"

#include <QFile>

using namespace korvex;
using namespace korvex::test;
using Source = CommandTable::Source;

namespace {

// The core's own commands, given by name through its table as the window's
// buttons, menus and keys and korvex-cli give them.
class CoreCommandsTest : public EngineTest
{
protected:
    bool give(Source source, const char *name)
    {
        return bench().commands().dispatch(source, QString::fromLatin1(name));
    }
};

TEST_F(CoreCommandsTest, WhileARunConvertsTheListCommandsWaitAndStopIsTaken)
{
    add({makeTone(QStringLiteral("a.wav"), 2.0), makeTone(QStringLiteral("b.wav"), 2.0)});
    settings().SplitMode = split_mode::Time;
    bench().run().Converting = true;
    EXPECT_EQ(bench().state(), CoreStates(CoreState::Converting));
    for (const char *name : {"Clear", "Remove", "Begin", "Ok"})
        EXPECT_TRUE(give(Source::Skin, name)) << name;
    for (const char *name : {"Clear1", "Remove1", "Start1", "FindSilences1"})
        EXPECT_TRUE(give(Source::Menu, name)) << name;
    EXPECT_EQ(bench().jobs().rowCount(), 2);
    EXPECT_TRUE(outputNames().isEmpty());

    // Stop ends what converts, and the list takes commands again
    give(Source::Skin, "Stop");
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_EQ(bench().state(), CoreStates());
    give(Source::Menu, "Remove1");
    EXPECT_EQ(bench().jobs().rowCount(), 1);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << m_seams.messages.errors.join('\n').toStdString();
}

TEST_F(CoreCommandsTest, TheTwoSplitsOfTheTableDifferOnlyInTheFolderOpenedAfterwards)
{
    add({makeTone(QStringLiteral("tone.wav"), 5.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    give(Source::Menu, "Start1");
    EXPECT_EQ(bench().control().LastOutcome(), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), (QStringList{"tone_1.wma", "tone_2.wma", "tone_3.wma"}));
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());

    ASSERT_TRUE(QDir(outputFolder()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(outputFolder()));
    give(Source::Skin, "Split");
    EXPECT_EQ(bench().control().LastOutcome(), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames().size(), 3);
    EXPECT_EQ(m_seams.launcher.opened, QStringList{outputFolder()});
}

// A run that failed has said why and closed its files: the core takes
// commands again at once instead of waiting for a Stop nothing needs.
TEST_F(CoreCommandsTest, AFailedRunLeavesTheCoreReadyForTheNextCommand)
{
    const QString gone = makeTone(QStringLiteral("gone.wav"), 3.0);
    add({gone});
    settings().SplitMode = split_mode::Time;
    ASSERT_TRUE(QFile::remove(gone));
    give(Source::Menu, "Start1");
    EXPECT_EQ(bench().control().LastOutcome(), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors.first().contains(gone)) << m_seams.messages.errors.first().toStdString();
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_EQ(bench().state(), CoreStates());
    EXPECT_TRUE(bench().skin().text(skin_object::PercentText).isEmpty());
    give(Source::Menu, "Remove1");
    EXPECT_EQ(bench().jobs().rowCount(), 0);
}

// The front end's surround (the window's notice and waveform hold) wraps
// exactly the run commands.
TEST_F(CoreCommandsTest, OnlyRunCommandsPassThroughTheFrontEndsSurround)
{
    add({makeTone(QStringLiteral("tone.wav"), 1.0)});
    int surrounded = 0;
    bench().setRunSurround([&](const std::function<void()> &run) {
        ++surrounded;
        run();
    });
    give(Source::Skin, "Up");
    give(Source::Skin, "Stop");
    EXPECT_EQ(surrounded, 0);
    give(Source::Menu, "Start1");
    give(Source::Menu, "FindSilences1");
    EXPECT_EQ(surrounded, 2);
}

} // namespace
