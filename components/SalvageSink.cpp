#include "components/SalvageSink.h"

#include "components/KorvexError.h"
#include "components/SourceScan.h"

#include <QByteArray>
#include <QtEndian>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace korvex {

namespace {

constexpr int BufferSize = 32768;

// Object GUIDs as they are stored.
const QByteArray FilePropertiesGuid =
    QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
const QByteArray HeaderObjectGuid = QByteArray::fromHex("3026b2758e66cf11a6d900aa0062ce6c");
const QByteArray DataObjectGuid = QByteArray::fromHex("3626b2758e66cf11a6d900aa0062ce6c");
constexpr int DataObjectHeader = 50;

quint64 readU64(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint64>(bytes.constData() + at);
}

void writeU64(QByteArray &bytes, qsizetype at, quint64 value)
{
    qToLittleEndian<quint64>(value, bytes.data() + at);
}

} // namespace

SalvageSink::SalvageSink(const QString &path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(path, m_file.errorString()));
    auto *buffer = static_cast<unsigned char *>(av_malloc(BufferSize));
    // FFmpeg before 6.1 takes a callback without const.
    using WriteCallback = int (*)(void *, uint8_t *, int);
    m_context = avio_alloc_context(buffer, BufferSize, 1, this, nullptr,
                                   reinterpret_cast<WriteCallback>(&SalvageSink::writePacket), &SalvageSink::seek);
    if (!m_context) {
        av_free(buffer);
        throw KorvexError(QStringLiteral("Unable to create '%1': out of memory.").arg(path));
    }
    m_context->seekable = m_file.isSequential() ? 0 : AVIO_SEEKABLE_NORMAL;
    // The muxer marks a flush point after every data packet; a full buffer
    // per write instead of one packet spares thousands of system calls.
    m_context->min_packet_size = BufferSize;
}

SalvageSink::~SalvageSink()
{
    close();
}

void SalvageSink::close()
{
    if (!m_context)
        return;
    avio_flush(m_context);
    av_freep(&m_context->buffer);
    avio_context_free(&m_context);
    m_file.close();
}

int SalvageSink::writePacket(void *opaque, const uint8_t *data, int size)
{
    auto *sink = static_cast<SalvageSink *>(opaque);
    const qint64 end = sink->m_failedAt >= 0 ? sink->m_failedAt : std::numeric_limits<qint64>::max();
    const qint64 room = std::clamp<qint64>(end - sink->m_position, 0, size);
    qint64 written = 0;
    while (written < room) {
        const qint64 step = sink->m_file.write(reinterpret_cast<const char *>(data) + written, room - written);
        if (step <= 0) {
            // the disk stopped taking bytes here (full, or a size limit)
            sink->m_failedAt = sink->m_position + written;
            sink->m_failure = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        written += step;
    }
    sink->m_position += size;
    if (written < size && !sink->m_file.isSequential())
        sink->m_file.seek(std::min(sink->m_position, end));
    // What the disk did not take is taken all the same: the muxer goes on to
    // finish its header, and SalvageAsf cuts the file back.
    return size;
}

int64_t SalvageSink::seek(void *opaque, int64_t offset, int whence)
{
    auto *sink = static_cast<SalvageSink *>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return -1;
    qint64 target = offset;
    if (whence == SEEK_CUR)
        target = sink->m_position + offset;
    else if (whence != SEEK_SET)
        return -1;
    const qint64 onDisk = sink->m_failedAt >= 0 ? std::min(target, sink->m_failedAt) : target;
    if (target < 0 || !sink->m_file.seek(onDisk))
        return -1;
    sink->m_position = target;
    return target;
}

qint64 SalvageAsf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return 0;
    const QByteArray head = file.read(1 << 20);
    const qsizetype props = head.indexOf(FilePropertiesGuid);
    const qsizetype data = head.indexOf(DataObjectGuid);
    if (props < 0 || data < 0 || props + 104 > head.size() || data + DataObjectHeader > head.size())
        return 0;
    const quint32 packetSize = qFromLittleEndian<quint32>(head.constData() + props + 92);
    if (packetSize == 0)
        return 0;
    const qint64 packetsStart = data + DataObjectHeader;
    const qint64 kept = std::max<qint64>((file.size() - packetsStart) / packetSize, 0);
    const quint64 claimed = readU64(head, props + 56);
    if (kept == 0) {
        file.close();
        return 0;
    }

    QByteArray header = head.left(packetsStart);
    const quint64 preroll = readU64(header, props + 80) * 10000;  // ms → 100 ns
    auto scaled = [&](quint64 duration, quint64 base) {
        if (claimed == 0 || duration <= base)
            return duration;
        return base + quint64(double(duration - base) * double(kept) / double(claimed));
    };
    const qint64 fileSize = packetsStart + kept * packetSize;
    writeU64(header, props + 40, quint64(fileSize));
    writeU64(header, props + 56, quint64(kept));
    writeU64(header, props + 64, scaled(readU64(header, props + 64), preroll));
    writeU64(header, props + 72, scaled(readU64(header, props + 72), 0));
    writeU64(header, data + 16, quint64(DataObjectHeader + kept * packetSize));
    writeU64(header, data + 40, quint64(kept));
    // The stored frame count was that of the audio given, not of the audio kept.
    const QByteArray name = QByteArray(FrameCountAttribute).append('\0');
    QByteArray wide;
    for (const char c : name)
        wide.append(c).append('\0');
    const qsizetype attribute = header.indexOf(wide);
    if (attribute >= 0) {
        const qsizetype value = attribute + wide.size() + 4;
        for (qsizetype at = value; at + 1 < header.size() && header.at(at) != '\0'; at += 2)
            header[at] = '0';
    }
    file.seek(0);
    file.write(header);
    file.resize(fileSize);
    return kept;
}

namespace {

// The start of an ASF file and where its file properties object begins
// there; -1 when the file is none or its header is cut off.
qsizetype readAsfHead(QFile &file, QByteArray &head)
{
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    head = file.read(1 << 20);
    const qsizetype props = head.indexOf(FilePropertiesGuid);
    return head.startsWith(HeaderObjectGuid) && props >= 0 && props + 104 <= head.size() ? props : -1;
}

} // namespace

bool AsfWritingUnfinished(const QString &path)
{
    QFile file(path);
    QByteArray head;
    const qsizetype props = readAsfHead(file, head);
    const qsizetype data = head.indexOf(DataObjectGuid);
    if (props < 0 || data < 0)
        return false;
    const bool placeholders = readU64(head, props + 40) == 0 && readU64(head, props + 56) == 0;
    return placeholders && file.size() > data + DataObjectHeader;
}

qint64 AsfDataPackets(const QString &path)
{
    QFile file(path);
    QByteArray head;
    const qsizetype props = readAsfHead(file, head);
    if (props < 0)
        return 0;
    return qint64(std::min<quint64>(readU64(head, props + 56), std::numeric_limits<qint64>::max()));
}

} // namespace korvex
