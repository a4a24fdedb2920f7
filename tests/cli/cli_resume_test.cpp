// korvex-cli split --resume after a run lost some of its pieces: the pieces
// written again have the names, titles and track numbers of the first run,
// and the complete ones are left as they are. Tags are read back with mutagen.
#include "components/AudioFile.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/KorvexCli.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

// What a piece of the first run was: its title and track number as mutagen
// reads them, its length in frames as Korvex's reader counts them.
struct PieceFacts
{
    QString title;
    QString track;
    qint64 frames = 0;
};

using Pieces = QMap<QString, PieceFacts>;  // by file name

// One line a piece: "name|title|track|frames".
std::string describe(const Pieces &pieces)
{
    QString text;
    for (auto it = pieces.cbegin(); it != pieces.cend(); ++it)
        text += QStringLiteral("%1|%2|%3|%4\n").arg(it.key(), it->title, it->track).arg(it->frames);
    return text.toStdString();
}

class CliResume : public ::testing::Test
{
protected:
    CliResume() { QDir().mkpath(m_out); }

    CliRun run(const QStringList &arguments) { return RunKorvexCli(m_folder, arguments); }

    // A 10 s album with four tracks of 2, 3, 4 and 1 s, two of them titled
    // alike, so that their names differ only by their numbers. `audio` is the file the
    // sheet names, made beside it by the caller.
    QString writeSheet(const QString &audio)
    {
        const QString sheet = m_folder.file(QStringLiteral("album.cue"));
        const QByteArray kind = audio.endsWith(QLatin1String(".mp3")) ? "MP3" : "WAVE";
        const QByteArray text = "TITLE \"Album\"\nPERFORMER \"Band\"\nFILE \"" + audio.toUtf8() + "\" " + kind + "\n"
                                " TRACK 01 AUDIO\n  TITLE \"First\"\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  TITLE \"Interlude\"\n  INDEX 01 00:02:00\n"
                                " TRACK 03 AUDIO\n  TITLE \"Third\"\n  INDEX 01 00:05:00\n"
                                " TRACK 04 AUDIO\n  TITLE \"Interlude\"\n  INDEX 01 00:09:00\n";
        EXPECT_TRUE(writeTextFile(sheet, text));
        return sheet;
    }

    QString waveAlbum()
    {
        writeAudioFile(m_folder.file(QStringLiteral("album.wav")), korvex::test::sineSpec(44100, 2, 10 * 44100));
        return writeSheet(QStringLiteral("album.wav"));
    }

    // The pieces in the output folder, leaving out what a resume set aside.
    Pieces pieces()
    {
        const QString listing = RunMutagen(QStringLiteral(R"(import glob, os, sys, mutagen
from mutagen.asf import ASF
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*'))):
    if path.endswith('.incomplete'):
        continue
    f = mutagen.File(path, easy=True)
    tags = f.tags if f is not None and f.tags is not None else {}
    if isinstance(f, ASF):
        title, track = tags['Title'][0], tags['WM/TrackNumber'][0]
    else:
        title, track = tags.get('title', ['-'])[0], tags.get('tracknumber', ['-'])[0]
    print(os.path.basename(path), title, track, sep='|')
)"),
                                           m_out);
        Pieces found;
        for (const QString &line : listing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(QLatin1Char('|'));
            if (fields.size() != 3)
                continue;
            korvex::AudioFile reader;
            reader.openForRead(m_out + QLatin1Char('/') + fields.at(0), 0, 1);
            found.insert(fields.at(0), {fields.at(1), fields.at(2), reader.length()});
        }
        return found;
    }

    // The name of the first run's piece with this track number.
    static QString nameOfTrack(const Pieces &pieces, const QString &track)
    {
        for (auto it = pieces.cbegin(); it != pieces.cend(); ++it) {
            if (it->track == track)
                return it.key();
        }
        return {};
    }

    qint64 inode(const QString &name) const
    {
        struct stat st {};
        ::stat(QFile::encodeName(m_out + QLatin1Char('/') + name).constData(), &st);
        return qint64(st.st_ino);
    }

