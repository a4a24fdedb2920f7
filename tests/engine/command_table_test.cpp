#include "core/CommandTable.h"
#include "components/KorvexError.h"
#include "support/RecordingSeams.h"

#include <gtest/gtest.h>

using namespace korvex;
using Source = CommandTable::Source;

TEST(CommandTable, NamesAreExactAndCaseSensitive)
{
    test::RecordingMessages messages;
    CommandTable commands(messages);
    QStringList ran;
    commands.add(Source::Skin, "stop", [&] { ran << "stop"; });
    commands.add(Source::Skin, "Stop", [&] { ran << "Stop"; });
    commands.add(Source::Menu, "Stop2", [&] { ran << "Stop2"; });

    EXPECT_TRUE(commands.dispatch(Source::Skin, "Stop"));
    EXPECT_TRUE(commands.dispatch(Source::Skin, "stop"));
    EXPECT_FALSE(commands.dispatch(Source::Skin, "STOP"));
    EXPECT_FALSE(commands.dispatch(Source::Skin, "Stop "));
    EXPECT_FALSE(commands.dispatch(Source::Skin, "nosuchobject"));
    // a skin object named like a menu item does not run the item
    EXPECT_FALSE(commands.dispatch(Source::Skin, "Stop2"));
    EXPECT_TRUE(commands.dispatch(Source::Menu, "Stop2"));
    EXPECT_EQ(ran, QStringList({"Stop", "stop", "Stop2"}));
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST(CommandTable, AnEscapingErrorIsShownWithItsText)
{
    test::RecordingMessages messages;
    CommandTable commands(messages);
    int after = 0;
    commands.add(Source::Skin, "Join", [&] {
        throw KorvexError("Cannot create C:/out.wma: Permission denied");
        ++after;
    });
    commands.add(Source::Menu, "Start1", [] { throw std::runtime_error("plain failure"); });
    EXPECT_TRUE(commands.dispatch(Source::Skin, "Join"));
    EXPECT_TRUE(commands.dispatch(Source::Menu, "Start1"));
    EXPECT_EQ(after, 0);
    EXPECT_EQ(messages.errors, QStringList({"Cannot create C:/out.wma: Permission denied", "plain failure"}));
}

TEST(CommandTable, RegisteringAgainReplacesTheOperation)
{
    test::RecordingMessages messages;
    CommandTable commands(messages);
    int first = 0;
    int second = 0;
    commands.add(Source::Skin, "play", [&] { ++first; });
    commands.add(Source::Skin, "play", [&] { ++second; });
    commands.dispatch(Source::Skin, "play");
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(commands.has(Source::Skin, "play"));
    EXPECT_FALSE(commands.has(Source::Menu, "play"));
}

TEST(CommandTable, ACommandRunsOnlyInTheStatesItIsDeclaredFor)
{
    test::RecordingMessages messages;
    CoreStates now;
    CommandTable commands(messages, [&] { return now; });
    QStringList ran;
    commands.add(Source::Skin, "addfile", runs_while::NotConverting, [&] { ran << "addfile"; });
    commands.add(Source::Skin, "Split", CoreState::Playing, [&] { ran << "Split"; });
    commands.add(Source::Skin, "Stop", [&] { ran << "Stop"; });

    now = CoreState::Converting;
    for (const char *name : {"addfile", "Split", "Stop"})
        EXPECT_TRUE(commands.dispatch(Source::Skin, name)) << name;  // known, even when refused
    EXPECT_EQ(ran, QStringList({"Stop"}));
    EXPECT_FALSE(commands.allowed(Source::Skin, "addfile"));
    EXPECT_TRUE(commands.allowed(Source::Skin, "Stop"));

    // every state that holds must be declared: playing alone lets Split run,
    // playing while files are added does not
    ran.clear();
    now = CoreState::Playing;
    commands.dispatch(Source::Skin, "Split");
    now = CoreState::Playing | CoreState::Adding;
    commands.dispatch(Source::Skin, "Split");
    commands.dispatch(Source::Skin, "addfile");
    EXPECT_EQ(ran, QStringList({"Split", "addfile"}));

    ran.clear();
    now = {};
    for (const char *name : {"addfile", "Split", "Stop"})
        commands.dispatch(Source::Skin, name);
    EXPECT_EQ(ran, QStringList({"addfile", "Split", "Stop"}));
    EXPECT_FALSE(commands.allowed(Source::Skin, "nosuchobject"));
    EXPECT_TRUE(messages.errors.isEmpty());
}
