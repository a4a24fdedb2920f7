#pragma once

#include <QFile>
#include <QString>

struct AVIOContext;

namespace korvex {

// The file an AudioWriter writes, as FFmpeg's output. When the disk refuses a
// write (full, or over a size limit) the sink remembers where the file ends
// on disk and takes every later byte past that point without writing it, so
// the muxer can still finish its header at the start of the file; the caller
// then cuts the file back to whole packets (SalvageAsf). One thread at a
// time: packets arrive from whichever encoder worker holds the writer's sink
// (WmaEncoderPool hands it on under its lock), close() comes from the owner
// once the pool has finished or been abandoned.
class SalvageSink
{
public:
    explicit SalvageSink(const QString &path);  // throws KorvexError
    ~SalvageSink();
    SalvageSink(const SalvageSink &) = delete;
    SalvageSink &operator=(const SalvageSink &) = delete;

    AVIOContext *context() const { return m_context; }
    bool failed() const { return m_failedAt >= 0; }
    QString failure() const { return m_failure; }
    // Where the disk stopped taking bytes; -1 while it takes them all.
    qint64 failedAt() const { return m_failedAt; }
    // Flushes FFmpeg's buffer and closes the file.
    void close();

private:
    static int writePacket(void *opaque, const uint8_t *data, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);

    QFile m_file;
    AVIOContext *m_context = nullptr;
    qint64 m_position = 0;
    qint64 m_failedAt = -1;   // where the disk stopped taking bytes
    QString m_failure;
};

// Cuts a WMA file that a failed write left behind back to its whole data
// packets and makes its header say so: packet counts, sizes and durations,
// and a frame count of 0 (unknown), so readers count the frames by decoding.
// Returns the number of data packets kept; 0 when there are none or the file
// is not one Korvex wrote.
qint64 SalvageAsf(const QString &path);

// True for a WMA file whose writing never finished (a killed run left it):
// its header still holds the placeholders written before the audio, no
// packet count and no file size, while audio follows it.
bool AsfWritingUnfinished(const QString &path);

// The data packets a closed WMA file's header counts; 0 when it holds no
// audio or is no such file.
qint64 AsfDataPackets(const QString &path);

} // namespace korvex
