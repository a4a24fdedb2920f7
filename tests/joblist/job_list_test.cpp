#include "joblist/JobList.h"

#include <QSignalSpy>
#include <QSize>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

// Entry i carries i in every face, so that tests can see which faces moved together.
void appendNumbered(JobList &list, int i)
{
    listrecord job;
    job.FileName = QStringLiteral("/f/%1.wma").arg(i);
    job.Duration = i;
    AudioFileinfo tags;
    tags.Title = QStringLiteral("title %1").arg(i);
    list.appendEntry({QStringLiteral("row %1").arg(i), QStringLiteral("time %1").arg(i),
                      QStringLiteral("size %1").arg(i)},
                     job, tags);
}

// Every face of every row carries the same number.
void expectFacesTogether(JobList &list)
{
    ASSERT_EQ(list.JobRecords().size(), list.rowCount());
    ASSERT_EQ(list.TagRecords().size(), list.rowCount());
    ASSERT_EQ(list.fileModel()->rowCount(), list.rowCount());
    for (int row = 0; row < list.rowCount(); ++row) {
        const int i = list.JobRecords().at(row).Duration;
        EXPECT_EQ(list.TagRecords().at(row).Title, QStringLiteral("title %1").arg(i));
        const QAbstractItemModel *model = list.fileModel();
        EXPECT_EQ(model->data(model->index(row, 0)).toString(), QStringLiteral("row %1").arg(i));
        EXPECT_EQ(model->data(model->index(row, 1)).toString(), QStringLiteral("time %1").arg(i));
        EXPECT_EQ(model->data(model->index(row, 0), FileListModel::SizeTextRole).toString(),
                  QStringLiteral("size %1").arg(i));
    }
}

QList<int> numbers(const JobList &list)
{
    QList<int> result;
    for (const listrecord &job : list.JobRecords())
        result.append(job.Duration);
    return result;
}

} // namespace

TEST(JobList, KeepsTheThreeFacesOfAnEntryTogether)
{
    JobList list;
    for (int i = 0; i < 5; ++i)
        appendNumbered(list, i);
    list.swapEntries(1, 2);
    list.removeEntry(3);
    list.swapEntries(0, 3);
    EXPECT_EQ(numbers(list), (QList<int>{4, 2, 1, 0}));
    expectFacesTogether(list);
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    expectFacesTogether(list);
}

TEST(JobList, ANewEntryHasAnEmptyTagRecordUnlessGivenOne)
{
    JobList list;
    list.appendEntry({QStringLiteral("a"), QString(), QString()}, listrecord{});
    const AudioFileinfo &tags = list.TagRecords().at(0);
    EXPECT_TRUE(tags.Title.isEmpty() && tags.Artist.isEmpty() && tags.Year.isEmpty()
                && tags.Album.isEmpty() && tags.Comment.isEmpty() && tags.Genre.isEmpty());
}

TEST(JobList, ModelsAnnounceTheirChanges)
{
    JobList list;
    QAbstractItemModel *model = list.fileModel();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    appendNumbered(list, 0);
    appendNumbered(list, 1);
    appendNumbered(list, 2);
    ASSERT_EQ(inserted.count(), 3);
    EXPECT_EQ(inserted.at(2).at(1).toInt(), 2);

    list.swapEntries(0, 1);
    ASSERT_EQ(changed.count(), 2);
    list.fileModel()->setCaption(2, QStringLiteral("renamed"));
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(2).at(0).value<QModelIndex>().row(), 2);

    list.removeEntry(1);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 1);
    list.removeEntry(7);
    EXPECT_EQ(removed.count(), 1);
    list.clear();
    EXPECT_EQ(reset.count(), 1);
}

