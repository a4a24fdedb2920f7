#include "tags/ID3.h"

#include "components/KorvexError.h"
#include "tags/ID3Text.h"
#include "tags/TagText.h"

#include <QFile>

#include <cstring>

namespace korvex {

ID3StructV2 ID3v2Tag;
ID3StructV1 ID3v1Tag;

namespace {

constexpr qint64 FrameValueSize = 250;
constexpr qint64 DataLengthIndicatorSize = 4;
// Raw bytes that hold the first 250 bytes of an unsynchronised body even when
// every one of them had a zero byte inserted after it.
constexpr qint64 UnsynchronisedValueSize = 2 * FrameValueSize;

// Tag header flags (unsynchronisation up to ID3v2.3) and ID3v2.4 frame
// format flags.
constexpr uchar TagUnsynchronised = 0x80;
constexpr uchar TagHasExtendedHeader = 0x40;
constexpr uchar FrameUnsynchronised = 0x02;
constexpr uchar FrameDataLengthIndicator = 0x01;

enum FrameIndex { TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM };

struct FrameLayout
{
    int idSize = 4;
    int sizeBytes = 4;
    int headerSize = 10;
    bool syncsafeSizes = false;  // ID3v2.4
    bool formatFlags = false;    // ID3v2.4 frames say how their bodies are stored
};

FrameLayout layoutOf(uchar version)
{
    if (version == 2)
        return {3, 3, 6, false, false};
    if (version == 4)
        return {4, 4, 10, true, true};
    return {};
}

quint32 bigEndian(const QByteArray &bytes, int at, int count)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | b[i];
    return value;
}

quint32 syncsafe32(const QByteArray &bytes, int at)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return quint32(b[0] & 0x7F) << 21 | quint32(b[1] & 0x7F) << 14 | quint32(b[2] & 0x7F) << 7
         | quint32(b[3] & 0x7F);
}

quint32 frameSize(const QByteArray &header, const FrameLayout &layout)
{
    if (layout.syncsafeSizes)
        return syncsafe32(header, layout.idSize);
    return bigEndian(header, layout.idSize, layout.sizeBytes);
}

// The tag size bytes are taken whole (bit 7 not masked): a damaged size can
// only grow the tag, which the comparison with the file size then refuses.
qint64 tagEnd(const TagInfo &info)
{
    const auto *h = reinterpret_cast<const uchar *>(info.Header.constData());
    const qint64 end = qint64(h[6]) * (1 << 21) + qint64(h[7]) * (1 << 14) + qint64(h[8]) * (1 << 7)
                     + qint64(h[9]) + 10;
    return end > info.FileSize ? 0 : end;
}

int frameIndex(const QByteArray &id)
{
    const auto &ids = id.size() == 3 ? FrameIDsV22 : FrameIDs;
    for (int i = 0; i < int(ids.size()); ++i) {
        if (id == ids[i])
            return i;
    }
    return -1;
}

// Takes out the zero byte that unsynchronisation puts after every 0xFF.
class Resynchroniser
{
public:
    // False when the byte is one that was put in.
    bool keep(char c)
    {
        const bool inserted = m_afterFF && c == 0;
        m_afterFF = static_cast<uchar>(c) == 0xFF;
        return !inserted;
    }

private:
    bool m_afterFF = false;
};

QByteArray resynchronised(const QByteArray &bytes)
{
    Resynchroniser undo;
    QByteArray plain;
    plain.reserve(bytes.size());
    for (char c : bytes) {
        if (undo.keep(c))
            plain.append(c);
    }
    return plain;
}

// The bytes of the tag after its header, as its frames are laid out in them.
class TagBytes
{
public:
    virtual ~TagBytes() = default;
    virtual QByteArray read(qint64 count) = 0;
    virtual bool skip(qint64 count) = 0;
    // Where the next byte lies in the file, to be compared with the tag end.
    virtual qint64 filePosition() const = 0;
};

// A tag stored as it is: frames follow each other in the file.
class PlainBytes final : public TagBytes
{
public:
    explicit PlainBytes(QIODevice &device) : m_device(device) {}
    QByteArray read(qint64 count) override { return m_device.read(count); }
    // A frame that claims to run past the end of the file ends the walk
    // there, as the short read after the seek would.
    bool skip(qint64 count) override
    {
        const qint64 target = m_device.pos() + count;
        return target <= m_device.size() && m_device.seek(target);
    }
    qint64 filePosition() const override { return m_device.pos(); }

private:
    QIODevice &m_device;
};

// A tag unsynchronised as a whole: frame sizes count the bytes with the
// inserted zero bytes taken out, so the tag is read in order, up to its end.
class ResynchronisedBytes final : public TagBytes
{
public:
    ResynchronisedBytes(QIODevice &device, qint64 end) : m_device(device), m_end(end) {}
    QByteArray read(qint64 count) override
    {
        QByteArray bytes;
        take(count, &bytes);
        return bytes;
    }
    bool skip(qint64 count) override { return take(count, nullptr) == count; }
    qint64 filePosition() const override { return m_device.pos() - (m_chunk.size() - m_at); }

private:
    static constexpr qint64 ChunkSize = 64 * 1024;

    bool refill()
    {
        const qint64 left = m_end - m_device.pos();
        m_chunk = left > 0 ? m_device.read(qMin(left, ChunkSize)) : QByteArray();
        m_at = 0;
        return !m_chunk.isEmpty();
    }

    qint64 take(qint64 count, QByteArray *into)
    {
        qint64 taken = 0;
        while (taken < count) {
            if (m_at == m_chunk.size() && !refill())
                break;
            const char c = m_chunk.at(m_at++);
            if (!m_undo.keep(c))
                continue;
            if (into)
                into->append(c);
            ++taken;
        }
        return taken;
    }

