#include "components/AudioFile.h"
#include "joblist/ListFile.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// korvex-cli split --list / join --list and --resume, on lists made with the
// list writer the window saves with, run by the real program.
class CliListTest : public ::testing::Test
{
protected:
    CliListTest() { QDir().mkpath(m_out); }

    struct Result
    {
        int exitCode = -1;
        QString errors;
    };

    Result run(const QStringList &arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder.configHome());
        environment.insert(QStringLiteral("HOME"), m_folder.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(KORVEX_BINARY_DIR "/korvex-cli"), arguments);
        EXPECT_TRUE(process.waitForFinished(300000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString tone(const QString &name, double seconds)
    {
        const QString path = m_folder.file(name);
        QDir().mkpath(QFileInfo(path).path());
        writeAudioFile(path, sineSpec(44100, 2, qint64(seconds * 44100)));
        return path;
    }

    // a.wav (6 s) with three segments, the first with its own title, and
    // b.wav (4 s) whole; the entries' tags edited; custom mode.
    QString writeList()
    {
        ListEntry a;
        a.FileName = tone(QStringLiteral("src/a.wav"), 6.0);
        a.Segments = {{0, 1000, {QStringLiteral("Opening"), {}}},
                      {1000, 3500, {}},
                      {3500, 6000, {}},
                      {0, 6000, {}}};
        a.Tags.Title = QStringLiteral("Alpha");
        a.Tags.Artist = QStringLiteral("Band");
        ListEntry b;
        b.FileName = tone(QStringLiteral("src/b.wav"), 4.0);
        b.Segments = {{0, 4000, {}}};
        b.Tags.Title = QStringLiteral("Beta");
        SavedList list;
        list.settings.SplitMode = 0;
        list.settings.OutputFolder = m_out + QLatin1Char('/');
        list.entries = {a, b};
        const QString path = m_folder.file(QStringLiteral("src/job.korvex"));
        WriteListFile(path, list);
        return path;
    }

    QStringList outputs() const { return QDir(m_out).entryList(QDir::Files, QDir::Name); }
    // Sample frames as Korvex's reader counts them (the encoder's padding trimmed).
    static qint64 frames(const QString &path)
    {
        korvex::AudioFile file;
        file.openForRead(path, 0, 1);
        return file.length();
    }
    qint64 frames(const char *name) const { return frames(m_out + QLatin1Char('/') + QLatin1String(name)); }

    TestFolder m_folder;
    QString m_out = m_folder.file(QStringLiteral("out"));
};

TEST_F(CliListTest, SplitRunsTheListsSegmentsTagsAndSettings)
{
    const QString list = writeList();
    const Result result = run({QStringLiteral("split"), QStringLiteral("--list"), list});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    // named after the segment's own title, else the rows' captions (the files' names), tagged with the
    // edited tags
    EXPECT_EQ(outputs(), (QStringList{"Opening_1.wma", "a_1.wma", "a_2.wma", "b_1.wma"}));
    EXPECT_EQ(frames("Opening_1.wma"), 44100);
    EXPECT_EQ(frames("a_1.wma"), 110250);
    EXPECT_EQ(frames("a_2.wma"), 110250);
    EXPECT_EQ(frames("b_1.wma"), 176400);
    const QString artist = RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                                     "print(ASF(sys.argv[1])['Author'][0])\n"),
                                      m_out + QStringLiteral("/a_2.wma"));
    EXPECT_EQ(artist.trimmed(), QStringLiteral("Band"));
    EXPECT_FALSE(QFileInfo::exists(m_folder.configHome() + QStringLiteral("/Korvex.ini")))
        << "korvex-cli never writes the settings file";
}

TEST_F(CliListTest, OptionsGivenOverrideTheListsSettings)
{
    const QString list = writeList();
    const QString elsewhere = m_folder.file(QStringLiteral("elsewhere"));
    const Result result = run({"split", "--list", list, "--mode", "count", "--count", "2", "-o", elsewhere});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files, QDir::Name),
              (QStringList{"a_1.wma", "a_2.wma", "b_1.wma", "b_2.wma"}));
    EXPECT_EQ(frames(elsewhere + QStringLiteral("/b_2.wma")), 88200);
}

