// What korvex-cli reads from tagged files of other programs and writes into
// its pieces, against what its --help promises.
#include "support/ExternalTools.h"
#include "support/KorvexCli.h"
#include "support/TempDir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

QString sample(const char *name)
{
    return QStringLiteral(KORVEX_SOURCE_DIR "/tests/tags/samples/") + QString::fromLatin1(name);
}

QString runCli(const TestFolder &folder, const QStringList &arguments)
{
    const CliRun ran = RunKorvexCli(folder, arguments);
    EXPECT_EQ(ran.exitCode, 0) << ran.errors.toStdString();
    return ran.output;
}

} // namespace

TEST(CliTags, InfoShowsTheTagsOfFilesTaggedElsewhereAndNoYear)
{
    TestFolder folder;
    const QStringList files = {sample("id3v22-bytes.mp3"), sample("opus-in-ogg-mutagen.ogg"),
                               sample("flac-mutagen.flac"), sample("aac-mutagen.m4a")};
    const QJsonArray entries =
        QJsonDocument::fromJson(runCli(folder, QStringList{"info", "--json"} + files).toUtf8()).array();
    ASSERT_EQ(entries.size(), 4);
    const QStringList captions = {"Older Encoder Title", QString::fromUtf8("Ωmega Opus"),
                                  QString::fromUtf8("Ωmega FLAC"), "Sample M4AAAC"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject entry = entries[i].toObject();
        EXPECT_EQ(entry["caption"].toString(), captions[i]) << i;
        EXPECT_EQ(entry["year"].toString(), "") << i;  // the ID3v2.2 file has one; it is not taken
        EXPECT_FALSE(entry["artist"].toString().isEmpty()) << i;
    }
}

TEST(CliTags, HelpSaysPiecesCarryNoYearOfTheirFileAndTheyDoNot)
{
    TestFolder folder;
    const QString help = runCli(folder, {"--help"});
    EXPECT_FALSE(help.contains("album, year and genre of its FILE"));
    EXPECT_TRUE(help.contains("A year is written only where\n            a CUE sheet gives one")) << help.toStdString();

    const QString out = folder.file("out");
    runCli(folder, {"split", "--mode", "custom", "-o", out, sample("flac-mutagen.flac")});
    const QString tags = RunMutagen(R"(import glob, os, sys
from mutagen.asf import ASF
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.wma'))):
    f = ASF(path)
    print(os.path.basename(path), *[str(f.get(k, ['-'])[0]) for k in ('Title', 'Author', 'WM/Genre', 'WM/Year')], sep='|')
)",
                                    out);
    EXPECT_EQ(tags, QString::fromUtf8("Ωmega FLAC_1.wma|Ωmega FLAC|Hildur Guðnadóttir|Soundtrack|\n"));
}