    QIODevice &m_device;
    const qint64 m_end;
    QByteArray m_chunk;
    qsizetype m_at = 0;
    Resynchroniser m_undo;
};

// The first 250 bytes of a frame body as its text decoder wants them,
// zero-filled; `formatFlags` are those of an ID3v2.4 frame, else 0.
QByteArray frameValue(QByteArray body, uchar formatFlags)
{
    if (formatFlags & FrameDataLengthIndicator)
        body.remove(0, DataLengthIndicatorSize);
    if (formatFlags & FrameUnsynchronised)
        body = resynchronised(body);
    body.truncate(FrameValueSize);
    body.append(QByteArray(FrameValueSize - body.size(), '\0'));
    return body;
}

qint64 rawValueSize(uchar formatFlags)
{
    const qint64 indicator = formatFlags & FrameDataLengthIndicator ? DataLengthIndicatorSize : 0;
    return indicator + (formatFlags & FrameUnsynchronised ? UnsynchronisedValueSize : FrameValueSize);
}

// Reads the frame that starts at the next byte; false when no frame header
// can be read or the end of its body cannot be reached.
bool readFrame(TagBytes &bytes, const FrameLayout &layout, TagInfo &info)
{
    const QByteArray header = bytes.read(layout.headerSize);
    if (header.size() < layout.headerSize)
        return false;
    const quint32 size = frameSize(header, layout);
    const uchar formatFlags = layout.formatFlags ? static_cast<uchar>(header[9]) : 0;
    const QByteArray body = bytes.read(qMin<qint64>(size, rawValueSize(formatFlags)));
    const QByteArray value = frameValue(body, formatFlags);
    const int index = frameIndex(header.left(layout.idSize));
    const bool playerData = index == COMM && DecodeID3CommentDescription(value).startsWith(u"iTun");
    if (index >= 0 && !playerData)
        info.FrameValues[index] = value;
    return bytes.skip(qint64(size) - body.size());
}

// The extended header of ID3v2.3 and 2.4 lies between the tag header and
// the first frame. ID3v2.3 gives the size of what follows its size bytes,
// ID3v2.4 that of the whole extended header as a syncsafe number. False
// when it cannot be passed.
bool skipExtendedHeader(TagBytes &bytes, uchar version)
{
    const QByteArray size = bytes.read(4);
    if (size.size() < 4)
        return false;
    if (version == 4) {
        const qint64 whole = syncsafe32(size, 0);
        return whole >= 4 && bytes.skip(whole - 4);
    }
    return bytes.skip(bigEndian(size, 0, 4));
}

ID3StructV2 fieldsOf(const TagInfo &info)
{
    const auto text = [&](int index) { return TrimTagText(DecodeID3TextFrame(info.FrameValues[index])); };
    ID3StructV2 tag;
    tag.Title = text(TIT2);
    tag.Artist = text(TPE1);
    tag.Album = text(TALB);
    tag.Year = text(TYER);
    tag.Track = text(TRCK);
    tag.Comment = TrimTagText(DecodeID3CommentFrame(info.FrameValues[COMM]));
    tag.Genre = text(TCON);
    return tag;
}

} // namespace

void ClearID3v2Tag()
{
    ID3v2Tag = ID3StructV2();
}

ID3StructV2 ParseID3v2(QIODevice &device)
{
    TagInfo info;
    if (!device.seek(0))
        return {};
    info.Header = device.read(10);
    info.FileSize = device.size();
    if (info.Header.size() < 10 || !info.Header.startsWith("ID3"))
        return {};
    const auto version = static_cast<uchar>(info.Header[3]);
    const auto flags = static_cast<uchar>(info.Header[5]);
    const FrameLayout layout = layoutOf(version);
    const qint64 end = tagEnd(info);
    PlainBytes plain(device);
    ResynchronisedBytes resynchronised(device, end);
    const bool wholeTagUnsynchronised = version <= 3 && (flags & TagUnsynchronised);
    TagBytes &bytes = wholeTagUnsynchronised ? static_cast<TagBytes &>(resynchronised) : plain;
    const bool extended = (version == 3 || version == 4) && (flags & TagHasExtendedHeader);
    if (extended && !skipExtendedHeader(bytes, version))
        return {};
    // Every frame moves the position on by at least its header, so the walk
    // ends even on a tag of nothing but zero-sized frames.
    while (bytes.filePosition() < end && readFrame(bytes, layout, info)) {
    }
    return fieldsOf(info);
}

void ReadID3v2(const QString &fileName)
{
    ClearID3v2Tag();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    ID3v2Tag = ParseID3v2(file);
}

void ReadID3v1(const QString &fileName)
{
    std::memset(&ID3v1Tag, 0, sizeof ID3v1Tag);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvexError(QStringLiteral("Cannot open %1: %2").arg(fileName, file.errorString()));
    const qint64 blockStart = file.size() - qint64(sizeof ID3v1Tag);
    if (blockStart >= 0 && file.seek(blockStart)) {
        const qint64 got = file.read(reinterpret_cast<char *>(&ID3v1Tag), sizeof ID3v1Tag);
        if (got != qint64(sizeof ID3v1Tag))
            throw KorvexError(QStringLiteral("Cannot read %1: %2").arg(fileName, file.errorString()));
    }
    if (std::memcmp(ID3v1Tag.Tag, "TAG", 3) != 0) {
        std::memset(ID3v1Tag.Title, 0, offsetof(ID3StructV1, Genre) - offsetof(ID3StructV1, Title));
        ID3v1Tag.Genre = 3;
    }
}

} // namespace korvex
