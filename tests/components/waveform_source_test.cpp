#include "components/WaveformSource.h"
#include "support/TempDir.h"
#include "support/TonesAndPauses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// Waits until the overview on show is complete.
bool waitComplete(WaveformSource &source, QSignalSpy &changes)
{
    while (!source.current().complete) {
        if (!changes.wait(60000))
            return false;
    }
    return true;
}

// The finished overview of one file, as a fresh run of the program gets it.
WaveOverview overviewOf(const QString &path, const QString &cacheFolder = WaveformSource::defaultCacheFolder())
{
    WaveformSource source(cacheFolder);
    QSignalSpy changes(&source, &WaveformSource::overviewChanged);
    source.show(path);
    EXPECT_TRUE(waitComplete(source, changes));
    return source.current();
}

int column(double seconds, double fileSeconds)
{
    return int(seconds / fileSeconds * WaveOverview::Columns);
}

} // namespace

TEST(WaveformSource, OverviewFollowsTheSoundAndFitsInAFewKilobytes)
{
    TestFolder folder;
    const QString path = folder.file("talk.flac");
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses());
    WaveformSource source;
    QSignalSpy changes(&source, &WaveformSource::overviewChanged);
    source.show(path);
    ASSERT_TRUE(waitComplete(source, changes));
    const WaveOverview &overview = source.current();
    EXPECT_EQ(overview.path, path);
    EXPECT_EQ(overview.filled, WaveOverview::Columns);
    ASSERT_EQ(overview.peak.size(), WaveOverview::Columns);
    EXPECT_LE(overview.peak.size() + overview.rms.size(), 1 << 20);
    // the tones are at half scale (peak 128, RMS about 90); the pauses near nothing
    for (const ToneAt &tone : fiveTonesWithPauses()) {
        const int middle = column((tone.begin + tone.end) / 2, 25.0);
        EXPECT_NEAR(overview.peak[middle], 128, 3) << middle;
        EXPECT_NEAR(overview.rms[middle], 90, 3) << middle;
        const int pause = column(tone.end + 1.0, 25.0);
        EXPECT_LE(overview.peak[pause], 1) << pause;
    }
}

TEST(WaveformSource, KeptOverviewsComeBackAtOnceUnlessTheFileChanged)
{
    TestFolder folder;
    const QString first = folder.file("first.wav");
    const QString second = folder.file("second.wav");
    writeTonesOverFloor(first, 4.0, {{0.0, 2.0}});
    writeTonesOverFloor(second, 3.0, {{1.0, 3.0}});
    WaveformSource source;
    QSignalSpy changes(&source, &WaveformSource::overviewChanged);
    source.show(first);
    // asked for another file at once: the first scan is abandoned, and what
    // arrives is the second file's
    source.show(second);
    ASSERT_TRUE(waitComplete(source, changes));
    EXPECT_EQ(source.current().path, second);

    source.show(first);
    ASSERT_TRUE(waitComplete(source, changes));
    source.show(second);
    EXPECT_TRUE(source.current().complete) << "kept from before";
    EXPECT_EQ(source.current().path, second);

    // rewritten with other content and size: scanned anew
    writeTonesOverFloor(second, 5.0, {{0.0, 5.0}});
    source.show(first);
    source.show(second);
    EXPECT_FALSE(source.current().complete);
    ASSERT_TRUE(waitComplete(source, changes));
    EXPECT_GT(source.current().peak[10], 100);

    // a file that cannot be read shows an empty, finished overview
    const QString junk = folder.file("junk.mp3");
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4000, 'j'));
    file.close();
    source.show(junk);
    ASSERT_TRUE(waitComplete(source, changes));
    EXPECT_EQ(source.current().filled, 0);
    source.show(QString());
    EXPECT_TRUE(source.current().path.isEmpty());
}

