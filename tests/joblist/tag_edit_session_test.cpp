// The tag dialog's work on the job list, without its widgets.
#include "joblist/JobList.h"
#include "joblist/TagEditSession.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

void addEntries(JobList &jobs, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("song %1.mp3").arg(i);
        jobs.appendEntry({name, {}, {}}, newListRecord(name, 60000, 60 * 44100, FileSeekRangeMinimum));
    }
}

} // namespace

// A run may be paused under the modal dialog, between reading an entry's
// record and writing its piece: Ok must not move the records it holds.
TEST(TagEditSession, OkWritesTheRecordsInPlace)
{
    JobList jobs;
    addEntries(jobs, 3);
    const AudioFileinfo *held = &jobs.TagRecords()[1];
    TagEditSession session(jobs);
    ASSERT_TRUE(session.takeRows());
    session.takeTags();
    session.selectRow(1);
    session.store(TagField::Artist, "Held Artist");
    session.storeAll(TagField::Year, "1984");
    EXPECT_EQ(jobs.TagRecords()[1].Artist, "");  // nothing before Ok
    session.commit();
    EXPECT_EQ(&jobs.TagRecords()[1], held);
    EXPECT_EQ(held->Artist, "Held Artist");
    for (const AudioFileinfo &record : jobs.TagRecords())
        EXPECT_EQ(record.Year, "1984");
}

TEST(TagEditSession, TheColumnNarrowsFromTwentyRowsAndSaysSo)
{
    JobList jobs;
    addEntries(jobs, 19);
    TagEditSession session(jobs);
    QSignalSpy header(session.rows(), &QAbstractItemModel::headerDataChanged);
    session.takeRows();
    EXPECT_EQ(session.rows()->columnWidth(), 143);
    EXPECT_TRUE(header.isEmpty());
    addEntries(jobs, 1);
    session.takeRows();
    EXPECT_EQ(session.rows()->columnWidth(), 127);
    EXPECT_EQ(header.size(), 1);
    session.clearRows();
    EXPECT_EQ(session.rows()->columnWidth(), 143);
    EXPECT_EQ(session.currentRow(), -1);
    session.store(TagField::Title, "nowhere");  // no current row: nothing to store into
    session.captionFromTitle("nowhere");
    EXPECT_FALSE(session.hasRows());
}
