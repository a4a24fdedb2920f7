#include "MainSession.h"

#include "joblist/ListAutosave.h"
#include "joblist/ListFile.h"
#include "support/AudioFixtures.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using namespace korvex;
using namespace korvex::test;

namespace {

// What a window that crashed leaves: its list of one 3 s file with two
// segments, in the state folder of the test's session.
QString leaveCrashedList(MainSession &s)
{
    const QString source = s.folder.file(QStringLiteral("talk.wav"));
    writeAudioFile(source, sineSpec(44100, 2, 3 * 44100));
    ListEntry entry;
    entry.FileName = source;
    entry.Segments = {{500, 1500, {QStringLiteral("Hello"), {}}}, {0, 3000, {}}};
    entry.Tags.Album = QStringLiteral("Kept");
    SavedList list;
    list.settings.OutputFolder = s.folder.file(QStringLiteral("out/"));
    list.entries = {entry};
    const QString folder = ListAutosave::defaultFolder();
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/working-list.korvex");
    WriteListFile(path, list);
    return path;
}

TEST(WorkingList, AListACrashLeftIsOfferedRestoredAndClearedByANormalExit)
{
    QString leftOver;
    MainSession s([&leftOver](MainSession &session) {
        leftOver = leaveCrashedList(session);
        session.recorder.messages.questionAnswer = true;
    });
    ASSERT_EQ(s.recorder.messages.questions.size(), 1);
    EXPECT_TRUE(s.recorder.messages.questions.constFirst().contains(QStringLiteral("did not close normally")));
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    const listrecord &entry = s.main().jobList().job(0);
    EXPECT_EQ(entry.Count, 2);
    EXPECT_EQ(entry.BeginTime.constFirst(), 500);
    EXPECT_EQ(entry.EndTime.constFirst(), 1500);
    EXPECT_EQ(s.main().jobList().tags(0).Album, QStringLiteral("Kept"));

    // further edits are kept as they are made
    QSignalSpy kept(&s.main().workingList(), &ListAutosave::kept);
    s.main().menus->item("Clear2")->trigger();
    ASSERT_TRUE(kept.wait(5000));
    EXPECT_FALSE(QFile::exists(leftOver)) << "an emptied list leaves nothing to restore";

    s.main().close();
    EXPECT_FALSE(QFile::exists(leftOver));
}

TEST(WorkingList, ANoLetsTheLeftListGoAndTheListStartsEmpty)
{
    QString leftOver;
    MainSession s([&leftOver](MainSession &session) { leftOver = leaveCrashedList(session); });
    EXPECT_EQ(s.recorder.messages.questions.size(), 1);
    EXPECT_EQ(s.main().jobList().rowCount(), 0);
    EXPECT_FALSE(QFile::exists(leftOver));
}

TEST(WorkingList, ANormalStartAsksNothingAndSaveListAsksForAName)
{
    MainSession s;
    EXPECT_TRUE(s.recorder.messages.questions.isEmpty());
    s.recorder.dialogs.saveAnswer = s.folder.file(QStringLiteral("mine.korvex"));
    s.main().menus->item("SaveList1")->trigger();
    ASSERT_EQ(s.recorder.dialogs.saveRequests.size(), 1);
    EXPECT_EQ(s.recorder.dialogs.saveRequests.constFirst().filter, ListFileFilter());
    EXPECT_EQ(ReadListFile(s.recorder.dialogs.saveAnswer).entries.size(), 0);
    s.main().close();
}

} // namespace
