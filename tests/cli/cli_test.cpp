#include "components/AudioFile.h"
#include "settings/Settings.h"
#include "settings/SettingsForm.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"
#include "support/TextFiles.h"
#include "support/TonesAndPauses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace korvex::test;

namespace {

struct CliResult
{
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs the real korvex-cli with its settings and home inside the test folder.
class CliTest : public ::testing::Test
{
protected:
    CliTest()
    {
        QDir().mkpath(m_out);
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder.configHome());
        m_environment.insert(QStringLiteral("HOME"), m_folder.path());
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        process.setProcessEnvironment(m_environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(KORVEX_BINARY_DIR "/korvex-cli"), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    CliResult run(const QStringList &arguments)
    {
        QProcess process;
        start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(300000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    QString tone(const QString &name, double seconds)
    {
        AudioSpec audio;
        audio.frames = qint64(seconds * 44100);
        const QString path = m_folder.file(name);
        writeAudioFile(path, audio);
        return path;
    }

    // Waits (real time: the test runs alone) until `path` holds at least
    // `bytes`; false after a minute.
    static bool waitForFile(const QString &path, qint64 bytes = 1)
    {
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(path).size() < bytes && waited.elapsed() < 60000)
            QThread::msleep(10);
        return QFileInfo(path).size() >= bytes;
    }

    QString settingsFile() const { return m_folder.configHome() + QStringLiteral("/Korvex.ini"); }
    QStringList outputs(const QString &folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }

    TestFolder m_folder;
    QString m_out = m_folder.file(QStringLiteral("out"));
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

// The cases of faults and hostile input a user may meet with korvex-cli:
// signals, kills, limits, files that cannot be written. One group with the
// engine's (`ctest -R HostileInput`).
class HostileInputCli : public CliTest
{
};

TEST_F(CliTest, HelpDocumentsEveryCommandAndOption)
{
    const CliResult result = run({QStringLiteral("--help")});
    EXPECT_EQ(result.exitCode, 0);
    for (const char *word : {"split", "join", "info", "profiles", "--mode", "--seconds", "--count", "--segments",
                             "--fade-in", "--fade-out", "--profile", "--format copy", "-o DIR", "-o OUT", "--overwrite", "--json",
                             "Korvex.ini", "silences", "--threshold", "--min-silence", "--segments silence",
                             "Ctrl-C", "Exit status", "--adjust", "[Function] Adjust", "--list", "--resume"})
        EXPECT_TRUE(result.output.contains(QLatin1String(word))) << word;
}

TEST_F(CliTest, BadInputEndsWithStatusTwoAndSaysWhy)
{
    const QString source = tone(QStringLiteral("four.wav"), 4.0);
    const QString junk = m_folder.file(QStringLiteral("junk.wma"));
    ASSERT_TRUE(writeTextFile(junk, "not audio at all"));
    const QString wma = m_folder.file(QStringLiteral("four.wma"));
    AudioSpec twoSeconds;
    twoSeconds.frames = 2 * 44100;
    writeAudioFile(wma, twoSeconds);
    tone(QStringLiteral("short.wav"), 0.9);
    const QString blocker = m_folder.file(QStringLiteral("plain-file"));
    ASSERT_TRUE(writeTextFile(blocker, "x"));

    const QList<std::pair<QStringList, QString>> cases = {
        {{"split", m_folder.file("missing.wma")}, "no such file"},
        // refusals name the file as typed and say why
        {{"split", "-o", m_out, "junk.wma"}, "junk.wma is not audio FFmpeg can decode: "},
        {{"split", "-o", m_out, source, "short.wav"}, "short.wav is shorter than one second"},
        {{"split", "--bogus", source}, "Unknown option"},
        {{"split", "--mode", "weird", source}, "--mode is custom, time, count or unify"},
        {{"split", "--seconds", "0", source}, "--seconds"},
        {{"split", "--count", "many", source}, "--count"},
        {{"split", "--segments", "5-2", source}, "must end after it begins"},
        {{"split", "--segments", "1-2,x", source}, "--segments"},
        {{"split", "--fade-in", "21", source}, "--fade-in"},
        {{"split", "--profile", "47", source}, "--profile"},
        {{"split", "-o", blocker + "/sub", source}, "cannot write to the output folder"},
        {{"split", "--mode", "time", "--segments", "1-2", "-o", m_out, source}, "--segments belongs"},
        {{"split", "--mode", "custom", "--segments", "10-20", "-o", m_out, source}, "begins after the end"},
        {{"join", source}, "-o OUT"},
        {{"join", "-o", blocker + "/mix", source}, "cannot write the joined file"},
        {{"join", "-o", m_folder.file("four"), source, wma}, "is one of the files to be joined"},
        {{"info", "--seconds", "3", source}, "belongs to split and join"},
        {{"info", "--threshold", "-30", source}, "belongs to silences, split and join"},
        {{"silences", "--threshold", "-200", source}, "--threshold"},
        {{"silences", "--min-silence", "3", source}, "--min-silence"},
        {{"silences"}, "no FILE given"},
        {{"profiles", "--json"}, "--json belongs to info"},
        {{"frob"}, "unknown command"},
    };
    for (const auto &[arguments, message] : cases) {
        const CliResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.errors.contains(message))
            << arguments.join(' ').toStdString() << ": " << result.errors.toStdString();
    }
    EXPECT_TRUE(outputs(m_out).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
}

TEST_F(CliTest, SplitTakesWhatIsNotGivenFromKorvexIniAndNeverWritesIt)
{
    const QString source = tone(QStringLiteral("tone.wav"), 5.0);
    const QString iniFolder = m_folder.file(QStringLiteral("from-ini"));
    QDir().mkpath(iniFolder);
    const QByteArray ini = "[Function]\nChoice=1\n[Output]\nDir=" + iniFolder.toUtf8() + "\n[Choice]\ntime=2\n";
    ASSERT_TRUE(writeTextFile(settingsFile(), ini));

    const CliResult fromIni = run({QStringLiteral("split"), source});
    EXPECT_EQ(fromIni.exitCode, 0) << fromIni.errors.toStdString();
    EXPECT_EQ(outputs(iniFolder), (QStringList{"tone_1.wma", "tone_2.wma", "tone_3.wma"}));
    // Not a terminal: one line per file written.
    EXPECT_EQ(fromIni.output, iniFolder + "/tone_1.wma\n" + iniFolder + "/tone_2.wma\n" + iniFolder + "/tone_3.wma\n");

    const CliResult given = run({"split", "--mode", "count", "--count", "2", "--profile", "15", "-o", m_out, source});
    EXPECT_EQ(given.exitCode, 0) << given.errors.toStdString();
    EXPECT_EQ(outputs(m_out), (QStringList{"tone_1.wma", "tone_2.wma"}));
    const ToolResult probe = RunTool(QStringLiteral("ffprobe"),
                                     {"-v", "error", "-show_entries", "stream=channels,bit_rate", "-of", "csv=p=0",
                                      m_out + "/tone_1.wma"});
    EXPECT_EQ(probe.output.trimmed(), QStringLiteral("1,48000"));  // index 15: 44 kHz, 48 kbps, mono
    EXPECT_EQ(readTextFile(settingsFile()), ini);
}

TEST_F(CliTest, SegmentsTakeMillisecondsAndTheWholeNumberOptionsStayWhole)
{
    const QString source = tone(QStringLiteral("ms.wav"), 5.0);
    const CliResult result =
        run({"split", "--mode", "custom", "--segments", "0.5-1.25,00:00:02.350-00:00:04", "-o", m_out, source});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    ASSERT_EQ(outputs(m_out), (QStringList{"ms_1.wma", "ms_2.wma"}));
    // frames 22050 to 55125 and 103635 to 176400 at 44.1 kHz, counted by a
    // reader that trims the encoder's padding
    const auto frames = [this](const QString &name) {
        korvex::AudioFile file;
        file.openForRead(m_out + name, 0, 1);
        return file.length();
    };
    EXPECT_EQ(frames("/ms_1.wma"), 55125 - 22050);
    EXPECT_EQ(frames("/ms_2.wma"), 176400 - 103635);

    EXPECT_EQ(run({"split", "--segments", "1.2345-2", "-o", m_out, source}).exitCode, 2);
    EXPECT_EQ(run({"split", "--segments", "2.5-2.5", "-o", m_out, source}).exitCode, 2);
    EXPECT_EQ(run({"split", "--mode", "time", "--seconds", "1.5", "-o", m_out, source}).exitCode, 2);
}

// What the settings dialog stores is what the CLI splits with: the mode as
// its radio button sets it, the rest through its "Ok", the file as Korvex
// leaves it when it closes.
TEST_F(CliTest, SplitWithoutOptionsFollowsWhatTheSettingsDialogStored)
{
    const QString source = tone(QStringLiteral("dialog.wav"), 6.0);
    const QString earlier = m_folder.file(QStringLiteral("earlier"));
    QDir().mkpath(earlier);
    {
        korvex::SettingsStore store(settingsFile());
        store.file().writeString(QStringLiteral("Output"), QStringLiteral("Dir"), earlier);
        store.LoadSettings();
        store.settings().SplitMode = korvex::split_mode::Count;
        korvex::SettingsForm form = korvex::SettingsFormFromStore(store);
        form.dirText = m_out;
        form.countText = QStringLiteral("3");
        form.wmaItem = 16;  // "WMA9 44KHz, 32Kbps, Mono, CBR"
        korvex::test::RecordingMessages messages;
        korvex::ApplySettingsForm(store, form, messages);
        store.SaveSettings();
        EXPECT_TRUE(messages.informations.isEmpty());
    }

    const CliResult result = run({QStringLiteral("split"), source});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(outputs(m_out), (QStringList{"dialog_1.wma", "dialog_2.wma", "dialog_3.wma"}));
    EXPECT_TRUE(outputs(earlier).isEmpty());
    for (const QString &piece : outputs(m_out)) {
        const ToolResult probe = RunTool(QStringLiteral("ffprobe"),
                                         {"-v", "error", "-show_entries", "stream=sample_rate,channels,bit_rate",
                                          "-of", "csv=p=0", m_out + "/" + piece});
        EXPECT_EQ(probe.output.trimmed(), QStringLiteral("44100,1,32000")) << piece.toStdString();
        EXPECT_NEAR(decodeFile(m_out + "/" + piece).frames(), 2 * 44100, 4096) << piece.toStdString();
    }
}

TEST_F(CliTest, JoinThenInfoDescribeFilesAsTheWindowWould)
{
    const QString first = tone(QStringLiteral("first.wav"), 2.0);
    const QString second = tone(QStringLiteral("second.wav"), 3.0);
    const CliResult joined = run({"join", "--mode", "time", "-o", m_folder.file("mix"), first, second});
    EXPECT_EQ(joined.exitCode, 0) << joined.errors.toStdString();
    const QString mix = m_folder.file(QStringLiteral("mix.wma"));
    ASSERT_TRUE(QFileInfo::exists(mix));

    const CliResult info = run({"info", "--json", mix, first});
    EXPECT_EQ(info.exitCode, 0) << info.errors.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(info.output.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2);
    const QJsonObject entry = entries.at(0).toObject();
    EXPECT_EQ(entry.keys().size(), 12);
    EXPECT_EQ(entry.value("path").toString(), mix);
    EXPECT_EQ(entry.value("caption").toString(), QStringLiteral("mix.wma"));
    EXPECT_NEAR(entry.value("duration_ms").toDouble(), 5000, 50);
    EXPECT_NEAR(entry.value("frames").toDouble(), 5 * 44100, 2048);
    EXPECT_EQ(entry.value("sample_rate").toInt(), 44100);
    EXPECT_EQ(entry.value("channels").toInt(), 2);
    for (const char *key : {"title", "artist", "album", "year", "comment", "genre"})
        EXPECT_TRUE(entry.value(QLatin1String(key)).isString()) << key;

    const CliResult plain = run({"info", first});
    EXPECT_TRUE(plain.output.startsWith(first + "\n"));
    EXPECT_TRUE(plain.output.contains(QStringLiteral("duration_ms  2000\n")));
}

TEST_F(CliTest, JoinReplacesAnExistingOutputOnlyWithOverwrite)
{
    const QString first = tone(QStringLiteral("first.wav"), 2.0);
    const QString mix = m_folder.file(QStringLiteral("mix.wma"));
    ASSERT_TRUE(writeTextFile(mix, "keep me"));
    for (const QString &typed : {m_folder.file("mix"), mix}) {
        const CliResult refused = run({"join", "--mode", "time", "-o", typed, first});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.errors.contains(mix + " exists; give --overwrite to replace it"))
            << refused.errors.toStdString();
        EXPECT_EQ(readTextFile(mix), QByteArray("keep me"));
    }
    EXPECT_EQ(run({"split", "--overwrite", "-o", m_out, first}).exitCode, 2);

    const CliResult replaced = run({"join", "--mode", "time", "--overwrite", "-o", m_folder.file("mix"), first});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.errors.toStdString();
    EXPECT_NEAR(double(decodeFile(mix).frames()), 2 * 44100, 4096);
}

TEST_F(CliTest, InfoDescribesEveryGoodFileAndReportsEachBadOne)
{
    const QString good = tone(QStringLiteral("good.wav"), 2.0);
    const QString other = tone(QStringLiteral("other.wav"), 3.0);
    ASSERT_TRUE(writeTextFile(m_folder.file(QStringLiteral("junk.ogg")), "OggS but not really"));
    const CliResult result = run({"info", "--json", good, "junk.ogg", "gone.wav", other});
    EXPECT_EQ(result.exitCode, 2);
    const QJsonArray entries = QJsonDocument::fromJson(result.output.toUtf8()).array();
    ASSERT_EQ(entries.size(), 2) << result.output.toStdString();
    EXPECT_EQ(entries.at(0).toObject().value("path").toString(), good);
    EXPECT_EQ(entries.at(1).toObject().value("path").toString(), other);
    EXPECT_TRUE(result.errors.contains("junk.ogg is not audio FFmpeg can decode")) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains("no such file: gone.wav"));
}

// An output that cannot be written is bad input (status 2), found before
// anything is converted: a name longer than a file name may be, a folder
// that takes no file whatever its permissions say.
TEST_F(HostileInputCli, AnOutputThatCannotBeWrittenEndsWithStatusTwo)
{
    const QString source = tone(QStringLiteral("in.wav"), 2.0);
    const CliResult longName = run({"join", "-o", m_out + QLatin1Char('/') + QString(256, QLatin1Char('n')), source});
    EXPECT_EQ(longName.exitCode, 2) << longName.errors.toStdString();
    EXPECT_TRUE(longName.errors.contains(QStringLiteral("longer than a file name may be")))
        << longName.errors.toStdString();
    const CliResult proc = run({"split", "--mode", "time", "--seconds", "1", "-o", "/proc", source});
    EXPECT_EQ(proc.exitCode, 2) << proc.errors.toStdString();
    EXPECT_TRUE(proc.errors.contains(QStringLiteral("cannot write to the output folder /proc")))
        << proc.errors.toStdString();
    EXPECT_TRUE(outputs(m_out).isEmpty());
}

TEST_F(CliTest, ProfilesListsAllFortySeven)
{
    const CliResult result = run({QStringLiteral("profiles")});
    EXPECT_EQ(result.exitCode, 0);
    const QStringList lines = result.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 47);
    EXPECT_TRUE(lines.at(9).startsWith(QStringLiteral(" 9  WMA9 44KHz, 128Kbps, Stereo, CBR")));
    EXPECT_TRUE(lines.at(46).contains(QStringLiteral("Lossless")));
}

// Ctrl-C, SIGTERM (timeout, kill, service managers) and SIGHUP stop alike:
// the piece being written is closed, tagged, named and reported with what it
// holds, and korvex-cli ends with 130.
TEST_F(HostileInputCli, InterruptingSignalsInRealTimeStopLikeStopAndKeepTheTaggedPartialPiece)
{
    const QString source = m_folder.file(QStringLiteral("long.wma"));
    // Pieces long enough that the signal lands inside the first one however
    // fast the encoder runs.
    ASSERT_TRUE(MakeToneWithFfmpeg(source, 900, {QStringLiteral("title=Interrupted")}));
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(number);
        const QString out = m_folder.file(QStringLiteral("out%1").arg(number));
        QProcess process;
        start(process, {"split", "--mode", "time", "--seconds", "800", "-o", out, source});
        const QString piece = out + QStringLiteral("/Interrupted_1.wma");
        ASSERT_TRUE(waitForFile(piece + QStringLiteral(".part")));
        QThread::msleep(200);
        ::kill(pid_t(process.processId()), number);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 130);
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(errors.contains(QStringLiteral("holds only what was converted until then:\n") + piece +
                                    QStringLiteral(" (it holds ")))
            << errors.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral(" of 800.0 s)"))) << errors.toStdString();
        EXPECT_EQ(outputs(out), QStringList{"Interrupted_1.wma"});
        const ToolResult probe = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                                     "-of", "csv=p=0", piece});
        EXPECT_GT(probe.output.toDouble(), 0.0);
        EXPECT_LT(probe.output.toDouble(), 750.0);
        const QString title = RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                                        "print(ASF(sys.argv[1]).tags['Title'][0])\n"),
                                         piece);
        EXPECT_EQ(title.trimmed(), QStringLiteral("Interrupted"));
    }
}

