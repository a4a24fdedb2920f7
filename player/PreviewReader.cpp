#include "player/PreviewReader.h"

#include "components/KorvexError.h"

#include <algorithm>

namespace korvex {

PreviewReader::PreviewReader(qint64 blockFrames, QObject *parent) : QObject(parent), m_blockFrames(blockFrames)
{
    // Made here, on the window thread: the worker only emits.
    connect(this, &PreviewReader::blockReady, this, &PreviewReader::deliver, Qt::QueuedConnection);
}

PreviewReader::~PreviewReader()
{
    close();
}

void PreviewReader::open(const QString &path)
{
    close();
    m_file.openForRead(path, 0, 1);
    m_channels = m_file.channelCount();
}

void PreviewReader::start(qint64 first, qint64 end)
{
    stop();
    m_file.seek(first, 3);
    {
        std::lock_guard lock(m_mutex);
        m_next = first;
        m_end = end;
        m_ended = false;
        m_nextBlockFrames = std::max<qint64>(1, m_blockFrames / FirstBlockDivisor);
    }
    postReadAhead();
}

void PreviewReader::request()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_wanted;
    }
    deliver();
}

void PreviewReader::stop()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_ready.clear();
        m_wanted = 0;
        m_reading = false;
        m_ended = true;
    }
    m_worker.waitUntilIdle();
}

void PreviewReader::close()
{
    stop();
    try {
        if (m_file.isOpen())
            m_file.close();
    } catch (const KorvexError &) {
        // nothing is left to let go of on a reader that fails to close
    }
}

// Window thread: reads on while fewer blocks wait than are wanted, and one
// more.
void PreviewReader::postReadAhead()
{
    quint64 generation = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_reading || m_ended || qsizetype(m_ready.size()) > m_wanted)
            return;
        m_reading = true;
        generation = m_generation;
    }
    m_worker.post([this, generation] { readAhead(generation); });
}

// Worker thread. A stale start's block is thrown away, whatever it holds.
void PreviewReader::readAhead(quint64 generation)
{
    for (;;) {
        Block block;
        qint64 frames = 0;
        {
            std::lock_guard lock(m_mutex);
            if (generation != m_generation)
                return;
            if (m_ended || qsizetype(m_ready.size()) > m_wanted) {
                m_reading = false;
                return;
            }
            block.firstFrame = m_next;
            frames = std::clamp<qint64>(m_end - m_next, 0, takeBlockSize());
        }
        try {
            if (frames > 0)
                block.samples = m_file.readBlock(frames);
        } catch (const KorvexError &error) {
            block.failure = error.text();
        } catch (const std::exception &error) {
            block.failure = QString::fromLocal8Bit(error.what());
        }
        {
            std::lock_guard lock(m_mutex);
            if (generation != m_generation)
                return;
            m_next += block.samples.frameCount(m_channels);
            // the empty block ends the stretch, and so does a failure
            m_ended = block.samples.isEmpty();
            m_ready.push_back(std::move(block));
        }
        Q_EMIT blockReady(QPrivateSignal());
    }
}

// Under m_mutex.
qint64 PreviewReader::takeBlockSize()
{
    const qint64 frames = m_nextBlockFrames;
    m_nextBlockFrames = std::min(m_blockFrames, m_nextBlockFrames * BlockGrowth);
    return frames;
}

// Window thread: hands over the blocks that are both read and wanted, in
// order. A receiver may start, stop or ask again meanwhile.
void PreviewReader::deliver()
{
    for (;;) {
        Block block;
        {
            std::lock_guard lock(m_mutex);
            if (m_wanted == 0 || m_ready.empty())
                break;
            block = std::move(m_ready.front());
            m_ready.pop_front();
            --m_wanted;
        }
        if (block.failure.isEmpty()) {
            Q_EMIT blockRead(block.firstFrame, block.samples);
        } else {
            Q_EMIT readFailed(block.failure);
            return;
        }
    }
    postReadAhead();
}

} // namespace korvex
