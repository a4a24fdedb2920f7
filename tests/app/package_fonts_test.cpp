// The window's suites run with exactly the fonts of the packages Korvex's
// package depends on (FONTCONFIG_FILE, set by the build): every face the
// look asks for must be among them, or a clean install would show the
// layout checks' windows with other, wider fonts.
#include <QFontDatabase>
#include <QFontInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "support/TextFiles.h"

namespace {

// Every family a style sheet or the skin file of the source tree names first.
QStringList familiesTheLookAsksFor()
{
    QStringList families;
    static const QRegularExpression styleSheet(QStringLiteral("font-family:\\s*\"([^\"]+)\""));
    static const QRegularExpression skin(QStringLiteral("\"family\":\\s*\"([^\"]+)\""));
    for (const char *file : {"widgets/MainControls.cpp", "widgets/DialogLook.cpp", "tags/ui/Tfm_id3.cpp"}) {
        const QString text = QString::fromUtf8(korvex::test::readTextFile(QStringLiteral(KORVEX_SOURCE_DIR "/") + file));
        EXPECT_FALSE(text.isEmpty()) << file;
        for (auto match = styleSheet.globalMatch(text); match.hasNext();)
            families.append(match.next().captured(1));
    }
    const QString skinFile = QString::fromUtf8(
        korvex::test::readTextFile(QStringLiteral(KORVEX_SOURCE_DIR "/resources/skin/skin.json")));
    for (auto match = skin.globalMatch(skinFile); match.hasNext();)
        families.append(match.next().captured(1));
    families.removeDuplicates();
    return families;
}

TEST(PackageFonts, EveryFaceTheLookAsksForComesWithThePackagesDependencies)
{
    if (qEnvironmentVariableIsEmpty("FONTCONFIG_FILE"))
        GTEST_SKIP() << "the build found no Debian font packages to limit the fonts to";
    const QStringList available = QFontDatabase::families();
    EXPECT_FALSE(available.contains(QStringLiteral("Liberation Sans"))) << "fonts beyond the package's are seen";
    const QStringList asked = familiesTheLookAsksFor();
    ASSERT_TRUE(asked.contains(QStringLiteral("DejaVu Sans Condensed")));
    for (const QString &family : asked) {
        const QFont font(family);
        EXPECT_TRUE(available.contains(family)) << qPrintable(family);
        EXPECT_EQ(QFontInfo(font).family(), family) << qPrintable(family);
    }
}

} // namespace