TEST(JobList, NarrowsTheFileNameColumnFromThirteenRows)
{
    JobList list;
    FileListModel *model = list.fileModel();
    QSignalSpy header(model, &QAbstractItemModel::headerDataChanged);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("File name"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Time"));
    EXPECT_EQ(model->columnWidth(1), 0);
    for (int i = 0; i < 12; ++i)
        appendNumbered(list, i);
    EXPECT_EQ(model->columnWidth(0), 120);
    EXPECT_EQ(header.count(), 0);
    appendNumbered(list, 12);
    EXPECT_EQ(model->columnWidth(0), 113);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal, Qt::SizeHintRole).toSize().width(), 113);
    EXPECT_EQ(header.count(), 1);
    list.removeEntry(0);
    EXPECT_EQ(model->columnWidth(0), 120);
    EXPECT_EQ(header.count(), 2);
}

TEST(JobList, SegmentListHasItsColumnsAndRows)
{
    JobList list;
    SegmentListModel *model = list.segmentModel();
    const QStringList titles = {QStringLiteral("Begin Time - End"), QStringLiteral("Length"),
                                QStringLiteral("Status")};
    const QList<int> widths = {100, 50, 64};
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), titles.at(c));
        EXPECT_EQ(model->headerData(c, Qt::Horizontal, Qt::SizeHintRole).toSize().width(), widths.at(c));
    }
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    model->setRows({makeSegmentRow(10000, 70000, QStringLiteral("OK")),
                    makeSegmentRow(5000, -60000, QStringLiteral("Uncertain")),
                    makeSegmentRow(12500, 20250, QStringLiteral("OK"))});
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), QStringLiteral("00:00:10 - 00:01:10"));
    EXPECT_EQ(model->data(model->index(0, 1)).toString(), QStringLiteral("00:01:00"));
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("00:-01:-05"));
    EXPECT_EQ(model->data(model->index(2, 0)).toString(), QStringLiteral("00:00:12.500 - 00:00:20.250"));
    EXPECT_EQ(model->data(model->index(2, 1)).toString(), QStringLiteral("00:00:07.750"));
    model->setStatus(0, QStringLiteral("Finish"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().column(), 2);
    EXPECT_EQ(model->data(model->index(0, 2)).toString(), QStringLiteral("Finish"));
}

TEST(JobList, SelectsOneRowAtATime)
{
    JobList list;
    EXPECT_EQ(list.selectedFileRow(), -1);
    list.selectFileRow(0);
    EXPECT_EQ(list.selectedFileRow(), -1);
    for (int i = 0; i < 3; ++i)
        appendNumbered(list, i);
    list.selectFileRow(2);
    list.selectFileRow(1);
    EXPECT_EQ(list.selectedFileRow(), 1);
    EXPECT_EQ(list.fileSelection()->selectedRows().size(), 1);
    list.deselectFileRow(1);
    EXPECT_EQ(list.selectedFileRow(), -1);
    list.selectFileRow(2);
    list.removeEntry(2);
    EXPECT_EQ(list.selectedFileRow(), -1);
}

TEST(JobList, ShowsTheMemoExactlyWhileEmpty)
{
    JobList list;
    QSignalSpy memo(&list, &JobList::memoVisibleChanged);
    EXPECT_TRUE(list.memoVisible());
    appendNumbered(list, 0);
    appendNumbered(list, 1);
    EXPECT_FALSE(list.memoVisible());
    list.removeEntry(0);
    list.removeEntry(0);
    EXPECT_TRUE(list.memoVisible());
    appendNumbered(list, 0);
    list.clear();
    list.clear();
    EXPECT_TRUE(list.memoVisible());
    ASSERT_EQ(memo.count(), 4);
    EXPECT_EQ(memo.at(0).at(0).toBool(), false);
    EXPECT_EQ(memo.at(1).at(0).toBool(), true);
    EXPECT_EQ(memo.at(3).at(0).toBool(), true);
}

TEST(JobList, AddingScopeRaisesTheFlagForItsLifetime)
{
    JobList list;
    {
        JobList::AddingScope adding(list);
        EXPECT_TRUE(list.Adding());
    }
    EXPECT_FALSE(list.Adding());
}
