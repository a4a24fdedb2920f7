#include "components/AudioFile.h"
#include "components/MessagePump.h"
#include "components/SkinFace.h"
#include "joblist/ListActivity.h"
#include "joblist/FileAdder.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListText.h"
#include "settings/Settings.h"
#include "support/ExternalTools.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"
#include "settings/SettingsFile.h"
#include "support/VceditModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::MakeToneWithFfmpeg;
using korvex::test::RunMutagen;

namespace {

const QString TagWma = R"(import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
f['Title'] = [sys.argv[1].split('/')[-2] == 'folder' and 'Folder: Title/1' or 'Live: Part 1/2']
f['Author'] = ['Ensemble Ödön']
f['WM/AlbumTitle'] = ['Concerts']
f['Description'] = ['Recorded à Paris']
f['WM/Genre'] = ['Classical']
f['WM/Year'] = ['2004']
f.save()
)";

const QString TagMp3 = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, COMM, TCON
t = ID3()
t.add(TIT2(encoding=1, text='Chanson: à/b'))
t.add(TPE1(encoding=1, text='Chanteuse'))
t.add(TALB(encoding=1, text='Disque'))
t.add(COMM(encoding=1, lang='fra', desc='', text='Note'))
t.add(TCON(encoding=1, text='Chanson'))
t.save(sys.argv[1], v2_version=3, v1=2)
)";

class FileAdderTest : public ::testing::Test
{
protected:
    FileAdderTest()
    {
        QObject::connect(&adder, &FileAdder::stopPlaybackRequested, &adder, [this] {
            ++stops;
            player.Playing = false;
        });
    }

    QString tone(const QString &name, double seconds, const QString &tagScript = {})
    {
        const QString path = folder.file(name);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(MakeToneWithFfmpeg(path, seconds));
        if (!tagScript.isEmpty())
            RunMutagen(tagScript, path);
        return path;
    }

    QString damaged(const QString &name)
    {
        QDir().mkpath(QFileInfo(folder.file(name)).path());
        QFile file(folder.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 4096; ++i)
            file.putChar(char(i * 7919 % 251));
        return file.fileName();
    }

    void addFiles(const QStringList &paths)
    {
        seams.dialogs.openAnswer = paths;
        adder.AddFiles();
    }

    QString caption(int row) { return jobs.fileModel()->row(row).caption; }

    void expectMeasured(int row, const QString &path, int seconds, int seekRange)
    {
        const listrecord &job = jobs.JobRecords().at(row);
        EXPECT_EQ(job.FileName, path);
        EXPECT_EQ(job.Duration, seconds);
        EXPECT_EQ(job.SeekRange, seekRange);
        EXPECT_EQ(job.Count, 1);
        EXPECT_EQ(job.BeginTime.value(0), 0);
        EXPECT_EQ(job.EndTime.value(0), qint64(seconds) * 1000);
        AudioFile check;
        check.openForRead(path);
        EXPECT_EQ(job.Frames, check.length());
        EXPECT_EQ(jobs.fileModel()->row(row).durationText, TimeText(seconds));
        EXPECT_EQ(jobs.fileModel()->row(row).sizeText, SizeText(QFileInfo(path).size()));
    }

    test::TestFolder folder;
    test::VceditOverride module;
    test::RecordingSeams seams;
    JobList jobs;
    Settings settings;
    ListActivity activity;
    RunState &run = activity.run;
    PlayerState &player = activity.player;
    SkinFace skin;
    JobEditor editor{{jobs, settings, skin}, activity};
    AudioFile reader;
    SettingsFile settingsFile{folder.file(QStringLiteral("Korvex.ini"))};
    FileAdder adder{editor, reader, seams.seams(), settingsFile};
    int stops = 0;
};

} // namespace

