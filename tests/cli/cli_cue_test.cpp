// korvex-cli with CUE sheets: split album.cue, cue FILE... and the name
// pattern, read back with mutagen.
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/KorvexCli.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

class CliCue : public ::testing::Test
{
protected:
    CliRun run(const QStringList &arguments) { return RunKorvexCli(m_folder, arguments); }
    QString tone(const QString &name, double seconds)
    {
        AudioSpec audio;
        audio.frames = qint64(seconds * 44100);
        const QString path = m_folder.file(name);
        writeAudioFile(path, audio);
        return path;
    }
    QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Name, title and track number of every piece in `folder`, sorted by name.
    QString pieces(const QString &folder)
    {
        return RunMutagen(QStringLiteral(R"(import glob, os, sys
from mutagen.asf import ASF
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.wma'))):
    t = ASF(path).tags
    print(os.path.basename(path), t['Title'][0], t['WM/TrackNumber'][0], sep='|')
)"),
                          folder);
    }

    TestFolder m_folder;
};

TEST_F(CliCue, SplitOfASheetCutsItsTracksAndAPatternNamesThem)
{
    tone(QStringLiteral("album.wav"), 7.0);
    const QString cue = m_folder.file(QStringLiteral("album.cue"));
    ASSERT_TRUE(writeTextFile(cue, "TITLE \"Album\"\nFILE \"album.wav\" WAVE\n TRACK 01 AUDIO\n  TITLE \"First\"\n"
                                   "  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  TITLE \"Second\"\n  INDEX 01 00:03:00\n"));
    // Korvex.ini's mode does not matter: a sheet's tracks are custom segments
    const QString out = m_folder.file(QStringLiteral("out"));
    CliRun split = run({"split", "-o", out, "--pattern", "{n:02} {title} of {N}", cue});
    ASSERT_EQ(split.exitCode, 0) << split.errors.toStdString();
    EXPECT_EQ(pieces(out), QStringLiteral("01 First of 2.wma|First|1\n02 Second of 2.wma|Second|2\n"));
    // without a pattern each piece is named after its own title
    const QString plain = m_folder.file(QStringLiteral("plain"));
    split = run({"split", "-o", plain, cue});
    ASSERT_EQ(split.exitCode, 0) << split.errors.toStdString();
    EXPECT_EQ(pieces(plain), QStringLiteral("First_1.wma|First|1\nSecond_1.wma|Second|2\n"));

    const CliRun missing = run({"split", "-o", out, m_folder.file(QStringLiteral("none.cue"))});
    EXPECT_EQ(missing.exitCode, 2);
    ASSERT_TRUE(writeTextFile(m_folder.file(QStringLiteral("lost.cue")), "FILE \"lost.wav\" WAVE\n TRACK 01 AUDIO\n"
                                                                       "  INDEX 01 00:00:00\n"));
    const CliRun lost = run({"split", "-o", out, m_folder.file(QStringLiteral("lost.cue"))});
    EXPECT_EQ(lost.exitCode, 2);
    EXPECT_TRUE(lost.errors.contains("names the audio file \"lost.wav\"")) << lost.errors.toStdString();
}

TEST_F(CliCue, CueWritesASheetBesideEachFileAndReplacesOneOnlyWithOverwrite)
{
    const QString song = tone(QStringLiteral("song.wav"), 5.0);
    const QString sheet = m_folder.file(QStringLiteral("song.cue"));
    CliRun written = run({"cue", "--segments", "0-2,2-4.5", song});
    ASSERT_EQ(written.exitCode, 0) << written.errors.toStdString();
    EXPECT_EQ(written.output, sheet + QLatin1Char('\n'));
    const QByteArray first = read(sheet);
    EXPECT_TRUE(first.contains("FILE \"song.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                               "  TRACK 02 AUDIO\r\n    INDEX 01 00:02:00\r\n"))
        << first.toStdString();

    const CliRun refused = run({"cue", "--segments", "0-1", song});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains(sheet + " exists; give --overwrite")) << refused.errors.toStdString();
    EXPECT_EQ(read(sheet), first);

    written = run({"cue", "--overwrite", "--segments", "0-1,3-4", song});
    ASSERT_EQ(written.exitCode, 0) << written.errors.toStdString();
    EXPECT_TRUE(read(sheet).contains("    INDEX 00 00:01:00\r\n    INDEX 01 00:03:00\r\n")) << read(sheet).toStdString();
    EXPECT_EQ(run({"cue", "--overwrite", "--segments", "3-4,0-1", song}).exitCode, 2);
    EXPECT_EQ(run({"join", "--pattern", "{n}", "-o", "x", song}).exitCode, 2);
}

} // namespace
