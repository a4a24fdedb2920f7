// Files named from outside the window (korvex FILE..., a second start) go
// the way of "Add File", and wait while a run works.
#include "MainSession.h"
#include "support/AudioFixtures.h"

#include <QDir>
#include <QSignalSpy>

using namespace korvex;
using Session = test::MainSession;

namespace {

QStringList captions(Session &s)
{
    QStringList names;
    for (int row = 0; row < s.main().jobList().rowCount(); ++row)
        names.append(s.main().jobList().fileModel()->row(row).caption);
    return names;
}

// Until the list has `rows` rows or no row comes any more.
void waitForRows(Session &s, int rows)
{
    QSignalSpy inserted(s.main().jobList().fileModel(), &QAbstractItemModel::rowsInserted);
    while (s.main().jobList().rowCount() < rows && inserted.wait(30000)) {
    }
}

TEST(IncomingFiles, AreCheckedAndReportedAsAddFileDoes)
{
    Session s;
    const QString good = s.folder.file("good.wav");
    test::writeAudioFile(good, test::sineSpec(44100, 2, 44100 * 2));

    s.main().takeFiles({s.folder.file("missing.mp3"), good});
    waitForRows(s, 1);

    EXPECT_EQ(captions(s), QStringList({"good.wav"}));
    EXPECT_EQ(s.recorder.messages.errors, QStringList({"missing.mp3 this File is not supported."}));
    EXPECT_EQ(s.main().jobList().job(0).Duration, 2);
    // Add File selects the first row and shows it; so do these
    EXPECT_EQ(s.main().jobList().selectedFileRow(), 0);
    EXPECT_TRUE(s.recorder.dialogs.openRequests.isEmpty()) << "no dialog: the files are named already";
}

TEST(IncomingFiles, NamedDuringARunAreAddedOnceItHasEnded)
{
    Session s;
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = s.folder.file("out") + '/';
    QDir().mkpath(settings.OutputFolder);
    settings.SplitMode = split_mode::Count;
    settings.SplitCount = 2;
    const QString source = s.folder.file("long.wma");
    test::writeAudioFile(source, test::sineSpec(44100, 2, 44100 * 6 + 22050));
    s.recorder.dialogs.openAnswer = {source};
    s.clickSkin("addfile");
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    const QString later = s.folder.file("later.wav");
    test::writeAudioFile(later, test::sineSpec(44100, 2, 44100));

    int rowsDuringRun = -1;
    s.atProgress(1, [&] {
        s.main().takeFiles({later});
        rowsDuringRun = s.main().jobList().rowCount();
    });
    s.clickRun("Split");
    ASSERT_TRUE(s.actionArmed());
    EXPECT_EQ(rowsDuringRun, 1);
    // the run is over, and the list has not changed under it
    EXPECT_EQ(s.main().jobList().rowCount(), 1);
    EXPECT_EQ(QDir(settings.OutputFolder).entryList({"*.wma"}, QDir::Files).size(), 2);

    waitForRows(s, 2);
    EXPECT_EQ(captions(s), QStringList({"long.wma", "later.wav"}));
    EXPECT_EQ(s.recorder.messages.errors, QStringList());
}

} // namespace