TEST_F(FileAdderTest, SecondOfThreeFilesDamagedLeavesTheOthersInOrder)
{
    const QString first = tone("live.wma", 2.2, TagWma);
    const QString second = damaged("broken.wma");
    const QString third = tone("chanson.mp3", 3.1, TagMp3);
    jobs.appendEntry({"earlier", "00:00:09", "1.00MB"}, newListRecord("/earlier.wma", 9000, 9 * 44100, 1084));
    addFiles({first, second, third});

    ASSERT_EQ(seams.dialogs.openRequests.size(), 1);
    EXPECT_EQ(seams.dialogs.openRequests[0].filter, FileAdder::OpenFilter);
    EXPECT_TRUE(FileAdder::OpenFilter.startsWith("WMA Files(*.wma)|*.wma|"));
    EXPECT_TRUE(seams.dialogs.openRequests[0].multiple);
    EXPECT_EQ(seams.messages.errors, QStringList{"broken.wma this File is not supported."});

    ASSERT_EQ(jobs.rowCount(), 3);
    EXPECT_EQ(caption(1), "Live Part 12");
    EXPECT_EQ(jobs.TagRecords()[1].Title, "Live: Part 1/2");
    EXPECT_EQ(jobs.TagRecords()[1].Artist, QString::fromUtf8("Ensemble Ödön"));
    EXPECT_EQ(jobs.TagRecords()[1].Album, "Concerts");
    EXPECT_EQ(jobs.TagRecords()[1].Comment, QString::fromUtf8("Recorded à Paris"));
    EXPECT_EQ(jobs.TagRecords()[1].Genre, "Classical");
    EXPECT_EQ(jobs.TagRecords()[1].Year, "");  // never taken from a file
    expectMeasured(1, first, 2, 1084);

    EXPECT_EQ(caption(2), QString::fromUtf8("Chanson àb"));
    EXPECT_EQ(jobs.TagRecords()[2].Title, QString::fromUtf8("Chanson: à/b"));  // as written
    EXPECT_EQ(jobs.TagRecords()[2].Artist, "Chanteuse");
    EXPECT_EQ(jobs.TagRecords()[2].Comment, "Note");
    expectMeasured(2, third, 3, 1084);

    EXPECT_EQ(jobs.selectedFileRow(), 0);
    EXPECT_EQ(reader.isOpen(), 0);
    EXPECT_EQ(skin.text("tataltime"), TimeText(9 + 2 + 3));
}

TEST_F(FileAdderTest, ShortFileIsRejectedAsErrorAndTheNextTakesItsPlace)
{
    const QString shortFile = tone("short.wma", 0.4);
    const QString ogg = tone("song.ogg", 2.5, R"(import sys
from mutagen.oggvorbis import OggVorbis
f = OggVorbis(sys.argv[1])
f['title'] = ['  Élan: vital  ']
f['artist'] = ['Chœur']
f['genre'] = ['Choral']
f.save()
)");
    addFiles({shortFile, ogg, ogg});
    EXPECT_EQ(seams.messages.errors, QStringList{"short.wma this File is Error or not supported."});
    ASSERT_EQ(jobs.rowCount(), 2);  // the same file twice makes two entries
    for (int row : {0, 1}) {
        EXPECT_EQ(caption(row), QString::fromUtf8("Élan vital"));
        // the record keeps the title as written, trimmed; only the caption is cleaned
        EXPECT_EQ(jobs.TagRecords()[row].Title, QString::fromUtf8("Élan: vital"));
        EXPECT_EQ(jobs.TagRecords()[row].Artist, QString::fromUtf8("Chœur"));
        EXPECT_EQ(jobs.TagRecords()[row].Genre, "Choral");
        expectMeasured(row, ogg, 2, 1084);
    }
}

TEST_F(FileAdderTest, CaptionRulesForMp3AndUntaggedFiles)
{
    const QString v1Only = tone("v1.mp3", 1.5, R"(import sys
from mutagen.id3 import ID3, TIT2, delete
t = ID3()
t.add(TIT2(encoding=0, text='Version One'))
t.save(sys.argv[1], v1=2)
delete(sys.argv[1], delete_v1=False, delete_v2=True)
)");
    const QString blank = tone("blank.WMA", 1.5, R"(import sys
from mutagen.asf import ASF
f = ASF(sys.argv[1])
f['Title'] = ['   ']
f.save()
)");
    const QString flac = tone("plain.flac", 1.5);
    addFiles({v1Only, blank, flac});
    EXPECT_TRUE(seams.messages.errors.isEmpty()) << seams.messages.errors.join('\n').toStdString();
    ASSERT_EQ(jobs.rowCount(), 3);
    EXPECT_EQ(caption(0), "Version One");
    EXPECT_EQ(jobs.TagRecords()[0].Title, "");
    EXPECT_EQ(caption(1), "blank.WMA");
    EXPECT_EQ(caption(2), "plain.flac");
    EXPECT_EQ(jobs.TagRecords()[2].Title, "");
}