TEST(WaveformSource, FinishedOverviewsAreKeptOnDiskForTheNextRun)
{
    TestFolder folder;
    const QString path = folder.file("album side.flac");
    writeTonesOverFloor(path, 6.0, {{1.0, 5.0}});
    const QString cache = folder.file("cache/korvex");
    EXPECT_EQ(WaveformSource::defaultCacheFolder(), cache) << "inside the test's XDG_CACHE_HOME";
    overviewOf(path);
    const QStringList kept = QDir(cache).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    const QString cacheFile = cache + "/" + kept.first();
    EXPECT_EQ(QFileInfo(cacheFile).size(), 4 + 2 * WaveOverview::Columns);

    // the next run takes what the file says, without scanning
    QFile file(cacheFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("KVW1" + QByteArray(WaveOverview::Columns, char(200)) + QByteArray(WaveOverview::Columns, char(7)));
    file.close();
    const WaveOverview fromDisk = overviewOf(path);
    EXPECT_EQ(fromDisk.peak[0], 200);
    EXPECT_EQ(fromDisk.rms[WaveOverview::Columns - 1], 7);

    // a cut-short cache file is scanned anew and replaced
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("KVW1 short");
    file.close();
    const WaveOverview rescanned = overviewOf(path);
    EXPECT_LE(rescanned.peak[0], 1);
    EXPECT_NEAR(rescanned.peak[WaveOverview::Columns / 2], 128, 3);
    EXPECT_EQ(QFileInfo(cacheFile).size(), 4 + 2 * WaveOverview::Columns);

    // without a cache folder nothing is written
    TestFolder other;
    EXPECT_TRUE(overviewOf(path, QString()).complete);
    EXPECT_FALSE(QDir(other.file("cache/korvex")).exists());
}

// A conversion run pauses the scans; the window may still change the entry
// on show, and close, meanwhile.
TEST(WaveformSource, APausedScanEndsWhenAbandonedAndGoesOnWhenResumed)
{
    TestFolder folder;
    const QString first = folder.file("first.flac");
    const QString second = folder.file("second.flac");
    writeTonesOverFloor(first, 20.0, {{0.0, 10.0}});
    writeTonesOverFloor(second, 8.0, {{4.0, 8.0}});
    {
        // closed while its scan waits for a resume
        WaveformSource held;
        held.setPaused(true);
        held.show(first);
    }
    WaveformSource source;
    QSignalSpy changes(&source, &WaveformSource::overviewChanged);
    source.setPaused(true);
    source.show(first);
    // the held scan of the first file must give way to the second's
    source.show(second);
    EXPECT_FALSE(source.current().complete);
    source.setPaused(false);
    ASSERT_TRUE(waitComplete(source, changes));
    EXPECT_EQ(source.current().path, second);
    EXPECT_LE(source.current().peak[column(2.0, 8.0)], 1);
    EXPECT_NEAR(source.current().peak[column(6.0, 8.0)], 128, 3);

    // kept overviews need no scan and come at once, paused or not
    source.setPaused(true);
    source.show(first);
    source.show(second);
    EXPECT_TRUE(source.current().complete);
    source.show(first);
    source.setPaused(false);
    ASSERT_TRUE(waitComplete(source, changes));
    EXPECT_NEAR(source.current().peak[column(5.0, 20.0)], 128, 3);
}

// A source that goes while its scan request is on the way to the worker, or
// just after the worker turned it down (a file it cannot read, the window
// closing right after a click on it): again and again, and the next source
// still gets the whole overview of a good file.
TEST(WaveformSource, GoesJustAfterARequestAndTheNextOneStillGetsTheWholeOverview)
{
    TestFolder folder;
    const QString good = folder.file("talk.flac");
    writeTonesOverFloor(good, 25.0, fiveTonesWithPauses());
    const QString unreadable = folder.file("notes.flac");
    QFile text(unreadable);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a sound file\n");
    text.close();
    const QString cache = folder.file("cache");
    for (int round = 0; round < 200; ++round) {
        WaveformSource source(cache);
        source.show(round % 2 ? unreadable : good);
    }
    const WaveOverview overview = overviewOf(good, cache);
    EXPECT_TRUE(overview.complete);
    EXPECT_EQ(overview.filled, WaveOverview::Columns);
}
