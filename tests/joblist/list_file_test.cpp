#include "components/KorvexError.h"
#include "joblist/ListFile.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::TestFolder;

namespace {

QString sample(const char *name)
{
    return QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/") + QString::fromLatin1(name);
}

SavedList aList(const QString &folder)
{
    SavedList list;
    list.settings.SplitMode = 2;
    list.settings.SplitSeconds = 42;
    list.settings.SplitCount = 9;
    list.settings.FadeIn = true;
    list.settings.FadeInSeconds = 3;
    list.settings.FadeOut = false;
    list.settings.FadeOutSeconds = 20;
    list.settings.EdgeMs = 15;
    list.settings.OutputFolder = QStringLiteral("/music/out/");
    list.settings.Format = OutputFormat::Flac;
    ListEntry below;
    below.FileName = folder + QStringLiteral("/sub/lecture.ogg");
    below.Segments = {{1500, 61250, {QStringLiteral("Intro – «один»"), QStringLiteral("Dr. Ö")}},
                      {61250, 120000, {}},
                      {7000, 3000, {}}};  // the pending one, being marked backwards
    below.Tags = {QStringLiteral("Lecture"), QStringLiteral("Speaker"), QStringLiteral("2024"),
                  QStringLiteral("Course"), QStringLiteral("line 1\nline 2"), QStringLiteral("Speech")};
    ListEntry elsewhere;
    elsewhere.FileName = QStringLiteral("/srv/elsewhere/b.wma");
    elsewhere.Segments = {{0, 5000, {}}};
    list.entries = {below, elsewhere};
    return list;
}

void expectSame(const SavedList &read, const SavedList &written)
{
    EXPECT_TRUE(read.settings == written.settings);
    ASSERT_EQ(read.entries.size(), written.entries.size());
    for (qsizetype i = 0; i < read.entries.size(); ++i) {
        const ListEntry &a = read.entries.at(i);
        const ListEntry &b = written.entries.at(i);
        EXPECT_EQ(a.FileName, b.FileName);
        ASSERT_EQ(a.Segments.size(), b.Segments.size());
        for (qsizetype k = 0; k < a.Segments.size(); ++k) {
            EXPECT_EQ(a.Segments.at(k).BeginMs, b.Segments.at(k).BeginMs);
            EXPECT_EQ(a.Segments.at(k).EndMs, b.Segments.at(k).EndMs);
            EXPECT_EQ(a.Segments.at(k).Own.Title, b.Segments.at(k).Own.Title);
            EXPECT_EQ(a.Segments.at(k).Own.Artist, b.Segments.at(k).Own.Artist);
        }
        EXPECT_EQ(a.Tags.Title, b.Tags.Title);
        EXPECT_EQ(a.Tags.Artist, b.Tags.Artist);
        EXPECT_EQ(a.Tags.Year, b.Tags.Year);
        EXPECT_EQ(a.Tags.Album, b.Tags.Album);
        EXPECT_EQ(a.Tags.Comment, b.Tags.Comment);
        EXPECT_EQ(a.Tags.Genre, b.Tags.Genre);
    }
}

// The text ParseListFile refuses a file with; empty when it takes it.
QString refusal(const QByteArray &text)
{
    try {
        ParseListFile(text, QStringLiteral("/lists/x.korvex"));
    } catch (const KorvexError &error) {
        return error.text();
    }
    return {};
}

} // namespace

TEST(ListFile, SavedAndReadBackGivesTheSameSettingsEntriesSegmentsAndTags)
{
    TestFolder folder;
    const SavedList written = aList(folder.path());
    const QString listPath = folder.file(QStringLiteral("lecture.korvex"));
    WriteListFile(listPath, written);
    expectSame(ReadListFile(listPath), written);
}

