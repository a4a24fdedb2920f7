#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <memory>

namespace korvex {

// The attribute names of a Windows Media header, in their customary order.
inline constexpr std::array<QStringView, 22> WMAttributeNames = {
    u"Duration",       u"Bitrate",       u"Seekable",        u"Broadcast",        u"Is_Protected",
    u"Is_Trusted",     u"Signature_Name", u"Title",          u"Author",           u"Description",
    u"Rating",         u"Copyright",     u"Use_DRM",         u"DRM_Flags",        u"DRM_Level",
    u"WM/AlbumTitle",  u"WM/Track",      u"WM/PromotionURL", u"WM/AlbumCoverURL", u"WM/Genre",
    u"WM/Year",        u"WM/TrackNumber"};

// Type codes of attribute values. Only the low byte of a code is meaningful.
enum WMAttributeType : quint32 {
    WMTypeDWord = 0,   // 32-bit unsigned, 4 bytes little-endian
    WMTypeString = 1,  // UTF-16LE text with its terminating zero character
    WMTypeBinary = 2,
    WMTypeBool = 3,    // 4 bytes
    WMTypeQWord = 4,
    WMTypeWord = 5,
    WMTypeGuid = 6,
};

// Statuses of the info object's operations; 0 is success.
enum WMAudioStatus : int {
    WMStatusOk = 0,
    WMStatusCannotOpen = 1,
    WMStatusNotFound = 2,
    WMStatusBufferTooSmall = 3,
    WMStatusInvalidArgument = 4,
    WMStatusCannotSave = 5,
};

// The header of one WMA file, opened for reading and changing attributes.
class WMAudioInfoObject
{
public:
    virtual ~WMAudioInfoObject() = default;
    // On success the value of `*type` stands in `value` and `*length` holds its
    // byte count. A value longer than `*length` bytes gives
    // WMStatusBufferTooSmall, with `*length` set to the size it needs.
    virtual int GetAttributeByName(QStringView name, quint32 *type, void *value, quint32 *length) = 0;
    virtual int SetAttribute(QStringView name, quint32 type, const void *value, quint32 length) = 0;
    // Writes the changed attributes to the file and lets it go.
    virtual int Close() = 0;
};

// The layer is built in (on TagLib), so it is always available.
bool WMAudioAvailable();

// 0 with an info object in `info`; non-zero when the file is no ASF file or
// cannot be opened.
int WMAudioCreateInfo(const QString &fileName, std::unique_ptr<WMAudioInfoObject> &info);

} // namespace korvex