// A file-size limit (ulimit -f) ends the write, not the program: the piece
// keeps what fitted as a valid, shorter file and the error names it.
TEST_F(HostileInputCli, AFileSizeLimitEndsTheWriteAndKeepsAValidShorterPiece)
{
    const QString source = tone(QStringLiteral("limited.wav"), 60);
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    start(process, {"split", "--mode", "count", "--count", "1", "-o", m_out, source});
    ASSERT_TRUE(process.waitForFinished(300000));
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << "killed by the file-size signal";
    EXPECT_EQ(process.exitCode(), 1);
    const QString piece = m_out + QStringLiteral("/limited_1.wma");
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(piece)) << errors.toStdString();
    EXPECT_EQ(outputs(m_out), QStringList{"limited_1.wma"});
    EXPECT_LE(QFileInfo(piece).size(), 256 * 1024);
    const ToolResult probe = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                                 "-of", "csv=p=0", piece});
    EXPECT_GT(probe.output.toDouble(), 1.0) << probe.output.toStdString();
    EXPECT_LT(probe.output.toDouble(), 30.0) << probe.output.toStdString();
}

// The audio of the piece fits under a file-size limit, its tags do not: the
// piece is kept complete and untagged under its final name, the error names
// it, and the status is 1. The limit is the size of the same piece written
// with its tags, less one byte (the encoder gives the same audio each time).
TEST_F(HostileInputCli, TagsThatDoNotFitLeaveTheCompletePieceUntaggedAndNamed)
{
    const QString source = m_folder.file(QStringLiteral("titled.mp3"));
    ASSERT_TRUE(MakeToneWithFfmpeg(source, 5, {QStringLiteral("title=Refused tags"), QStringLiteral("artist=Somebody")}));
    const QString unlimited = m_folder.file(QStringLiteral("unlimited"));
    const CliResult first = run({"split", "--mode", "count", "--count", "1", "-o", unlimited, source});
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    const qint64 taggedSize = QFileInfo(unlimited + QStringLiteral("/Refused tags_1.wma")).size();
    ASSERT_GT(taggedSize, 0);

    QProcess process;
    process.setChildProcessModifier([taggedSize] {
        const rlimit limit{rlim_t(taggedSize - 1), rlim_t(taggedSize - 1)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    start(process, {"split", "--mode", "count", "--count", "1", "-o", m_out, source});
    ASSERT_TRUE(process.waitForFinished(300000));
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << "killed by the file-size signal";
    EXPECT_EQ(process.exitCode(), 1);
    const QString piece = m_out + QStringLiteral("/Refused tags_1.wma");
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("The tags could not be written into these files; they are kept "
                                               "without tags:\n") + piece))
        << errors.toStdString();
    EXPECT_EQ(outputs(m_out), QStringList{"Refused tags_1.wma"});
    EXPECT_LT(QFileInfo(piece).size(), taggedSize);
    EXPECT_NEAR(ProbedSeconds(piece), 5.0, 0.2);
    EXPECT_EQ(MutagenAsfLengthAndTitle(piece), QStringLiteral("5 False"));
}

// kill -9 leaves the piece under its temporary name only; info calls it
// incomplete, and the next run into the folder is not confused by it.
TEST_F(HostileInputCli, AKilledRunInRealTimeLeavesOnlyAPartFileThatInfoCallsIncomplete)
{
    const QString source = m_folder.file(QStringLiteral("long.wma"));
    ASSERT_TRUE(MakeToneWithFfmpeg(source, 900, {QStringLiteral("title=Killed")}));
    QProcess process;
    start(process, {"split", "--mode", "time", "--seconds", "800", "-o", m_out, source});
    const QString part = m_out + QStringLiteral("/Killed_1.wma.part");
    ASSERT_TRUE(waitForFile(part, 256 * 1024));
    ::kill(pid_t(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(outputs(m_out), QStringList{"Killed_1.wma.part"});

    const CliResult info = run({"info", part});
    EXPECT_EQ(info.exitCode, 2);
    EXPECT_TRUE(info.errors.contains(part + QStringLiteral(" is incomplete"))) << info.errors.toStdString();

    const QString shorter = m_folder.file(QStringLiteral("short.wma"));
    ASSERT_TRUE(MakeToneWithFfmpeg(shorter, 3, {QStringLiteral("title=Killed")}));
    const CliResult again = run({"split", "--mode", "time", "--seconds", "60", "-o", m_out, shorter});
    EXPECT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(outputs(m_out), (QStringList{"Killed_1.wma", "Killed_1.wma.part"}));
    EXPECT_EQ(run({"info", m_out + QStringLiteral("/Killed_1.wma")}).exitCode, 0);
}

TEST_F(CliTest, SilencesPrintsEachFilesPiecesOfSoundInTheSegmentsSyntax)
{
    const QString talk = m_folder.file(QStringLiteral("talk.flac"));
    writeTonesOverFloor(talk, 25.0, fiveTonesWithPauses());
    const QString loud = m_folder.file(QStringLiteral("loud.wav"));
    writeTonesOverFloor(loud, 6.0, {{0.0, 6.0}});
    const QString silent = m_folder.file(QStringLiteral("silent.flac"));
    writeTonesOverFloor(silent, 3.0, {}, -200.0);
    const QString off = m_folder.file(QStringLiteral("off.flac"));
    writeTonesOverFloor(off, 6.3, {{0.0, 2.0}, {3.5, 6.3}});

    const CliResult result = run({"silences", talk, loud, silent, off});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(result.output, "00:00:00-00:00:04,00:00:04-00:00:09,00:00:09-00:00:14,00:00:14-00:00:19,"
                             "00:00:19-00:00:25\t" + talk + "\n"
                             "00:00:00-00:00:06\t" + loud + "\n"
                             "\t" + silent + "\n"
                             "00:00:00-00:00:02.750,00:00:02.750-00:00:06.300\t" + off + "\n");
    EXPECT_TRUE(result.errors.contains(silent + " holds no sound louder than -40 dBFS"));

    // the options, then Korvex.ini's [Silence], decide
    const CliResult longer = run({"silences", "--min-silence", "2500", talk});
    EXPECT_EQ(longer.output, "00:00:00-00:00:25\t" + talk + "\n");
    ASSERT_TRUE(writeTextFile(settingsFile(), "[Silence]\nOffset=0\nTrim=250\n"));
    const CliResult trimmed = run({"silences", off});
    // cut where the pause begins; the second piece keeps 0.25 s of it
    EXPECT_EQ(trimmed.output, "00:00:00-00:00:02,00:00:03.250-00:00:06.300\t" + off + "\n");
    ASSERT_TRUE(writeTextFile(settingsFile(), "[Silence]\nThreshold=-70\n"));
    const CliResult fromIni = run({"silences", talk});
    EXPECT_EQ(fromIni.output, "00:00:00-00:00:25\t" + talk + "\n");
}

TEST_F(CliTest, SegmentsSilenceSplitsEveryFileAtItsPauses)
{
    const QString talk = m_folder.file(QStringLiteral("talk.flac"));
    writeTonesOverFloor(talk, 25.0, fiveTonesWithPauses());
    const CliResult result = run({"split", "--mode", "custom", "--segments", "silence", "-o", m_out, talk});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    ASSERT_EQ(outputs(m_out), (QStringList{"talk_1.wma", "talk_2.wma", "talk_3.wma", "talk_4.wma", "talk_5.wma"}));
    const ToolResult probe = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                                 "-of", "csv=p=0", m_out + "/talk_3.wma"});
    EXPECT_NEAR(probe.output.toDouble(), 5.0, 0.2);  // 9 s to 14 s; the container adds its codec padding

    const QString silent = m_folder.file(QStringLiteral("silent.flac"));
    writeTonesOverFloor(silent, 3.0, {}, -200.0);
    const CliResult refused = run({"join", "--mode", "custom", "--segments", "silence", "-o",
                                   m_folder.file("mix"), silent});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("holds no sound louder than -40 dBFS"));
    EXPECT_FALSE(QFileInfo::exists(m_folder.file("mix.wma")));
}