TEST(ListFile, FilesBelowTheListAreRelativeSoTheyMoveWithIt)
{
    TestFolder folder;
    const SavedList written = aList(folder.file(QStringLiteral("before")));
    QDir().mkpath(folder.file(QStringLiteral("before")));
    WriteListFile(folder.file(QStringLiteral("before/l.korvex")), written);
    const QJsonObject root =
        QJsonDocument::fromJson(korvex::test::readTextFile(folder.file(QStringLiteral("before/l.korvex")))).object();
    const QJsonArray entries = root.value(QStringLiteral("entries")).toArray();
    EXPECT_EQ(entries.at(0).toObject().value(QStringLiteral("file")).toString(), QStringLiteral("sub/lecture.ogg"));
    EXPECT_EQ(entries.at(1).toObject().value(QStringLiteral("file")).toString(), QStringLiteral("/srv/elsewhere/b.wma"));
    EXPECT_EQ(root.value(QStringLiteral("version")).toInt(), 1);

    ASSERT_TRUE(QDir().rename(folder.file(QStringLiteral("before")), folder.file(QStringLiteral("after"))));
    const SavedList moved = ReadListFile(folder.file(QStringLiteral("after/l.korvex")));
    EXPECT_EQ(moved.entries.at(0).FileName, folder.file(QStringLiteral("after/sub/lecture.ogg")));
    EXPECT_EQ(moved.entries.at(1).FileName, QStringLiteral("/srv/elsewhere/b.wma"));
}

TEST(ListFile, ANewerVersionIsRefusedSayingSo)
{
    try {
        ReadListFile(sample("list-newer-version.korvex"));
        FAIL() << "a version 7 list was taken";
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("newer Korvex"))) << error.text().toStdString();
        EXPECT_TRUE(error.text().contains(QStringLiteral("version 7"))) << error.text().toStdString();
    }
}

TEST(ListFile, DamagedAndHostileFilesAreRefusedWithWhatIsWrong)
{
    const QList<std::pair<const char *, const char *>> cases = {
        {"list-cut-off.korvex", "JSON is damaged"},
        {"list-hostile-values.korvex", "\"begin_ms\" is not a whole number"},
        {"list-segment-backwards.korvex", "segment 1, ends before it begins"},
        {"list-wrong-types.korvex", "\"fade_in\" is neither true nor false"},
        {"list-mode-unknown.korvex", "the mode \"shuffle\""},
        {"list-no-segments.korvex", "has 0 segments"},
    };
    for (const auto &[name, why] : cases) {
        try {
            ReadListFile(sample(name));
            ADD_FAILURE() << name << " was taken";
        } catch (const KorvexError &error) {
            EXPECT_TRUE(error.text().startsWith(QString::fromLatin1(name) + QStringLiteral(" is not a Korvex list")))
                << error.text().toStdString();
            EXPECT_TRUE(error.text().contains(QString::fromUtf8(why))) << name << ": " << error.text().toStdString();
        }
    }
    EXPECT_FALSE(refusal("[1, 2, 3]").isEmpty());
    EXPECT_FALSE(refusal("{\"version\": 1}").isEmpty());
    EXPECT_FALSE(refusal("{\"version\": 1.5, \"format\": \"Korvex job list\"}").isEmpty());
    EXPECT_TRUE(refusal(R"({"format": "Korvex job list", "version": 1,
                           "settings": {"mode": "custom", "output_folder": "/o/"}, "entries": []})")
                    .isEmpty());
    EXPECT_FALSE(refusal(R"({"format": "Korvex job list", "version": 1,
                            "settings": {"mode": "custom", "output_folder": "relative/"}, "entries": []})")
                     .isEmpty());
    EXPECT_FALSE(refusal(R"({"format": "Korvex job list", "version": 1,
                            "settings": {"mode": "custom", "output_folder": "/o/\n[Main]\nDir=/x"}, "entries": []})")
                     .isEmpty());
    EXPECT_FALSE(refusal(R"({"format": "Korvex job list", "version": 1,
                            "settings": {"mode": "count", "piece_count": 0, "output_folder": "/o/"}, "entries": []})")
                     .isEmpty());
}

TEST(ListFile, AFileTooLargeForAListIsRefusedUnread)
{
    TestFolder folder;
    const QString huge = folder.file(QStringLiteral("huge.korvex"));
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(LongestListFile + 1));
    file.close();
    try {
        ReadListFile(huge);
        FAIL() << "a list larger than the bound was read";
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("larger than 64 MB"))) << error.text().toStdString();
    }
}

TEST(ListFile, ASaveThatCannotBeWrittenSaysWhereAndWritesNothing)
{
    TestFolder folder;
    const QString listPath = folder.file(QStringLiteral("no-such-folder/l.korvex"));
    try {
        WriteListFile(listPath, aList(folder.path()));
        FAIL() << "a list was saved into a missing folder";
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().startsWith(QStringLiteral("Cannot save the list as ") + listPath))
            << error.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(listPath));
}
