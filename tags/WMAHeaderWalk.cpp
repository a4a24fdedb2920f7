#include "tags/WMAHeaderWalk.h"

#include "tags/TagText.h"
#include "tags/WMATag.h"

#include <QIODevice>
#include <QtEndian>

namespace korvex {

namespace {

constexpr int ObjectHeaderSize = 24;
constexpr int EntryHeaderSize = 9;
constexpr int HeaderTextLimit = 511;

// {D6E229D1-35DA-11D1-9034-00A0C90349BE} and {D6E229D5-...}, in their stored
// byte order.
constexpr char HeaderGuid[16] = {'\xD1', '\x29', '\xE2', '\xD6', '\xDA', '\x35', '\xD1', '\x11',
                                 '\x90', '\x34', '\x00', '\xA0', '\xC9', '\x03', '\x49', '\xBE'};
constexpr char DescriptionGuid[16] = {'\xD5', '\x29', '\xE2', '\xD6', '\xDA', '\x35', '\xD1', '\x11',
                                      '\x90', '\x34', '\x00', '\xA0', '\xC9', '\x03', '\x49', '\xBE'};

struct ObjectHeader
{
    QByteArray guid;
    qint64 size = 0;
};

bool readObjectHeader(QIODevice &device, ObjectHeader &header)
{
    const QByteArray bytes = device.read(ObjectHeaderSize);
    if (bytes.size() < ObjectHeaderSize)
        return false;
    header.guid = bytes.left(16);
    header.size = qFromLittleEndian<qint64>(bytes.constData() + 16);
    return true;
}

// Moves `distance` bytes on. A distance past the end of the device ends at
// the end, where the next read says the header is truncated; the check comes
// before the addition, which could overflow for sizes near 2^63.
bool skipForward(QIODevice &device, qint64 distance)
{
    if (device.isSequential())
        return false;
    if (distance > device.size() - device.pos()) {
        device.seek(device.size());
        return false;
    }
    return device.seek(device.pos() + distance);
}

bool isGuid(const QByteArray &guid, const char (&expected)[16])
{
    return guid == QByteArrayView(expected, 16);
}

quint16 trackNumberOf(const QString &value)
{
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok && number <= 0xFFFF ? quint16(number) : 0;
}

void storeEntry(int kind, const QString &name, const QString &value, WMAHeaderInfo &info)
{
    switch (kind) {
    case 1: info.Author = FitField(value, WMAFieldWidth::Author); return;
    case 2: info.Title = FitField(value, WMAFieldWidth::Title); return;
    case 3: info.Copyright = FitField(value, WMAFieldWidth::Copyright); return;
    case 4: info.Description = FitField(value, WMAFieldWidth::Description); return;
    default: break;
    }
    if (kind < 100)
        return;
    if (name.compare(u"WM/Track", Qt::CaseInsensitive) == 0)
        info.TrackNumber = trackNumberOf(value);
    else if (name.compare(u"WM/Year", Qt::CaseInsensitive) == 0)
        info.Year = FitField(value, WMAFieldWidth::Year);
    else if (name.compare(u"WM/AlbumTitle", Qt::CaseInsensitive) == 0)
        info.AlbumTitle = FitField(value, WMAFieldWidth::AlbumTitle);
}

void readDescription(QIODevice &device, WMAHeaderInfo &info)
{
    const QByteArray countBytes = device.read(2);
    if (countBytes.size() < 2)
        return;
    const quint16 count = qFromLittleEndian<quint16>(countBytes.constData());
    for (int i = 0; i < count; ++i) {
        const QByteArray entry = device.read(EntryHeaderSize);
        if (entry.size() < EntryHeaderSize)
            return;  // past the end of the file: nothing more to find
        const int kind = static_cast<uchar>(entry[0]);
        const QString name = ReadHeaderText(device, qFromLittleEndian<quint16>(entry.constData() + 5));
        const QString value = ReadHeaderText(device, qFromLittleEndian<quint16>(entry.constData() + 7));
        storeEntry(kind, name, value, info);
    }
}

} // namespace

QString ReadHeaderText(QIODevice &device, int length)
{
    if (length <= 0)
        return QString();
    const int kept = qMin(length, HeaderTextLimit);
    const QByteArray bytes = device.read(qint64(kept) * 2);
    if (length > HeaderTextLimit)
        skipForward(device, qint64(length - HeaderTextLimit) * 2);
    QString text;
    for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) {
        const char16_t c = qFromLittleEndian<char16_t>(bytes.constData() + at);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

void WalkWMAHeader(QIODevice &device, WMAHeaderInfo &info)
{
    ObjectHeader header;
    if (!readObjectHeader(device, header) || !isGuid(header.guid, HeaderGuid))
        return;
    info.Found = -1;
    qint64 remaining = header.size;
    while (remaining > 0) {
        ObjectHeader object;
        if (!readObjectHeader(device, object))
            return;
        // An object smaller than its own header cannot be skipped forward.
        if (object.size < ObjectHeaderSize || object.size > remaining)
            return;
        remaining -= object.size;
        if (isGuid(object.guid, DescriptionGuid))
            readDescription(device, info);
        else if (!skipForward(device, object.size - ObjectHeaderSize))
            return;
    }
}

} // namespace korvex
