// The window as a screen reader sees it: the real program on a virtual X
// display with an accessibility bus of its own, walked over that bus by
// accessibility_tree.py beside this file (the offscreen platform has no
// accessibility, so this one test needs X).
#include "DesktopPrograms.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

// The count the walk printed for `what` ("21 push buttons"), or -1.
int countOf(const QString &output, const QString &what)
{
    const QRegularExpression pattern(QStringLiteral("(\\d+) %1\\b").arg(QRegularExpression::escape(what)));
    const QRegularExpressionMatch match = pattern.match(output);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

TEST(AccessibilityBus, RealTimeEveryActingObjectIsNamedPressableAndReachable)
{
    // what TEST_PACKAGES installs: xvfb, dbus-bin, at-spi2-core, python3-pyatspi
    for (const char *tool : {"/usr/bin/xvfb-run", "/usr/bin/dbus-run-session", "/usr/libexec/at-spi-bus-launcher"})
        ASSERT_TRUE(QFileInfo::exists(QString::fromLatin1(tool))) << tool << " is missing: run make deps-test";
    ASSERT_EQ(RunProgram("/usr/bin/python3", {"-c", "import pyatspi"}).exitCode, 0)
        << "python3-pyatspi is missing: run make deps-test";

    TestFolder folder;
    // libxkbcommon-x11, which the xcb platform loads, hands strndup a keymap
    // name without an ending zero inside the bound; strndup allows that, the
    // strict string checks of the test build do not.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString sanitizer = environment.value("ASAN_OPTIONS");
    sanitizer.replace("strict_string_checks=1", "strict_string_checks=0");
    environment.insert("ASAN_OPTIONS", sanitizer);
    const ProgramRun walk = RunProgram(
        "/usr/bin/xvfb-run",
        {"-a", "-s", "-screen 0 800x600x24", "/usr/bin/dbus-run-session", "--", "/usr/bin/python3",
         KORVEX_SOURCE_DIR "/tests/desktop/accessibility_tree.py", KORVEX_BINARY_DIR "/korvex", folder.path()},
        environment);
    ASSERT_EQ(walk.exitCode, 0) << qPrintable(walk.all());
    // every acting object of the face, the play slider, and the two lists
    EXPECT_EQ(countOf(walk.output, "push buttons"), 21) << qPrintable(walk.output);
    EXPECT_EQ(countOf(walk.output, "sliders"), 1);
    EXPECT_EQ(countOf(walk.output, "tables"), 2);
    EXPECT_GE(countOf(walk.output, "labels"), 8);
    EXPECT_EQ(countOf(walk.output, "menus opened"), 3);
}
