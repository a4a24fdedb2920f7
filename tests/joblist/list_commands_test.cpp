#include "joblist/ListAutosave.h"
#include "joblist/ListFile.h"
#include "settings/Settings.h"
#include "support/CoreFixture.h"
#include "support/TextFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using namespace korvex;
using namespace korvex::test;
using Source = CommandTable::Source;

namespace {

// Save List and Open List through the core's command table, on real files
// measured by the real reader, with the settings file of the test's folder.
class ListCommandsTest : public CoreTest
{
protected:
    bool give(const char *name) { return bench().commands().dispatch(Source::Menu, QString::fromLatin1(name)); }

    // Two entries with segments in milliseconds, own tags and edited tags,
    // and settings that differ from every default.
    void buildList()
    {
        QDir().mkpath(m_folder.file(QStringLiteral("src")));
        add({makeTone(QStringLiteral("src/a.wav"), 6.0), makeTone(QStringLiteral("b.wav"), 4.5)});
        JobList &jobs = bench().jobs();
        listrecord &a = jobs.job(0);
        a.BeginTime = {250, 2000, 1000};
        a.EndTime = {1750, 5999, 3000};
        a.Count = 3;
        a.OwnTags = {{QStringLiteral("First"), QStringLiteral("Someone")}};
        jobs.tags(0) = {QStringLiteral("Title A"), QStringLiteral("Artist A"), QStringLiteral("1999"),
                        QStringLiteral("Album A"), QStringLiteral("Comment A"), QStringLiteral("Genre A")};
        jobs.tags(1).Title = QStringLiteral("Only a title");
        Settings &s = bench().settings();
        s.SplitMode = split_mode::Count;
        s.SplitSeconds = 17;
        s.SplitCount = 4;
        s.FadeIn = true;
        s.FadeInSeconds = 2;
        s.EdgeMs = 30;
        s.OutputFolder = m_folder.file(QStringLiteral("out/"));
        s.Format = OutputFormat::OggVorbis;
    }

    QString saveAs(const char *name)
    {
        m_seams.dialogs.saveAnswer = m_folder.file(QString::fromLatin1(name));
        EXPECT_TRUE(give("SaveList1"));
        EXPECT_TRUE(QFile::exists(m_seams.dialogs.saveAnswer)) << m_seams.messages.errors.join(u'\n').toStdString();
        return m_seams.dialogs.saveAnswer;
    }

