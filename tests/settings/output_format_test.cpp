#include "settings/Settings.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <gtest/gtest.h>

using namespace korvex;

TEST(OutputFormat, EveryFormatHasAWordThatNamesItBack)
{
    QStringList words;
    for (int i = 0; i < OutputFormatCount; ++i) {
        const OutputFormat format = outputFormatAt(i);
        const QString word = outputFormatWord(format);
        EXPECT_FALSE(words.contains(word)) << word.toStdString();
        words << word;
        EXPECT_EQ(outputFormatFromWord(word.toUpper()), format);
        EXPECT_FALSE(outputFormatCaption(format).isEmpty());
        EXPECT_EQ(outputFormatExtension(format).isEmpty(), format == OutputFormat::Copy);
    }
    EXPECT_FALSE(outputFormatFromWord(QStringLiteral("aiff")).has_value());
}

TEST(OutputFormat, StoredIndexRoundTripsAndAnUnknownOneIsWma)
{
    test::TestFolder folder;
    const QString ini = folder.path() + QStringLiteral("/Korvex.ini");
    ASSERT_TRUE(test::writeTextFile(ini, "[Output]\nFormat=42\n"));
    SettingsStore store(ini);
    store.LoadSettings();
    EXPECT_EQ(store.settings().Format, OutputFormat::Wma);

    WriteOutputFormat(store.file(), OutputFormat::Flac);
    SettingsStore again(ini);
    again.LoadSettings();
    EXPECT_EQ(again.settings().Format, OutputFormat::Flac);
}
