#include "support/ExternalTools.h"

#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

// The independent readers the suites lean on print whole reports: more than a
// pipe holds must come back whole, each stream apart, and a program that reads
// its standard input finds it empty instead of waiting for a test to type.
TEST(ExternalTools, RunToolTakesAllOutputOfBothStreamsAndGivesNoInput)
{
    const ToolResult big = RunTool(QStringLiteral("/usr/bin/python3"),
                                   {QStringLiteral("-c"),
                                    QStringLiteral("import sys\n"
                                                   "sys.stdout.write('x' * 1048576)\n"
                                                   "sys.stderr.write('to stderr')\n"
                                                   "sys.stdout.write(repr(sys.stdin.read()))")});
    EXPECT_EQ(big.exitCode, 0);
    EXPECT_EQ(big.output.size(), 1048576 + 2);
    EXPECT_TRUE(big.output.endsWith(QStringLiteral("x''")));
    EXPECT_EQ(big.errors, QStringLiteral("to stderr"));
}

} // namespace
