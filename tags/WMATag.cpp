#include "tags/WMATag.h"

#include "tags/FileModeGuard.h"
#include "tags/TagText.h"
#include "tags/WMAHeaderWalk.h"
#include "tags/WMAudioInfo.h"

#include <QFile>
#include <QtEndian>

#include <memory>

namespace korvex {

namespace {

// The reader's buffer: a text of more than 127 characters does not fit and
// leaves its field empty.
constexpr quint32 AttributeBufferSize = 256;

QString textAttribute(WMAudioInfoObject &object, QStringView name, int width)
{
    alignas(char16_t) char buffer[AttributeBufferSize] = {};
    quint32 type = 0;
    quint32 length = AttributeBufferSize;
    if (object.GetAttributeByName(name, &type, buffer, &length) != WMStatusOk || (type & 0xFF) != WMTypeString)
        return QString();
    QString text;
    for (quint32 at = 0; at + 1 < length; at += 2) {
        const char16_t c = qFromLittleEndian<char16_t>(buffer + at);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return FitField(text, width);
}

quint32 numberAttribute(WMAudioInfoObject &object, QStringView name)
{
    char buffer[AttributeBufferSize] = {};
    quint32 type = 0;
    quint32 length = AttributeBufferSize;
    if (object.GetAttributeByName(name, &type, buffer, &length) != WMStatusOk || (type & 0xFF) != WMTypeDWord
        || length < 4)
        return 0;
    return qFromLittleEndian<quint32>(buffer);
}

bool readThroughLayer(const QString &fileName, WMAHeaderInfo &info)
{
    std::unique_ptr<WMAudioInfoObject> object;
    if (!WMAudioAvailable() || WMAudioCreateInfo(fileName, object) != WMStatusOk)
        return false;
    info.Found = -1;
    info.Title = textAttribute(*object, u"Title", WMAFieldWidth::Title);
    info.Author = textAttribute(*object, u"Author", WMAFieldWidth::Author);
    info.AlbumTitle = textAttribute(*object, u"WM/AlbumTitle", WMAFieldWidth::AlbumTitle);
    info.Year = textAttribute(*object, u"WM/Year", WMAFieldWidth::Year);
    info.TrackNumber = quint16(numberAttribute(*object, u"WM/TrackNumber"));
    if (info.TrackNumber == 0)
        info.TrackNumber = quint16(numberAttribute(*object, u"WM/Track"));
    info.Description = textAttribute(*object, u"Description", WMAFieldWidth::Description);
    info.Genre = textAttribute(*object, u"WM/Genre", WMAFieldWidth::Genre);
    object->Close();
    return true;
}

void setText(WMAudioInfoObject &object, QStringView name, const QString &value, int width)
{
    const QString text = FitField(value, width);
    QByteArray bytes(qsizetype(text.size() + 1) * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<char16_t>(text.at(i).unicode(), bytes.data() + 2 * i);
    object.SetAttribute(name, WMTypeString, bytes.constData(), quint32(bytes.size()));
}

} // namespace

void ReadWMAHeader(const QString &fileName, WMAHeaderInfo &info)
{
    info = WMAHeaderInfo();
    if (readThroughLayer(fileName, info))
        return;
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        WalkWMAHeader(file, info);
}

bool WriteWMATags(const QString &fileName, const WMAHeaderInfo &info)
{
    const FileModeGuard writable(fileName);
    std::unique_ptr<WMAudioInfoObject> object;
    if (!WMAudioAvailable() || WMAudioCreateInfo(fileName, object) != WMStatusOk)
        return false;
    setText(*object, u"Author", info.Author, WMAFieldWidth::Author);
    setText(*object, u"Title", info.Title, WMAFieldWidth::Title);
    setText(*object, u"WM/AlbumTitle", info.AlbumTitle, WMAFieldWidth::AlbumTitle);
    setText(*object, u"WM/Year", info.Year, WMAFieldWidth::Year);
    setText(*object, u"Description", info.Description, WMAFieldWidth::Description);
    setText(*object, u"WM/Genre", info.Genre, WMAFieldWidth::Genre);
    // Always a DWORD: the track number as a text would be skipped by readers
    // that expect the number.
    char track[4];
    qToLittleEndian<quint32>(info.TrackNumber, track);
    object->SetAttribute(u"WM/TrackNumber", WMTypeDWord, track, sizeof track);
    return object->Close() == WMStatusOk;
}

} // namespace korvex