TEST_F(CliTest, AdjustMovesTheCutsOfATimeSplitIntoThePauses)
{
    // tones 0-3, 5-8, 10-13, 15-18, 20-23 s: the pauses' middles are 4, 9, 14, 19 s
    const QString talk = m_folder.file(QStringLiteral("talk.flac"));
    writeTonesOverFloor(talk, 25.0, fiveTonesWithPauses());
    const auto seconds = [](const QString &path) {
        const ToolResult probe = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries",
                                                                     "format=duration", "-of", "csv=p=0", path});
        return probe.output.toDouble();
    };
    const CliResult result = run({"split", "--mode", "time", "--seconds", "5", "--adjust", "1.5", "-o", m_out, talk});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    ASSERT_EQ(outputs(m_out), (QStringList{"talk_1.wma", "talk_2.wma", "talk_3.wma", "talk_4.wma", "talk_5.wma"}));
    // 0-4, 4-9, ..., 19-25: the codec's padding adds a little
    EXPECT_NEAR(seconds(m_out + "/talk_1.wma"), 4.0, 0.2);
    EXPECT_NEAR(seconds(m_out + "/talk_3.wma"), 5.0, 0.2);
    EXPECT_NEAR(seconds(m_out + "/talk_5.wma"), 6.0, 0.2);

    // 0.5 s reaches no pause middle from 5, 10, 15 or 20 s
    const QString near = m_folder.file(QStringLiteral("near"));
    const CliResult stays = run({"split", "--mode", "count", "--count", "5", "--adjust", "0.5", "-o", near, talk});
    EXPECT_EQ(stays.exitCode, 0) << stays.errors.toStdString();
    EXPECT_NEAR(seconds(near + "/talk_1.wma"), 5.0, 0.2);

    EXPECT_EQ(run({"split", "--adjust", "soon", talk}).exitCode, 2);
    EXPECT_EQ(run({"split", "--adjust", "601", talk}).exitCode, 2);
    const CliResult notJoin = run({"join", "--adjust", "2", "-o", m_folder.file("all"), talk});
    EXPECT_EQ(notJoin.exitCode, 2);
    EXPECT_TRUE(notJoin.errors.contains("--adjust belongs to split")) << notJoin.errors.toStdString();
}

