#include "settings/ProfileText.h"
#include "settings/SettingsFile.h"
#include "components/KorvexError.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <gtest/gtest.h>

using namespace korvex;

TEST(ProfileInteger, AcceptsSignedDecimalAndBothHexForms)
{
    EXPECT_EQ(parseProfileInteger(QStringLiteral("42")), 42);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("-7")), -7);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("+7")), 7);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("$10")), 16);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("0x10")), 16);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("0X1f")), 31);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("$FFFFFFFF")), -1);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(parseProfileInteger(QStringLiteral("-2147483648")), -2147483647 - 1);
}

TEST(ProfileInteger, RejectsEverythingElse)
{
    for (const char *text : {"", "abc", "12a", "1.5", "$", "0x", "-$10", "$1G", "--1", "+",
                             "2147483648", "-2147483649", "$100000000", "1 2", "\xd9\xa3"}) {
        EXPECT_FALSE(parseProfileInteger(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(ProfileText, MatchesSectionsAndKeysWithoutCaseAndTakesTheFirst)
{
    const QStringList lines = {QStringLiteral("top=ignored"), QStringLiteral("[fade]"),
                               QStringLiteral("  IN = 2  "), QStringLiteral("in=3"),
                               QStringLiteral("; Out=9"), QStringLiteral("[Fade]"),
                               QStringLiteral("Out=4")};
    EXPECT_EQ(findProfileValue(lines, QStringLiteral("Fade"), QStringLiteral("In")), QStringLiteral("2"));
    // The second [Fade] is never consulted, and a commented key is no key.
    EXPECT_FALSE(findProfileValue(lines, QStringLiteral("FADE"), QStringLiteral("Out")).has_value());
    EXPECT_FALSE(findProfileValue(lines, QStringLiteral("Main"), QStringLiteral("top")).has_value());
}

TEST(ProfileText, QuotesWhatWouldNotReadBackAndKeepsTheRest)
{
    QStringList lines = {QStringLiteral("; made by hand"), QStringLiteral("[Zeta]"),
                         QStringLiteral("keep=me"), QString(), QStringLiteral("[Output]"),
                         QStringLiteral("DIR=/old"), QString(), QStringLiteral("[Other]"),
                         QStringLiteral("x=1")};
    setProfileValue(lines, QStringLiteral("output"), QStringLiteral("Dir"), QStringLiteral(" /a b/ "));
    setProfileValue(lines, QStringLiteral("Output"), QStringLiteral("New"), QStringLiteral("\"q\""));
    setProfileValue(lines, QStringLiteral("Fade"), QStringLiteral("In"), QStringLiteral("1"));
    const QStringList expected = {QStringLiteral("; made by hand"), QStringLiteral("[Zeta]"),
                                  QStringLiteral("keep=me"), QString(), QStringLiteral("[Output]"),
                                  QStringLiteral("DIR=\" /a b/ \""), QStringLiteral("New=\"\"q\"\""),
                                  QString(), QStringLiteral("[Other]"), QStringLiteral("x=1"),
                                  QString(), QStringLiteral("[Fade]"), QStringLiteral("In=1")};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(findProfileValue(lines, QStringLiteral("Output"), QStringLiteral("dir")), QStringLiteral(" /a b/ "));
    EXPECT_EQ(findProfileValue(lines, QStringLiteral("Output"), QStringLiteral("new")), QStringLiteral("\"q\""));
}

TEST(SettingsFile, ReadsDefaultsFromAMissingFile)
{
    test::TestFolder folder;
    const SettingsFile file(folder.file(QStringLiteral("absent.ini")));
    EXPECT_EQ(file.readInteger(QStringLiteral("Choice"), QStringLiteral("time"), 60), 60);
    EXPECT_TRUE(file.readBool(QStringLiteral("Fade"), QStringLiteral("In"), true));
    EXPECT_EQ(file.readString(QStringLiteral("Output"), QStringLiteral("Dir"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST(SettingsFile, ReadsTypedValuesByTheProfileRules)
{
    test::TestFolder folder;
    const QString path = folder.file(QStringLiteral("k.ini"));
    ASSERT_TRUE(test::writeTextFile(path, "\xef\xbb\xbf[choice]\r\nTIME=abc\r\nCount=0x10\r\nother=$10\r\n"
                    "[Fade]\r\nIn=2\r\nOut=0\r\nIntime=\r\n[Output]\r\nDir=\r\n"
                    "[Main]\r\nPath=/m\xc3\xbcsik/\xe6\x97\xa5\r\n"));
    const SettingsFile file(path);
    EXPECT_EQ(file.readInteger(QStringLiteral("Choice"), QStringLiteral("time"), 60), 60);
    EXPECT_EQ(file.readInteger(QStringLiteral("Choice"), QStringLiteral("Count"), 6), 16);
    EXPECT_EQ(file.readInteger(QStringLiteral("Choice"), QStringLiteral("other"), 6), 16);
    EXPECT_TRUE(file.readBool(QStringLiteral("Fade"), QStringLiteral("In"), false));
    EXPECT_FALSE(file.readBool(QStringLiteral("Fade"), QStringLiteral("Out"), true));
    EXPECT_EQ(file.readInteger(QStringLiteral("Fade"), QStringLiteral("Intime"), 5), 5);
    // A present empty string is "", not the default.
    EXPECT_EQ(file.readString(QStringLiteral("Output"), QStringLiteral("Dir"), QStringLiteral("d")),
              QString());
    EXPECT_EQ(file.readString(QStringLiteral("Main"), QStringLiteral("Path"), QString()),
              QString::fromUtf8("/m\xc3\xbcsik/\xe6\x97\xa5"));
}

TEST(SettingsFile, WritesGoToTheFileAtOnceAndKeepForeignLines)
{
    test::TestFolder folder;
    const QString path = folder.file(QStringLiteral("k.ini"));
    ASSERT_TRUE(test::writeTextFile(path, "; hand note\n[Zeta]\nunknown=1\n\n[Fade]\nin=0\n"));
    SettingsFile file(path);
    file.writeBool(QStringLiteral("FADE"), QStringLiteral("In"), true);
    file.writeInteger(QStringLiteral("Choice"), QStringLiteral("time"), -12);
    file.writeString(QStringLiteral("Main"), QStringLiteral("Path"), QString::fromUtf8("/\xc3\xa9t\xc3\xa9"));
    EXPECT_EQ(test::readTextFile(path), QByteArray("; hand note\n[Zeta]\nunknown=1\n\n[Fade]\nin=1\n\n"
                                         "[Choice]\ntime=-12\n\n[Main]\nPath=/\xc3\xa9t\xc3\xa9\n"));
    // A second object on the same path sees the writes, and its writes are seen.
    SettingsFile other(path);
    EXPECT_EQ(other.readInteger(QStringLiteral("choice"), QStringLiteral("TIME"), 0), -12);
    other.writeString(QStringLiteral("Output"), QStringLiteral("Dir"), QString());
    EXPECT_EQ(file.readString(QStringLiteral("Output"), QStringLiteral("Dir"), QStringLiteral("d")),
              QString());
}

TEST(SettingsFile, CreatesAMissingConfigurationFolder)
{
    test::TestFolder folder;
    const QString path = folder.file(QStringLiteral("fresh/home/.config/Korvex.ini"));
    SettingsFile file(path);
    file.writeInteger(QStringLiteral("wma"), QStringLiteral("format"), 3);
    EXPECT_EQ(test::readTextFile(path), QByteArray("[wma]\nformat=3\n"));
}

TEST(SettingsFile, ARefusedWriteRaisesWithTheFileName)
{
    // Running as root ignores permission bits, so use a path that cannot exist.
    SettingsFile file(QStringLiteral("/dev/null/Korvex.ini"));
    try {
        file.writeInteger(QStringLiteral("Choice"), QStringLiteral("time"), 1);
        FAIL() << "the write was not refused";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("Unable to write to /dev/null/Korvex.ini"));
    }
}

TEST(SettingsFile, RefusesAValueThatWouldBreakIntoSeveralLines)
{
    test::TestFolder folder;
    const QString path = folder.file(QStringLiteral("k.ini"));
    SettingsFile file(path);
    file.writeString(QStringLiteral("Output"), QStringLiteral("Dir"), QStringLiteral("/safe/"));
    EXPECT_THROW(file.writeString(QStringLiteral("Output"), QStringLiteral("Dir"),
                                  QStringLiteral("/x\n[Fade]\nIn=1")),
                 KorvexError);
    EXPECT_EQ(test::readTextFile(path), QByteArray("[Output]\nDir=/safe/\n"));
}

// A settings file that cannot be opened, or holds a line longer than any
// setting, is read as far as it can be and says so; the long line costs no
// more than its bytes on disk.
TEST(HostileInputSettingsFile, AnUnreadableFileOrAnOverlongLineIsSaid)
{
    korvex::test::TestFolder folder;
    const QString path = folder.file(QStringLiteral("Korvex.ini"));
    korvex::SettingsFile settings(path);
    EXPECT_EQ(settings.readString(QStringLiteral("Main"), QStringLiteral("Dir"), QStringLiteral("def")), "def");
    EXPECT_TRUE(settings.readProblem().isEmpty());  // no file yet: nothing to say

    ASSERT_TRUE(korvex::test::writeTextFile(
        path, "[Main]\nJunk=" + QByteArray(200 * 1024, 'j') + "\nDir=/kept/\r\n[wma]\nformat=3"));
    EXPECT_EQ(settings.readString(QStringLiteral("Main"), QStringLiteral("Dir"), QString()), "/kept/");
    EXPECT_EQ(settings.readInteger(QStringLiteral("wma"), QStringLiteral("format"), 9), 3);
    EXPECT_TRUE(settings.readProblem().contains(QStringLiteral("longer than 64 KiB"))) << settings.readProblem().toStdString();

    // binary junk between the lines: what is text is read, the rest is said
    ASSERT_TRUE(korvex::test::writeTextFile(
        path, QByteArray("[Main]\nJunk=\xff\xfe\x01\nMore=a\0b\nDir=/still/\n[wma]\nformat=4\n", 52)));
    EXPECT_EQ(settings.readString(QStringLiteral("Main"), QStringLiteral("Dir"), QString()), "/still/");
    EXPECT_EQ(settings.readString(QStringLiteral("Main"), QStringLiteral("More"), QStringLiteral("def")), "def");
    EXPECT_EQ(settings.readInteger(QStringLiteral("wma"), QStringLiteral("format"), 9), 4);
    EXPECT_TRUE(settings.readProblem().contains(path + QStringLiteral(" holds lines that are not UTF-8 text")))
        << settings.readProblem().toStdString();

    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path));  // a folder where the file should be
    EXPECT_EQ(settings.readInteger(QStringLiteral("wma"), QStringLiteral("format"), 9), 9);
    EXPECT_TRUE(settings.readProblem().contains(path + QStringLiteral(" could not be read")))
        << settings.readProblem().toStdString();
}
