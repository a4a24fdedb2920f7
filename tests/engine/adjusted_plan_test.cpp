// The segment list of a time or count split with [Function] Adjust: the plain
// plan at once, the moved one when the background scan is done, and a run
// that starts early using the moved plan.

#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "settings/SilenceSettings.h"
#include "support/TonesAndPauses.h"

#include <QSignalSpy>
#include <QTime>

#include <cstdlib>

using namespace korvex;
using namespace korvex::test;

namespace {

using Cuts = QList<qint64>;  // milliseconds between the pieces a list shows

// "00:00:04.005" or "00:00:04" in milliseconds.
qint64 captionMs(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QTime time = QTime::fromString(trimmed, trimmed.contains(QLatin1Char('.')) ? QStringLiteral("hh:mm:ss.zzz")
                                                                                     : QStringLiteral("hh:mm:ss"));
    EXPECT_TRUE(time.isValid()) << trimmed.toStdString();
    return time.msecsSinceStartOfDay();
}

class AdjustedPlanTest : public EngineTest
{
protected:
    AdjustedPlanTest()
    {
        settings().SplitMode = split_mode::Time;
        settings().SplitSeconds = 5;
    }

    // Tones of 3 s with pauses of 2 s between them, the first tone at `offset`:
    // the pauses' middles lie at offset + 4, 9, 14 and 19 s.
    QString talk(const QString &name, double seconds, double offset)
    {
        const QString path = m_folder.file(name);
        writeTonesOverFloor(path, seconds, fiveTonesWithPauses(offset));
        return path;
    }

    void setAdjustSeconds(int seconds)
    {
        SilenceSettings silence = ReadSilenceSettings(bench().store().file());
        silence.AdjustMs = seconds * 1000LL;
        WriteSilenceSettings(bench().store().file(), silence);
    }

    void select(int row) { bench().jobs().selectFileRow(row); }

    SegmentListModel &list() { return *bench().jobs().segmentModel(); }

    // The first begin, every cut, the last end.
    Cuts shownBorders()
    {
        Cuts borders;
        for (int row = 0; row < list().rowCount(); ++row) {
            const QStringList ends = list().row(row).caption.split(QStringLiteral(" - "));
            EXPECT_EQ(ends.size(), 2);
            if (row == 0)
                borders.append(captionMs(ends.value(0)));
            borders.append(captionMs(ends.value(1)));
        }
        return borders;
    }

    // Waits until the list shows borders that `wanted` accepts; false when
    // the list stopped changing first.
    bool waitForList(const std::function<bool(const Cuts &)> &wanted)
    {
        QSignalSpy resets(&list(), &QAbstractItemModel::modelReset);
        while (!wanted(shownBorders())) {
            if (!resets.wait(60000))
                return false;
        }
        return true;
    }

    static bool near(const Cuts &borders, const Cuts &expected, qint64 toleranceMs = 60)
    {
        if (borders.size() != expected.size())
            return false;
        for (qsizetype k = 0; k < borders.size(); ++k) {
            if (std::llabs(borders.at(k) - expected.at(k)) > toleranceMs)
                return false;
        }
        return true;
    }
};

TEST_F(AdjustedPlanTest, TheListShowsThePlainPlanAtOnceAndTheMovedOneWhenTheScanEnds)
{
    add({talk(QStringLiteral("talk.flac"), 25.0, 0.0)});
    setAdjustSeconds(2);
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 5;
    bench().editor().lvClick();
    EXPECT_EQ(shownBorders(), (Cuts{0, 5000, 10000, 15000, 20000, 25000})) << "the plain plan first";
    EXPECT_EQ(statuses(), QStringList(5, status_word::Unconvert));

    // nothing but the scan's end changes the list
    ASSERT_TRUE(waitForList([](const Cuts &shown) { return near(shown, {0, 4000, 9000, 14000, 19000, 25000}); }))
        << "the cuts move to the middles of the pauses";
    EXPECT_EQ(statuses(), QStringList(5, status_word::Unconvert));

    // shown again, the scanned plan is there at once; without Adjust the plain one is
    bench().editor().lvClick();
    EXPECT_TRUE(near(shownBorders(), {0, 4000, 9000, 14000, 19000, 25000}));
    setAdjustSeconds(0);
    bench().editor().lvClick();
    EXPECT_EQ(shownBorders(), (Cuts{0, 5000, 10000, 15000, 20000, 25000}));
}

TEST_F(AdjustedPlanTest, ChangingTheSelectionDuringAScanShowsOnlyTheNewFilesMovedPlan)
{
    add({talk(QStringLiteral("first.flac"), 25.0, 0.0), talk(QStringLiteral("second.flac"), 24.0, 0.5)});
    setAdjustSeconds(2);
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 5;
    QList<Cuts> shown;
    QObject::connect(&list(), &QAbstractItemModel::modelReset, &list(), [&] { shown.append(shownBorders()); });
    bench().editor().lvClick();  // the first file, whose scan starts
    ASSERT_EQ(bench().jobs().SelectedFileRow, 0);
    select(1);  // before the first file's scan can report
    const Cuts secondMoved = {0, 4500, 9500, 14500, 19500, 24000};
    ASSERT_TRUE(waitForList([&](const Cuts &borders) { return near(borders, secondMoved); }));
    // whatever the first file's scan had done by then arrives before this
    QCoreApplication::processEvents();
    EXPECT_TRUE(near(shownBorders(), secondMoved));
    const Cuts firstMoved = {0, 4000, 9000, 14000, 19000, 25000};
    for (const Cuts &borders : shown)
        EXPECT_FALSE(near(borders, firstMoved)) << "the first file's moved plan was shown";
    EXPECT_TRUE(shown.contains(Cuts{0, 4800, 9600, 14400, 19200, 24000})) << "the second file's plain plan first";
}

TEST_F(AdjustedPlanTest, ARunStartedBeforeTheScanEndsWaitsForItAndWritesTheMovedPlan)
{
    const QString source = talk(QStringLiteral("talk.flac"), 24.0, 0.0);
    add({source});
    setAdjustSeconds(2);
    bench().editor().lvClick();
    ASSERT_EQ(shownBorders(), (Cuts{0, 5000, 10000, 15000, 20000, 24000})) << "the scan has not reported yet";
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);

    const QStringList names = {"talk_1.wma", "talk_2.wma", "talk_3.wma", "talk_4.wma", "talk_5.wma"};
    ASSERT_EQ(outputNames(), names);
    const QList<double> seconds = {4, 5, 5, 5, 5};
    qint64 frames = 0;
    for (qsizetype k = 0; k < names.size(); ++k) {
        const qint64 piece = audioFrames(output(names.at(k)));
        EXPECT_NEAR(piece, seconds.at(k) * 44100, CodecFrame + 0.06 * 44100) << names.at(k).toStdString();
        frames += piece;
    }
    EXPECT_NEAR(frames, 24 * 44100, names.size() * CodecFrame) << "nothing of the file is left out";
    EXPECT_TRUE(near(shownBorders(), {0, 4000, 9000, 14000, 19000, 24000})) << "the list shows what was written";
    EXPECT_EQ(statuses(), QStringList(5, status_word::Finish));
    // a late report of the scan leaves the run's rows alone
    QCoreApplication::processEvents();
    EXPECT_EQ(statuses(), QStringList(5, status_word::Finish));
}

} // namespace