    void open(const QString &listPath)
    {
        m_seams.dialogs.openAnswer = {listPath};
        EXPECT_TRUE(give("OpenList1"));
    }
};

TEST_F(ListCommandsTest, ASavedListOpensAsTheSameRowsSegmentsTagsAndSettings)
{
    buildList();
    const QList<listrecord> jobsBefore = bench().jobs().JobRecords();
    const QList<AudioFileinfo> tagsBefore = bench().jobs().TagRecords();
    const ListSettings settingsBefore = ListSettingsOf(bench().settings());
    const QString listPath = saveAs("work.korvex");
    EXPECT_EQ(m_seams.dialogs.saveRequests.constLast().defaultSuffix, QStringLiteral("korvex"));

    // another list and other settings in between
    bench().editor().ClearJob();
    add({makeTone(QStringLiteral("c.wav"), 2.0)});
    bench().settings() = Settings{};
    m_seams.messages.questionAnswer = true;
    open(listPath);

    EXPECT_EQ(m_seams.messages.questions.size(), 1) << "the list of one file is replaced only after a question";
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << m_seams.messages.errors.join(u'\n').toStdString();
    const JobList &jobs = bench().jobs();
    ASSERT_EQ(jobs.rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const listrecord &now = jobs.JobRecords().at(row);
        const listrecord &was = jobsBefore.at(row);
        EXPECT_EQ(now.FileName, was.FileName);
        EXPECT_EQ(now.Count, was.Count);
        EXPECT_EQ(now.BeginTime.mid(0, now.Count), was.BeginTime.mid(0, was.Count));
        EXPECT_EQ(now.EndTime.mid(0, now.Count), was.EndTime.mid(0, was.Count));
        EXPECT_EQ(now.DurationMs, was.DurationMs) << "measured afresh, as when it was added";
        EXPECT_EQ(now.OwnTags.size(), was.OwnTags.size());
        EXPECT_EQ(jobs.TagRecords().at(row).Title, tagsBefore.at(row).Title);
        EXPECT_EQ(jobs.TagRecords().at(row).Year, tagsBefore.at(row).Year);
        EXPECT_EQ(jobs.TagRecords().at(row).Genre, tagsBefore.at(row).Genre);
    }
    EXPECT_EQ(jobs.JobRecords().at(0).OwnTags.at(0).Title, QStringLiteral("First"));
    EXPECT_EQ(jobs.JobRecords().at(0).OwnTags.at(0).Artist, QStringLiteral("Someone"));
    EXPECT_TRUE(ListSettingsOf(bench().settings()) == settingsBefore);

    // the settings reach Korvex.ini as the dialog's Ok would write them
    SettingsStore reread(bench().store().file().fileName());
    reread.LoadSettings();
    EXPECT_TRUE(ListSettingsOf(reread.settings()) == settingsBefore);
    ASSERT_EQ(m_seams.messages.informations.size(), 1);
    const QString said = m_seams.messages.informations.constFirst();
    EXPECT_TRUE(said.contains(QStringLiteral("mode count (was custom)"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("format Ogg"))) << said.toStdString();
}

TEST_F(ListCommandsTest, FilesThatMovedAreNamedAndLeftOutAndTheRestIsRestored)
{
    buildList();
    const QString listPath = saveAs("work.korvex");
    const QString moved = bench().jobs().job(0).FileName;
    ASSERT_TRUE(QFile::rename(moved, m_folder.file(QStringLiteral("elsewhere.wav"))));
    bench().editor().ClearJob();
    open(listPath);

    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors.constFirst().contains(moved)) << m_seams.messages.errors.constFirst().toStdString();
    ASSERT_EQ(bench().jobs().rowCount(), 1);
    EXPECT_EQ(bench().jobs().job(0).FileName, m_folder.file(QStringLiteral("b.wav")));
    EXPECT_EQ(bench().jobs().tags(0).Title, QStringLiteral("Only a title"));
    EXPECT_TRUE(m_seams.messages.informations.constFirst().contains(QStringLiteral("1 of its 2 file(s)")));
}

TEST_F(ListCommandsTest, SegmentsPastTheEndOfAShortenedFileAreShortenedOrDropped)
{
    buildList();
    const QString listPath = saveAs("work.korvex");
    // a.wav is now 3 s: 0.25–1.75 stays, 2–5.999 ends at 3 s
    makeTone(QStringLiteral("src/a.wav"), 3.0);
    SavedList list = ReadListFile(listPath);
    list.entries[0].Segments.insert(2, {4000, 5000, {QStringLiteral("Gone"), {}}});
    WriteListFile(listPath, list);
    bench().editor().ClearJob();
    open(listPath);

    const listrecord &a = bench().jobs().job(0);
    EXPECT_EQ(a.Count, 3);
    EXPECT_EQ(a.BeginTime.mid(0, 2), (QList<qint64>{250, 2000}));
    EXPECT_EQ(a.EndTime.mid(0, 2), (QList<qint64>{1750, 3000}));
    EXPECT_EQ(a.OwnTags.size(), 1);
    const QString said = m_seams.messages.informations.constFirst();
    EXPECT_TRUE(said.contains(QStringLiteral("a.wav is now 00:00:03 long: 1 segment(s) beginning after its end left "
                                             "out, 1 segment(s) shortened to its end")))
        << said.toStdString();
}

TEST_F(ListCommandsTest, ADamagedOrNewerListChangesNothing)
{
    buildList();
    const QList<listrecord> jobsBefore = bench().jobs().JobRecords();
    const ListSettings settingsBefore = ListSettingsOf(bench().settings());
    m_seams.messages.questionAnswer = true;
    for (const char *name : {"list-cut-off.korvex", "list-newer-version.korvex", "list-hostile-values.korvex"}) {
        m_seams.messages.errors.clear();
        open(QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/") + QString::fromLatin1(name));
        ASSERT_EQ(m_seams.messages.errors.size(), 1) << name;
        EXPECT_TRUE(m_seams.messages.errors.constFirst().contains(QString::fromLatin1(name)));
        EXPECT_TRUE(m_seams.messages.questions.isEmpty()) << "nothing is asked about a list that cannot be opened";
        ASSERT_EQ(bench().jobs().rowCount(), 2) << name;
        EXPECT_EQ(bench().jobs().job(0).BeginTime, jobsBefore.at(0).BeginTime) << name;
        EXPECT_TRUE(ListSettingsOf(bench().settings()) == settingsBefore) << name;
    }
}

TEST_F(ListCommandsTest, ANoToTheQuestionKeepsTheListAsItIs)
{
    buildList();
    const QString listPath = saveAs("work.korvex");
    bench().jobs().removeEntry(1);
    m_seams.messages.questionAnswer = false;
    open(listPath);
    EXPECT_EQ(m_seams.messages.questions.size(), 1);
    EXPECT_EQ(bench().jobs().rowCount(), 1);
    EXPECT_TRUE(m_seams.messages.informations.isEmpty());
}

TEST_F(ListCommandsTest, NoListIsSavedOrOpenedWhileARunHidesThePendingSegments)
{
    buildList();
    bench().run().Converting = true;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("during.korvex"));
    give("SaveList1");
    give("OpenList1");
    EXPECT_TRUE(m_seams.dialogs.saveRequests.isEmpty());
    EXPECT_TRUE(m_seams.dialogs.openRequests.size() == 1) << "only the add of buildList asked";
    bench().run().Converting = false;
}

// The working list kept for after a crash.
class WorkingListTest : public CoreTest
{
protected:
    QString stateFolder() const { return ListAutosave::defaultFolder(); }
};

TEST_F(WorkingListTest, TheListIsKeptAsItChangesAndGoneAfterANormalExit)
{
    EXPECT_EQ(stateFolder(), m_folder.file(QStringLiteral("state/korvex")));
    ListAutosave keeper(bench().jobs(), bench().settings());
    ASSERT_TRUE(keeper.claim());
    EXPECT_FALSE(keeper.leftOver());
    keeper.start();
    QSignalSpy kept(&keeper, &ListAutosave::kept);
    add({makeTone(QStringLiteral("a.wav"), 2.0)});
    ASSERT_TRUE(kept.wait(5000));
    const SavedList onDisk = ReadListFile(keeper.listPath());
    ASSERT_EQ(onDisk.entries.size(), 1);
    EXPECT_EQ(onDisk.entries.at(0).FileName, m_folder.file(QStringLiteral("a.wav")));

    bench().editor().ClearJob();
    ASSERT_TRUE(kept.wait(5000));
    EXPECT_FALSE(QFile::exists(keeper.listPath())) << "an empty list leaves nothing to restore";

    add({makeTone(QStringLiteral("b.wav"), 2.0)});
    ASSERT_TRUE(kept.wait(5000));
    keeper.finish();
    EXPECT_FALSE(QFile::exists(keeper.listPath()));
}

TEST_F(WorkingListTest, NothingIsWrittenWhileTheListIsNotWhatTheUserMade)
{
    add({makeTone(QStringLiteral("a.wav"), 2.0)});
    ListAutosave keeper(bench().jobs(), bench().settings());
    ASSERT_TRUE(keeper.claim());
    bool converting = true;
    keeper.waitWhile([&converting] { return converting; });
    keeper.saveNow();
    EXPECT_FALSE(QFile::exists(keeper.listPath()));
    converting = false;
    QSignalSpy kept(&keeper, &ListAutosave::kept);
    ASSERT_TRUE(kept.wait(5000)) << "the write waited, it was not dropped";
    EXPECT_TRUE(QFile::exists(keeper.listPath()));
}

TEST_F(WorkingListTest, ACrashLeavesTheListForTheNextStartAndASecondWindowKeepsNone)
{
    add({makeTone(QStringLiteral("a.wav"), 2.0)});
    QString path;
    {
        ListAutosave crashed(bench().jobs(), bench().settings());
        ASSERT_TRUE(crashed.claim());
        crashed.saveNow();
        path = crashed.listPath();

        // while it runs, another window cannot take the list over
        ListAutosave second(bench().jobs(), bench().settings());
        EXPECT_FALSE(second.claim());
        EXPECT_FALSE(second.leftOver());
        second.finish();
        EXPECT_TRUE(QFile::exists(path)) << "the second window's exit leaves the first one's list alone";
    }  // gone without finish(), as in a crash (its lock goes with it)
    ListAutosave next(bench().jobs(), bench().settings());
    ASSERT_TRUE(next.claim());
    EXPECT_TRUE(next.leftOver());
    EXPECT_EQ(ReadListFile(path).entries.size(), 1);
}

} // namespace
