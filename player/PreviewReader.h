#pragma once

#include "components/AudioFile.h"
#include "components/SampleArray.h"
#include "components/SerialWorker.h"

#include <QObject>
#include <QString>

#include <deque>
#include <limits>
#include <mutex>

namespace korvex {

// The preview's own reader, decoding on a thread of its own: the window
// thread only hands finished blocks to the sound output, so a busy window
// neither delays the decoding nor has to wait for it. One block is read ahead
// of what was asked for.
//
// The window thread opens the file, starts a stretch of it and asks for
// blocks; each block arrives through blockRead on the window thread, at once
// when it was read ahead, else when it is done. An empty block follows the
// stretch's last. A stretch starts with a short block, so that its sound
// starts soon, and each block after is longer, up to the reader's block
// size: decoding a long block never keeps the first sound waiting. The
// reader is touched by one thread at a time: the worker between start and
// stop, the window thread otherwise.
class PreviewReader : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 ToTheEnd = std::numeric_limits<qint64>::max();
    // A stretch's first block is this part of a full one (half a second of
    // the preview's ten), and each block after it BlockGrowth times its
    // predecessor.
    static constexpr qint64 FirstBlockDivisor = 20;
    static constexpr qint64 BlockGrowth = 4;

    explicit PreviewReader(qint64 blockFrames, QObject *parent = nullptr);
    ~PreviewReader() override;

    // Window thread. Opening stops what was being read; a failure throws
    // KorvexError.
    void open(const QString &path);
    qint64 length() { return m_file.length(); }
    qint64 duration() { return m_file.duration(); }
    int sampleRate() { return m_file.sampleRate(); }
    int channelCount() { return m_file.channelCount(); }
    bool isOpen() { return m_file.isOpen() != 0; }

    // Reads from `first` up to, not including, `end` (or the file's end),
    // after whatever was being read is dropped.
    void start(qint64 first, qint64 end = ToTheEnd);
    // The next block, through blockRead.
    void request();
    // Drops what was read ahead and returns once the worker has let go of
    // the file.
    void stop();
    // Stops and closes the file. Never fails.
    void close();

Q_SIGNALS:
    void blockRead(qint64 firstFrame, const korvex::SampleArray &block);
    // The file failed while being read; nothing more comes for this start.
    void readFailed(const QString &text);
    // The worker's wake-up for the window thread, nobody else's.
    void blockReady(QPrivateSignal);

private:
    struct Block
    {
        qint64 firstFrame = 0;
        SampleArray samples;
        QString failure;    // why the block could not be read
    };

    void readAhead(quint64 generation);
    qint64 takeBlockSize();
    void deliver();
    void postReadAhead();

    const qint64 m_blockFrames;
    AudioFile m_file;
    int m_channels = 0;         // the open file's, set before the worker reads it

    // Guarded by m_mutex: the start the worker reads for (a new start or a
    // stop makes the worker's blocks stale), where it goes on, what it has
    // read and how many blocks are wanted.
    std::mutex m_mutex;
    quint64 m_generation = 0;
    qint64 m_next = 0;
    qint64 m_end = 0;
    qint64 m_nextBlockFrames = 0;   // the size of the stretch's next block
    bool m_ended = false;       // the empty block is read: nothing more to read
    bool m_reading = false;     // a read for the current start is posted or running
    std::deque<Block> m_ready;
    int m_wanted = 0;

    // Last, so that it ends (joining its thread) before the fields its jobs use.
    SerialWorker m_worker;
};

} // namespace korvex
