// `korvex [FILE...]`: what the program makes of its arguments before any
// window exists.
#include "app/CommandLine.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace korvex;
using Action = KorvexCommandLine::Action;

TEST(CommandLine, FilesBecomeAbsoluteInTheOrderGiven)
{
    const KorvexCommandLine line =
        ParseKorvexCommandLine({"korvex", "b.mp3", "../music/./a.ogg", "/abs/c.wma"}, "/home/user/Desktop");
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.files, QStringList({"/home/user/Desktop/b.mp3", "/home/user/music/a.ogg", "/abs/c.wma"}));
    EXPECT_EQ(ParseKorvexCommandLine({"korvex"}, "/tmp").files, QStringList());
}

TEST(CommandLine, QtsOwnOptionsAreSteppedOver)
{
    const KorvexCommandLine line = ParseKorvexCommandLine(
        {"korvex", "-platform", "offscreen", "-style", "fusion", "-reverse", "a.wav", "-qmljsdebugger=port:1"}, "/m");
    EXPECT_EQ(line.action, Action::Run) << qPrintable(line.error);
    EXPECT_EQ(line.files, QStringList({"/m/a.wav"}));
}

TEST(CommandLine, DoubleDashEndsTheOptions)
{
    const KorvexCommandLine line = ParseKorvexCommandLine({"korvex", "--", "-odd name.wav", "--help"}, "/m");
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.files, QStringList({"/m/-odd name.wav", "/m/--help"}));
}

TEST(CommandLine, HelpVersionAndUnknownOptions)
{
    for (const char *help : {"--help", "-h"})
        EXPECT_EQ(ParseKorvexCommandLine({"korvex", "a.wav", help}, "/m").action, Action::Help) << help;
    for (const char *version : {"--version", "-v"})
        EXPECT_EQ(ParseKorvexCommandLine({"korvex", version}, "/m").action, Action::Version) << version;
    const KorvexCommandLine wrong = ParseKorvexCommandLine({"korvex", "--frobnicate", "a.wav"}, "/m");
    EXPECT_EQ(wrong.action, Action::Error);
    EXPECT_TRUE(wrong.error.contains("frobnicate")) << qPrintable(wrong.error);
    EXPECT_TRUE(QRegularExpression("^korvex [0-9]+\\.[0-9]+\n$").match(KorvexVersionText()).hasMatch())
        << qPrintable(KorvexVersionText());
}