TEST_F(CliListTest, JoinRunsTheListsSegmentsInOrder)
{
    const QString list = writeList();
    const QString joined = m_folder.file(QStringLiteral("joined.wma"));
    const Result result = run({"join", "--list", list, "-o", joined});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    // custom join: a's three segments (6 s) and b whole (4 s)
    EXPECT_EQ(frames(joined), 441000);
}

TEST_F(CliListTest, AListThatCannotBeRunIsBadInputAndWritesNothing)
{
    const QString list = writeList();
    QFile::remove(m_folder.file(QStringLiteral("src/b.wav")));
    Result result = run({"split", "--list", list});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains(m_folder.file(QStringLiteral("src/b.wav")))) << result.errors.toStdString();

    result = run({"split", "--list", QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/list-newer-version.korvex")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains(QStringLiteral("newer Korvex"))) << result.errors.toStdString();
    result = run({"split", "--list", QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/list-cut-off.korvex")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.errors.contains(QStringLiteral("JSON is damaged"))) << result.errors.toStdString();
    EXPECT_EQ(run({"split", "--list", list, m_folder.file(QStringLiteral("src/a.wav"))}).exitCode, 2);
    EXPECT_EQ(run({"info", "--list", list}).exitCode, 2);
    EXPECT_EQ(run({"join", "--resume", "--list", list, "-o", m_folder.file(QStringLiteral("j"))}).exitCode, 2);
    EXPECT_TRUE(outputs().isEmpty());
}

TEST_F(CliListTest, ResumeWritesOnlyThePiecesThatAreMissingOrIncomplete)
{
    const QString list = writeList();
    ASSERT_EQ(run({"split", "--list", list}).exitCode, 0);
    ASSERT_EQ(outputs().size(), 4);
    const QString kept = m_out + QStringLiteral("/a_1.wma");
    const QString deleted = m_out + QStringLiteral("/a_2.wma");
    const QString damaged = m_out + QStringLiteral("/b_1.wma");
    ASSERT_TRUE(QFile::remove(deleted));
    // a piece of the wrong length under b_1's name, as a stopped run leaves one
    ASSERT_TRUE(QFile::remove(damaged));
    ASSERT_TRUE(QFile::copy(kept, damaged));
    const QFileInfo before(kept);
    const qint64 keptInode = [&] {
        struct stat st {};
        ::stat(QFile::encodeName(kept).constData(), &st);
        return qint64(st.st_ino);
    }();

    const Result result = run({"split", "--resume", "--list", list});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(QStringLiteral("resume: 2 of 4 piece(s) are there and complete; 2 to write")))
        << result.errors.toStdString();
    // the second and third piece of a keep their names though the first is named after its own title
    EXPECT_EQ(outputs(), (QStringList{"Opening_1.wma", "a_1.wma", "a_2.wma", "b_1.wma", "b_1.wma.incomplete"}));
    // as an independent reader sees them, and exactly as Korvex's reader counts them
    EXPECT_NEAR(ProbedSeconds(deleted), 2.5, 0.2);
    EXPECT_NEAR(ProbedSeconds(damaged), 4.0, 0.2);
    EXPECT_EQ(frames("a_2.wma"), 110250);
    EXPECT_EQ(frames("b_1.wma"), 176400);
    struct stat st {};
    ::stat(QFile::encodeName(kept).constData(), &st);
    EXPECT_EQ(qint64(st.st_ino), keptInode) << "a complete piece is not written again";
    EXPECT_EQ(QFileInfo(kept).lastModified(), before.lastModified());

    const Result again = run({"split", "--resume", "--list", list});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_TRUE(again.errors.contains(QStringLiteral("4 of 4 piece(s)"))) << again.errors.toStdString();
    EXPECT_EQ(outputs().size(), 5);
}

} // namespace
