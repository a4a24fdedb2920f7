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

constexpr qint64 FrameHeaderSize = 10;
constexpr qint64 FrameValueSize = 250;

enum FrameIndex { TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM };

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

quint32 syncsafe32(const QByteArray &bytes, int at)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData()) + at;
    return quint32(b[0] & 0x7F) << 21 | quint32(b[1] & 0x7F) << 14 | quint32(b[2] & 0x7F) << 7
         | quint32(b[3] & 0x7F);
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
    for (int i = 0; i < int(FrameIDs.size()); ++i) {
        if (id == FrameIDs[i])
            return i;
    }
    return -1;
}

// Reads one frame at `position`; returns the position of the next frame, or
// -1 when the frame header cannot be read.
qint64 readFrame(QIODevice &device, qint64 position, bool syncsafeSizes, TagInfo &info)
{
    if (!device.seek(position))
        return -1;
    const QByteArray header = device.read(FrameHeaderSize);
    if (header.size() < FrameHeaderSize)
        return -1;
    const quint32 size = syncsafeSizes ? syncsafe32(header, 4) : bigEndian32(header, 4);
    QByteArray value = device.read(qMin<qint64>(size, FrameValueSize));
    value.append(QByteArray(FrameValueSize - value.size(), '\0'));
    const int index = frameIndex(header.left(4));
    if (index >= 0)
        info.FrameValues[index] = value;
    return position + FrameHeaderSize + qint64(size);
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
    const bool syncsafeSizes = static_cast<uchar>(info.Header[3]) == 4;
    const qint64 end = tagEnd(info);
    // Every frame moves the position on by at least its 10-byte header, so
    // the walk ends even on a tag of nothing but zero-sized frames.
    qint64 position = 10;
    while (position >= 0 && position < end)
        position = readFrame(device, position, syncsafeSizes, info);
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