TEST_F(FileAdderTest, ThirteenthRowNarrowsTheFileNameColumn)
{
    for (int i = 0; i < 12; ++i)
        jobs.appendEntry({QString::number(i), {}, {}}, newListRecord("/x.wma", 60000, 60 * 44100, 1084));
    EXPECT_EQ(jobs.fileModel()->columnWidth(FileListModel::FileNameColumn), 120);
    QSignalSpy header(jobs.fileModel(), &QAbstractItemModel::headerDataChanged);
    addFiles({tone("thirteen.wma", 1.5)});
    ASSERT_EQ(jobs.rowCount(), 13);
    EXPECT_EQ(jobs.fileModel()->columnWidth(FileListModel::FileNameColumn), 113);
    EXPECT_FALSE(header.isEmpty());
}

TEST_F(FileAdderTest, FolderAddsOnlyItsOwnWmaFiles)
{
    const QString wma = tone("folder/Tone.WMA", 2.2, TagWma);
    tone("folder/other.mp3", 1.5, TagMp3);
    tone("folder/other.ogg", 1.5);
    tone("folder/sub/deeper.wma", 1.5);
    seams.dialogs.folderAnswer = folder.file("folder");
    adder.AddFolder();

    EXPECT_EQ(seams.dialogs.folderCaptions, QStringList{"Add File Directory"});
    EXPECT_EQ(seams.dialogs.folderForOutput, QList<bool>{false});
    EXPECT_TRUE(seams.messages.errors.isEmpty());
    ASSERT_EQ(jobs.rowCount(), 1);
    EXPECT_EQ(caption(0), "Folder: Title/1");  // a folder's titles are not cleaned
    EXPECT_EQ(jobs.TagRecords()[0].Title, "Folder: Title/1");
    EXPECT_EQ(jobs.TagRecords()[0].Artist, QString::fromUtf8("Ensemble Ödön"));
    expectMeasured(0, wma, 2, 1014);
    EXPECT_EQ(jobs.selectedFileRow(), 0);
}

TEST_F(FileAdderTest, FolderRejectsDamagedAndZeroLengthFiles)
{
    damaged("folder/bad.wma");
    tone("folder/tiny.wma", 0.3);
    seams.dialogs.folderAnswer = folder.file("folder");
    adder.AddFolder();
    EXPECT_EQ(jobs.rowCount(), 0);
    QStringList errors = seams.messages.errors;
    errors.sort();
    EXPECT_EQ(errors, (QStringList{"bad.wma this File is not supported.",
                                   "tiny.wma this File is Error or not supported."}));
}

TEST_F(FileAdderTest, CancelledDialogsChangeNothingAndGuardsRefuse)
{
    player.Playing = true;
    addFiles({});
    adder.AddFolder();
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(player.Playing);
    EXPECT_EQ(jobs.rowCount(), 0);

    run.Converting = true;
    addFiles({tone("any.wma", 1.5)});
    EXPECT_TRUE(seams.dialogs.openRequests.size() == 1);  // only the cancelled one
    run.Converting = false;

    addFiles({folder.file("any.wma")});
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(jobs.rowCount(), 1);
}

TEST_F(FileAdderTest, ListCommandsGivenWhileAddingAreIgnored)
{
    jobs.appendEntry({"kept", {}, {}}, newListRecord("/kept.wma", 9000, 9 * 44100, 1084));
    jobs.selectFileRow(0);
    int pumps = 0;
    const auto previous = SetMessagePumpHook([&] {
        ++pumps;
        editor.RemoveFile();
        editor.ClearJob();
        adder.AddFolder();
    });
    addFiles({tone("a.wma", 1.5), tone("b.wma", 1.5)});
    SetMessagePumpHook(previous);
    EXPECT_GE(pumps, 2);
    EXPECT_TRUE(seams.dialogs.folderCaptions.isEmpty());
    ASSERT_EQ(jobs.rowCount(), 3);
    EXPECT_EQ(caption(0), "kept");
    EXPECT_EQ(jobs.JobRecords()[2].FileName, folder.file("b.wma"));
}

