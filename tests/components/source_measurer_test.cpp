#include "components/AudioFile.h"
#include "components/MessagePump.h"
#include "components/SourceMeasurer.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>

using namespace korvex;

namespace {

class SourceMeasurerTest : public ::testing::Test
{
protected:
    // Made in this process: a child process started here would hide the
    // locking of this thread from ThreadSanitizer.
    QString tone(const QString &name, double seconds)
    {
        const QString path = folder.file(name);
        test::writeAudioFile(path, test::sineSpec(44100, 2, qint64(seconds * 44100)));
        return path;
    }

    // What one reader finds, one file after the other, in a copy: lengths
    // are remembered per file, and the copy is a file of its own.
    MeasuredSource alone(const QString &path)
    {
        const QString copy = folder.file(QStringLiteral("copy-%1-").arg(++m_copies) + QFileInfo(path).fileName());
        EXPECT_TRUE(QFile::copy(path, copy));
        AudioFile reader;
        reader.openForRead(copy, 0, 1);
        return {true, reader.duration(), reader.length(), {}, {}};
    }

    // Real readers, each made on the thread that uses it; the threads are noted.
    SourceMeasurer::ReaderFactory notingThreads()
    {
        return [this] {
            const std::lock_guard lock(m_threadsMutex);
            m_threads.insert(std::this_thread::get_id());
            return std::make_unique<AudioFile>();
        };
    }
    std::set<std::thread::id> threads()
    {
        const std::lock_guard lock(m_threadsMutex);
        return m_threads;
    }

    test::TestFolder folder;

private:
    int m_copies = 0;
    std::mutex m_threadsMutex;
    std::set<std::thread::id> m_threads;
};

} // namespace

TEST_F(SourceMeasurerTest, ResultsComeInTicketOrderAsOneReaderFindsThem)
{
    // The long file first, so the short ones after it are done before it.
    const QStringList good{tone("long.wma", 30), tone("a.mp3", 1.3), tone("b.ogg", 2.7), tone("c.flac", 0.6)};
    QFile damaged(folder.file("damaged.wma"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(5000, '\x5a'));
    damaged.close();
    const QStringList files{good[0], good[1], damaged.fileName(), good[2], folder.file("missing.wav"), good[3]};

    SourceMeasurer measurer(notingThreads(), 2);
    ASSERT_EQ(measurer.workers(), 2);
    const int first = measurer.measure(files);
    QList<MeasuredSource> results;
    for (int i = 0; i < files.size(); ++i)
        results.append(measurer.take(first + i));

    for (int i : {0, 1, 3, 5}) {
        const MeasuredSource expected = alone(files[i]);
        EXPECT_TRUE(results[i].measured) << qPrintable(files[i]) << ": " << qPrintable(results[i].failure);
        EXPECT_EQ(results[i].frames, expected.frames) << qPrintable(files[i]);
        EXPECT_EQ(results[i].durationMs, expected.durationMs) << qPrintable(files[i]);
    }
    EXPECT_NEAR(double(results[0].durationMs), 30000.0, 100.0);
    for (int i : {2, 4}) {
        EXPECT_FALSE(results[i].measured) << qPrintable(files[i]);
        EXPECT_TRUE(results[i].failure.contains(QFileInfo(files[i]).fileName())) << qPrintable(results[i].failure);
    }
    // Every reader was made on a worker, never on the thread that asked.
    const std::set<std::thread::id> used = threads();
    EXPECT_EQ(used.count(std::this_thread::get_id()), 0u);
    EXPECT_GE(used.size(), 1u);
    EXPECT_LE(used.size(), 2u);
}

TEST_F(SourceMeasurerTest, TicketsAreTakenOnceAndDiscardForgetsTheRest)
{
    const QString a = tone("a.wav", 1.0);
    const QString b = tone("b.wav", 2.0);
    SourceMeasurer measurer(notingThreads(), 1);
    const int first = measurer.measure({a, b, a, b});
    const MeasuredSource second = measurer.take(first + 1);
    EXPECT_TRUE(second.measured);
    EXPECT_NEAR(double(second.durationMs), 2000.0, 50.0);
    // Taken already, or never asked for: nothing to wait for.
    EXPECT_FALSE(measurer.take(first + 1).measured);
    EXPECT_FALSE(measurer.take(first + 40).measured);
    measurer.discard();
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(measurer.take(first + i).measured) << i;

    // Later lists go on with fresh tickets.
    const int next = measurer.measure({b});
    EXPECT_EQ(next, first + 4);
    EXPECT_EQ(measurer.take(next).frames, second.frames);
}

TEST_F(SourceMeasurerTest, WaitingKeepsTheOwnersEventsGoing)
{
    const QString file = tone("long.wma", 20);
    SourceMeasurer measurer(notingThreads(), 1);
    int pumps = 0;
    const MessagePumpHook previous = SetMessagePumpHook([&pumps] {
        ++pumps;
        QCoreApplication::processEvents();
    });
    // Posted before the wait: only a wait that processes events delivers it.
    bool delivered = false;
    QMetaObject::invokeMethod(&measurer, [&delivered] { delivered = true; }, Qt::QueuedConnection);
    const MeasuredSource result = measurer.take(measurer.measure({file}));
    SetMessagePumpHook(previous);
    EXPECT_TRUE(result.measured);
    EXPECT_TRUE(delivered);
    EXPECT_GE(pumps, 1);
}
