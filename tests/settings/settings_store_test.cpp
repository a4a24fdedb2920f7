#include "settings/Settings.h"
#include "components/KorvexError.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

// HOME inside the test folder, so that the default music folder is ours.
class HomeInside
{
public:
    explicit HomeInside(const QString &home) : m_previous(qgetenv("HOME"))
    {
        qputenv("HOME", home.toLocal8Bit());
    }
    ~HomeInside() { qputenv("HOME", m_previous); }

private:
    QByteArray m_previous;
};

} // namespace

TEST(SettingsLocation, LivesInXdgConfigHome)
{
    test::TestFolder folder;
    EXPECT_EQ(settingsFilePath(), folder.configHome() + QStringLiteral("/Korvex.ini"));
    EXPECT_EQ(SettingsStore().file().fileName(), settingsFilePath());
}

TEST(SettingsLocation, FallsBackToDotConfigInHome)
{
    test::TestFolder folder;
    HomeInside home(folder.path());
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsFilePath(), folder.path() + QStringLiteral("/.config/Korvex.ini"));
}

TEST(SettingsStore, FirstStartGivesEveryDefaultAndMakesTheMusicFolder)
{
    test::TestFolder folder;
    HomeInside home(folder.path());
    SettingsStore store;
    store.LoadSettings();
    const Settings &s = store.settings();
    EXPECT_EQ(s.SplitMode, 0);
    EXPECT_EQ(s.OutputFolder, defaultOutputFolder());
    EXPECT_TRUE(s.OutputFolder.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(s.OutputFolder).isDir());
    EXPECT_EQ(s.SplitSeconds, 60);
    EXPECT_EQ(s.SplitCount, 6);
    EXPECT_FALSE(s.FadeIn);
    EXPECT_FALSE(s.FadeOut);
    EXPECT_EQ(s.FadeInSeconds, 5);
    EXPECT_EQ(s.FadeOutSeconds, 5);
    EXPECT_FALSE(s.SkinFlag);
    EXPECT_EQ(store.wmaProfileIndex(), DefaultWmaProfileIndex);
    EXPECT_EQ(store.wmaProfileIndex(), 9);
    // Loading never writes.
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
}

TEST(SettingsStore, RoundTripThroughARealFile)
{
    test::TestFolder folder;
    const QString out = folder.file(QStringLiteral("out"));
    ASSERT_TRUE(test::writeTextFile(settingsFilePath(),
              "[Function]\nChoice=2\n[Output]\nDir=" + out.toUtf8() + "\n[Choice]\ntime=x\nCount=$10\n"
              "[Fade]\nIn=2\nOut=1\nIntime=0x3\nOuttime=-4\n[BRN]\nSkin=7\n[wma]\nformat=12\n"
              "[Main]\nPath=/typed\n[Extra]\nkeep=yes\n"));
    SettingsStore store;
    store.LoadSettings();
    Settings &s = store.settings();
    EXPECT_EQ(s.SplitMode, 2);
    EXPECT_EQ(s.OutputFolder, out + QLatin1Char('/'));
    EXPECT_TRUE(QFileInfo(out).isDir());
    EXPECT_EQ(s.SplitSeconds, 60);
    EXPECT_EQ(s.SplitCount, 16);
    EXPECT_TRUE(s.FadeIn);
    EXPECT_TRUE(s.FadeOut);
    EXPECT_EQ(s.FadeInSeconds, 3);
    EXPECT_EQ(s.FadeOutSeconds, -4);
    EXPECT_TRUE(s.SkinFlag);
    EXPECT_EQ(store.wmaProfileIndex(), 12);

    s.SplitMode = 3;
    store.SaveSettings();
    EXPECT_EQ(test::readTextFile(settingsFilePath()),
              "[Function]\nChoice=3\n[Output]\nDir=" + out.toUtf8() + "/\n[Choice]\ntime=60\nCount=16\n"
              "[Fade]\nIn=1\nOut=1\nIntime=3\nOuttime=-4\n[BRN]\nSkin=1\n[wma]\nformat=12\n"
              "[Main]\nPath=/typed\n[Extra]\nkeep=yes\n");

    SettingsStore again;
    again.LoadSettings();
    EXPECT_EQ(again.settings().SplitMode, 3);
    EXPECT_EQ(again.settings().OutputFolder, out + QLatin1Char('/'));
    EXPECT_EQ(again.settings().SplitSeconds, 60);
}

TEST(SettingsStore, SaveOverwritesWhatTheFolderChooserWrote)
{
    test::TestFolder folder;
    HomeInside home(folder.path());
    SettingsStore store;
    store.LoadSettings();
    store.file().writeString(QStringLiteral("output"), QStringLiteral("dir"), folder.path());
    store.SaveSettings();
    EXPECT_EQ(store.file().readString(QStringLiteral("Output"), QStringLiteral("Dir"), QString()),
              store.settings().OutputFolder);
    EXPECT_EQ(store.file().readInteger(QStringLiteral("wma"), QStringLiteral("format"), -1), -1);
}

TEST(SettingsStore, EmptyDirMeansTheDefaultFolder)
{
    test::TestFolder folder;
    HomeInside home(folder.path());
    ASSERT_TRUE(test::writeTextFile(settingsFilePath(), "[Output]\nDir=\n"));
    SettingsStore store;
    store.LoadSettings();
    EXPECT_EQ(store.settings().OutputFolder, defaultOutputFolder());
}

TEST(SettingsStore, CreatesOnlyOneFolderLevel)
{
    test::TestFolder folder;
    const QString nested = folder.file(QStringLiteral("a/b/"));
    ASSERT_TRUE(test::writeTextFile(settingsFilePath(), "[Output]\nDir=" + nested.toUtf8() + "\n"));
    SettingsStore store;
    store.LoadSettings();
    EXPECT_EQ(store.settings().OutputFolder, nested);
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("a"))));
}

TEST(SettingsStore, ARefusedSaveStopsAtTheFirstWrite)
{
    SettingsStore store(QStringLiteral("/dev/null/Korvex.ini"));
    store.settings().OutputFolder = QStringLiteral("/tmp/");
    try {
        store.SaveSettings();
        FAIL() << "the save was not refused";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("Unable to write to /dev/null/Korvex.ini"));
    }
}