// What ffprobe reads of the first audio stream, e.g. "mp3,128000".
QString probedStream(const QString &path, const char *entries)
{
    return RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                               QString::fromLatin1(entries), "-of", "csv=p=0", path})
        .output.trimmed();
}

TEST_F(CliTest, FormatAndQualityOptionsChooseTheEncodingForTheRunOnly)
{
    const QString source = tone(QStringLiteral("talk.wav"), 4.0);
    CliResult result = run({"split", "--format", "mp3", "--bitrate", "128", "--mode", "count", "--count", "2", "-o",
                         m_out, source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files, QDir::Name), QStringList({"talk_1.mp3", "talk_2.mp3"}));
    EXPECT_EQ(probedStream(m_out + "/talk_1.mp3", "stream=codec_name,bit_rate"), QStringLiteral("mp3,128000"));

    result = run({"split", "--format", "FLAC", "--compression", "8", "-o", m_out + "/flac", source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(probedStream(m_out + "/flac/talk_1.flac", "stream=codec_name,sample_rate,channels"),
              QStringLiteral("flac,44100,2"));

    // a copy of a FLAC source is written again at the level asked for:
    // level 0 codes blocks of 1152 samples, the default level 5 of 4608
    result = run({"split", "--format", "copy", "--compression", "0", "-o", m_out + "/copy",
                  m_out + "/flac/talk_1.flac"});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const QStringList copies = QDir(m_out + "/copy").entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(copies.isEmpty());
    EXPECT_EQ(RunMutagen(QStringLiteral("import sys, mutagen.flac\n"
                                        "print(mutagen.flac.FLAC(sys.argv[1]).info.max_blocksize)\n"),
                         m_out + "/copy/" + copies.first())
                  .trimmed(),
              QStringLiteral("1152"));

    result = run({"split", "--format", "wav", "--bits", "24", "-o", m_out + "/wav", source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(probedStream(m_out + "/wav/talk_1.wav", "stream=codec_name"), QStringLiteral("pcm_s24le"));

    // a join takes the format's extension and its quality
    result = run({"join", "--format", "opus", "--bitrate", "64", "-o", m_folder.file("both"), source, source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(probedStream(m_folder.file("both.opus"), "stream=codec_name,sample_rate"), QStringLiteral("opus,48000"));
    EXPECT_NEAR(ProbedSeconds(m_folder.file("both.opus")), 8.0, 0.05);

    // nothing of it was stored: a run without --format writes WMA
    EXPECT_FALSE(readTextFile(m_folder.configHome() + "/Korvex.ini").contains("Encoding"));
    result = run({"split", "-o", m_out + "/plain", source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(QDir(m_out + "/plain").entryList(QDir::Files), QStringList({"talk_1.wma"}));
}

TEST_F(CliTest, OptionsThatDoNotFitTheFormatAreRefusedWithStatusTwo)
{
    const QString source = tone(QStringLiteral("x.wav"), 1.0);
    const QList<std::pair<QStringList, const char *>> refused = {
        {{"--format", "aiff"}, "--format is wma, mp3"},
        {{"--format", "flac", "--vbr", "2"}, "--vbr does not apply to FLAC"},
        {{"--format", "mp3", "--bitrate", "400"}, "--bitrate for MP3 is 32 to 320"},
        {{"--format", "mp3", "--bitrate", "128", "--vbr", "0"}, "exclude each other"},
        {{"--format", "wav", "--bits", "20"}, "--bits is 16 or 24"},
        {{"--format", "ogg", "--quality", "11"}, "--quality wants a whole number from -1 to 10"},
        {{"--bitrate", "128"}, "--bitrate does not apply to WMA"},
    };
    for (const auto &[options, why] : refused) {
        const CliResult result = run(QStringList{"split"} + options + QStringList{"-o", m_out, source});
        EXPECT_EQ(result.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(result.errors.contains(QLatin1String(why))) << result.errors.toStdString();
    }
    EXPECT_FALSE(QDir(m_out).exists() && !QDir(m_out).isEmpty());
    const CliResult info = run({"info", "--format", "mp3", source});
    EXPECT_EQ(info.exitCode, 2);
    EXPECT_TRUE(info.errors.contains(QLatin1String("--format belongs to split and join"))) << info.errors.toStdString();
}

TEST_F(CliTest, TheFormatOfKorvexIniIsUsedWhenNoneIsGiven)
{
    const QString source = tone(QStringLiteral("ini.wav"), 1.0);
    ASSERT_TRUE(writeTextFile(m_folder.configHome() + "/Korvex.ini",
                              "[Output]\nFormat=2\n[Encoding]\nVorbisQuality=9\n"));
    const CliResult result = run({"split", "-o", m_out, source});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(probedStream(m_out + "/ini_1.ogg", "stream=codec_name"), QStringLiteral("vorbis"));
    // the file's quality with one option changed
    const CliResult quality = run({"split", "--quality", "-1", "-o", m_out + "/low", source});
    ASSERT_EQ(quality.exitCode, 0) << quality.errors.toStdString();
    EXPECT_LT(QFileInfo(m_out + "/low/ini_1.ogg").size(), QFileInfo(m_out + "/ini_1.ogg").size());
}

} // namespace

namespace {

TEST_F(CliTest, FormatCopyCutsAnMp3WithoutReEncodingAndRefusesWhatNeedsIt)
{
    AudioSpec made = noiseSpec(44100, 2, 4 * 44100);
    made.bitRate = 128000;
    const QString mp3 = m_folder.file(QStringLiteral("set.mp3"));
    writeAudioFile(mp3, made);
    const CliResult split = run({"split", "--format", "copy", "--mode", "count", "--count", "2", "-o", m_out, mp3});
    EXPECT_EQ(split.exitCode, 0) << split.errors.toStdString();
    ASSERT_EQ(outputs(m_out), QStringList({"set_1.mp3", "set_2.mp3"}));
    QList<float> joined = decodeFile(m_out + QStringLiteral("/set_1.mp3")).samples;
    joined.append(decodeFile(m_out + QStringLiteral("/set_2.mp3")).samples);
    EXPECT_EQ(joined, decodeFile(mp3).samples);

    const CliResult faded = run({"split", "--format", "copy", "--fade-out", "2", "-o", m_out, mp3});
    EXPECT_EQ(faded.exitCode, 2);
    EXPECT_TRUE(faded.errors.contains(QStringLiteral("a fade-out"))) << faded.errors.toStdString();

    const QString other = m_folder.file(QStringLiteral("mono.mp3"));
    writeAudioFile(other, sineSpec(44100, 1, 44100));
    const CliResult unlike = run({"join", "--format", "copy", "-o", m_folder.file(QStringLiteral("both")), mp3, other});
    EXPECT_EQ(unlike.exitCode, 2);
    EXPECT_TRUE(unlike.errors.contains(QStringLiteral("1 channels"))) << unlike.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_folder.file(QStringLiteral("both.mp3"))));

    const CliResult same = run({"join", "--format", "copy", "-o", m_folder.file(QStringLiteral("twice")), mp3, mp3});
    EXPECT_EQ(same.exitCode, 0) << same.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(m_folder.file(QStringLiteral("twice.mp3"))));

    const CliResult bogus = run({"split", "--format", "mp4", "-o", m_out, mp3});
    EXPECT_EQ(bogus.exitCode, 2);
    EXPECT_TRUE(bogus.errors.contains(QStringLiteral("--format"))) << bogus.errors.toStdString();
}

} // namespace