// The measuring runs ahead on worker threads; the files still come in one
// by one: rows in the chosen order, each failure reported in its place with
// its row taken out, and lengths as one reader finds them file after file.
TEST_F(FileAdderTest, FilesMeasuredAheadStillComeInTheChosenOrder)
{
    const QString longWma = tone("long.wma", 30.5, TagWma);
    const QString shortWma = tone("short.wma", 0.4);
    const QString bad = damaged("bad.wma");
    const QString ogg = tone("song.ogg", 2.5);
    const QString missing = folder.file("missing.mp3");
    const QString mp3 = tone("chanson.mp3", 3.1, TagMp3);
    const QString flac = tone("plain.flac", 1.5);
    QMutex threadsMutex;
    QSet<QThread *> threads;
    FileAdder parallel{editor, reader, seams.seams(), settingsFile, nullptr, [&] {
                           QMutexLocker lock(&threadsMutex);
                           threads.insert(QThread::currentThread());
                           return std::make_unique<AudioFile>();
                       }};
    QStringList timed;  // each entry's file once its time shows
    QObject::connect(jobs.fileModel(), &QAbstractItemModel::dataChanged, &parallel,
                     [&](const QModelIndex &from, const QModelIndex &to) {
                         if (from.column() > FileListModel::TimeColumn || to.column() < FileListModel::TimeColumn)
                             return;
                         for (int row = from.row(); row <= to.row(); ++row) {
                             const QString name = QFileInfo(jobs.JobRecords().at(row).FileName).fileName();
                             // the size follows in the same column
                             if (!jobs.fileModel()->row(row).durationText.isEmpty()
                                 && (timed.isEmpty() || timed.last() != name))
                                 timed.append(name);
                         }
                     });
    seams.dialogs.openAnswer = {longWma, shortWma, bad, ogg, missing, mp3, flac};
    parallel.AddFiles();

    EXPECT_EQ(seams.messages.errors, (QStringList{"short.wma this File is Error or not supported.",
                                                  "bad.wma this File is not supported.",
                                                  "missing.mp3 this File is not supported."}));
    EXPECT_EQ(timed, (QStringList{"long.wma", "short.wma", "song.ogg", "chanson.mp3", "plain.flac"}));
    ASSERT_EQ(jobs.rowCount(), 4);
    EXPECT_EQ(caption(0), "Live Part 12");
    EXPECT_EQ(jobs.TagRecords()[0].Artist, QString::fromUtf8("Ensemble Ödön"));
    EXPECT_EQ(caption(1), "song.ogg");
    EXPECT_EQ(caption(2), QString::fromUtf8("Chanson àb"));
    EXPECT_EQ(jobs.TagRecords()[2].Artist, "Chanteuse");
    EXPECT_EQ(caption(3), "plain.flac");
    expectMeasured(0, longWma, 30, 1084);
    expectMeasured(1, ogg, 2, 1084);
    expectMeasured(2, mp3, 3, 1084);
    expectMeasured(3, flac, 1, 1084);
    // Lengths are remembered per file: a copy is measured anew, as the
    // window's reader alone measured every file before.
    for (int row = 0; row < jobs.rowCount(); ++row) {
        const QString copy = folder.file(QStringLiteral("copy-%1").arg(row));
        ASSERT_TRUE(QFile::copy(jobs.JobRecords()[row].FileName, copy));
        AudioFile alone;
        alone.openForRead(copy, 0, 1);
        EXPECT_EQ(jobs.JobRecords()[row].Frames, alone.length()) << row;
        EXPECT_EQ(jobs.JobRecords()[row].Duration, alone.duration() / 1000) << row;
    }

    EXPECT_FALSE(threads.contains(QThread::currentThread()));
    EXPECT_FALSE(threads.isEmpty());
    EXPECT_EQ(reader.isOpen(), 0);
    EXPECT_FALSE(jobs.Adding());
    EXPECT_EQ(jobs.selectedFileRow(), 0);
    EXPECT_EQ(skin.text("tataltime"), TimeText(30 + 2 + 3 + 1));
}

// Every turn the window gets while a file is measured holds the list lock,
// and what is given then is refused or waits, as between files.
TEST_F(FileAdderTest, TheListStaysLockedWhileFilesAreMeasured)
{
    const QStringList files{tone("first.wma", 20), tone("second.wma", 1.5)};
    jobs.appendEntry({"kept", {}, {}}, newListRecord("/kept.wma", 9000, 9 * 44100, 1084));
    jobs.selectFileRow(0);
    int pumps = 0;
    int unlocked = 0;
    const auto previous = SetMessagePumpHook([&] {
        ++pumps;
        if (!jobs.Adding() || !adder.locked())
            ++unlocked;
        editor.ClearJob();
        editor.MoveDown();
        adder.AddFileList({files[1]});
    });
    addFiles(files);
    SetMessagePumpHook(previous);
    EXPECT_GE(pumps, 2);
    EXPECT_EQ(unlocked, 0);
    ASSERT_EQ(jobs.rowCount(), 3);
    EXPECT_EQ(caption(0), "kept");
    EXPECT_EQ(jobs.JobRecords()[1].FileName, files[0]);
    EXPECT_EQ(jobs.JobRecords()[2].FileName, files[1]);
    EXPECT_FALSE(adder.locked());
}
