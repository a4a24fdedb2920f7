#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace korvex {

// Converts, encodes and writes blocks of audio on a thread of its own while
// the owner goes on reading the next ones: the owner hands over blocks
// through a queue of a few blocks, and the thread works on them in order.
//
// The contract is a writer's: hand() blocks while the queue is full;
// finish() returns once every block handed over has been worked on; a
// failure on the thread (the disk refused bytes) ends its work and is
// thrown as KorvexError from the owner's next hand() or finish(), after the
// thread has ended, so the owner may repair the file without a race. The
// work itself touches only what the owner leaves alone until then.
//
// Without a thread every block is worked on in hand() itself: the same work
// in the same order, for codecs too cheap to be worth the hand-over.
class EncodingThread
{
public:
    // Samples as the run read them, clipped to full scale, in the rate and
    // channel count they came in.
    struct Block
    {
        std::vector<float> samples;
        int rate = 0;
        int channels = 0;
    };
    // Works on one block; throws KorvexError when it cannot.
    using Work = std::function<void(Block &)>;

    EncodingThread(Work work, bool threaded, size_t queueLimit = 3);
    ~EncodingThread();  // drops what is queued and waits for the thread
    EncodingThread(const EncodingThread &) = delete;
    EncodingThread &operator=(const EncodingThread &) = delete;

    void hand(Block block);
    // The memory of a block worked on, to fill again: blocks of about the
    // same size then need no fresh pages. Empty when none came back yet.
    std::vector<float> spareSamples();
    void finish();
    // Drops what is queued and waits for the thread; nothing is thrown.
    void stop();
    bool threaded() const { return m_threaded; }

private:
    void workLoop();
    void endThread();
    void throwIfFailed();

    Work m_work;
    const bool m_threaded;
    const size_t m_queueLimit;

    // Guarded by m_mutex: the blocks waiting, the memory of those worked on,
    // whether the owner handed over its last one, whether the thread is to
    // drop the rest, and its failure.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    std::vector<std::vector<float>> m_spares;
    bool m_ending = false;
    bool m_dropping = false;
    QString m_failure;

    std::vector<float> m_inCallerSpare;  // without a thread: the last block's memory

    std::thread m_thread;
};

} // namespace korvex