    // Splits the sheet with `options`, loses track 2, puts track 1's file at
    // track 3's name (a piece of the wrong length, as a stopped run leaves
    // one) and resumes: the pieces come out as the first run wrote them.
    // `expectedNames` are the first run's, sorted.
    void resumeAfterLosingTwoPieces(const QString &sheet, const QStringList &options, const QStringList &expectedNames)
    {
        const QStringList split = QStringList{"split", "-o", m_out} + options + QStringList{sheet};
        const CliRun first = run(split);
        ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
        const Pieces written = pieces();
        ASSERT_EQ(written.keys(), expectedNames) << describe(written);
        for (int track = 1; track <= 4; ++track)
            ASSERT_FALSE(nameOfTrack(written, QString::number(track)).isEmpty()) << "track " << track;
        const QString kept1 = nameOfTrack(written, QStringLiteral("1"));
        const QString lost = nameOfTrack(written, QStringLiteral("2"));
        const QString damaged = nameOfTrack(written, QStringLiteral("3"));
        const QString kept4 = nameOfTrack(written, QStringLiteral("4"));
        const qint64 inode1 = inode(kept1);
        const qint64 inode4 = inode(kept4);
        ASSERT_TRUE(QFile::remove(m_out + QLatin1Char('/') + lost));
        ASSERT_TRUE(QFile::remove(m_out + QLatin1Char('/') + damaged));
        ASSERT_TRUE(QFile::copy(m_out + QLatin1Char('/') + kept1, m_out + QLatin1Char('/') + damaged));

        const CliRun resumed = run(QStringList{split.first(), QStringLiteral("--resume")} + split.mid(1));
        ASSERT_EQ(resumed.exitCode, 0) << resumed.errors.toStdString();
        EXPECT_TRUE(resumed.errors.contains(QStringLiteral("resume: 2 of 4 piece(s) are there and complete; 2 to write")))
            << resumed.errors.toStdString();
        // names, titles, track numbers and lengths as the first run wrote them
        EXPECT_EQ(describe(pieces()), describe(written));
        EXPECT_TRUE(QFileInfo::exists(m_out + QLatin1Char('/') + damaged + QStringLiteral(".incomplete")));
        EXPECT_EQ(inode(kept1), inode1) << "a complete piece is not written again";
        EXPECT_EQ(inode(kept4), inode4);

        const CliRun again = run(QStringList{split.first(), QStringLiteral("--resume")} + split.mid(1));
        EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
        EXPECT_TRUE(again.errors.contains(QStringLiteral("resume: 4 of 4 piece(s)"))) << again.errors.toStdString();
    }

    TestFolder m_folder;
    QString m_out = m_folder.file(QStringLiteral("out"));
};

TEST_F(CliResume, PiecesNamedAfterTheirOwnTitlesComeBackWithTheirNamesAndNumbers)
{
    resumeAfterLosingTwoPieces(waveAlbum(), {},
                               {"First_1.wma", "Interlude_1.wma", "Interlude_2.wma", "Third_1.wma"});
}

TEST_F(CliResume, PiecesNamedByAPatternComeBackWithTheirNumbersInTheirNames)
{
    resumeAfterLosingTwoPieces(waveAlbum(), {"--pattern", "{n:02} - {title}"},
                               {"01 - First.wma", "02 - Interlude.wma", "03 - Third.wma", "04 - Interlude.wma"});
}

TEST_F(CliResume, PiecesOfAnotherFormatAreMeasuredInIt)
{
    resumeAfterLosingTwoPieces(waveAlbum(), {"--format", "mp3"},
                               {"First_1.mp3", "Interlude_1.mp3", "Interlude_2.mp3", "Third_1.mp3"});
}

TEST_F(CliResume, CopiedPiecesComeBackAsCopies)
{
    ASSERT_TRUE(MakeToneWithFfmpeg(m_folder.file(QStringLiteral("album.mp3")), 10.0));
    resumeAfterLosingTwoPieces(writeSheet(QStringLiteral("album.mp3")), {"--format", "copy"},
                               {"First_1.mp3", "Interlude_1.mp3", "Interlude_2.mp3", "Third_1.mp3"});
}

// Every format's reader finds a whole piece as long as planned within the
// format's slack: a finished run leaves nothing to write.
TEST_F(CliResume, AFinishedRunOfEveryFormatLeavesNothingToWrite)
{
    const QString sheet = waveAlbum();
    for (const char *format : {"ogg", "opus", "flac", "m4a", "wav"}) {
        const QString out = m_folder.file(QLatin1String("out-") + QLatin1String(format));
        const QStringList split{"split", "-o", out, "--format", format, sheet};
        const CliRun first = run(split);
        ASSERT_EQ(first.exitCode, 0) << format << first.errors.toStdString();
        const CliRun resumed = run(QStringList{"split", "--resume"} + split.mid(1));
        EXPECT_EQ(resumed.exitCode, 0) << format;
        EXPECT_TRUE(resumed.errors.contains(QStringLiteral("resume: 4 of 4 piece(s) are there and complete; 0 to write")))
            << format << resumed.errors.toStdString();
    }
    ASSERT_TRUE(MakeToneWithFfmpeg(m_folder.file(QStringLiteral("album.ogg")), 10.0));
    const QString ogg = writeSheet(QStringLiteral("album.ogg"));
    const QStringList copy{"split", "-o", m_folder.file(QStringLiteral("out-copy")), "--format", "copy", ogg};
    ASSERT_EQ(run(copy).exitCode, 0);
    const CliRun resumed = run(QStringList{"split", "--resume"} + copy.mid(1));
    EXPECT_TRUE(resumed.errors.contains(QStringLiteral("4 of 4 piece(s)"))) << resumed.errors.toStdString();
}

} // namespace
