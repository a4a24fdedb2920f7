#include "tags/WMAudioInfo.h"

#include "tags/TagFileStream.h"

#include <QFile>

#include <taglib/asffile.h>
#include <taglib/asftag.h>

#include <cstring>

namespace korvex {

namespace {

using TagLib::ASF::Attribute;

TagLib::String toTagLib(QStringView text)
{
    return TagLib::String(text.toUtf8().toStdString(), TagLib::String::UTF8);
}

TagLib::ByteVector utf16WithTerminator(const TagLib::String &text)
{
    TagLib::ByteVector bytes = text.data(TagLib::String::UTF16LE);
    bytes.append(TagLib::ByteVector(2, '\0'));
    return bytes;
}

TagLib::ByteVector littleEndian(quint64 value, int size)
{
    TagLib::ByteVector bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

quint64 fromLittleEndian(const void *value, quint32 size)
{
    quint64 result = 0;
    const auto *bytes = static_cast<const uchar *>(value);
    for (quint32 i = 0; i < size && i < 8; ++i)
        result |= quint64(bytes[i]) << (8 * i);
    return result;
}

struct EncodedValue
{
    quint32 type;
    TagLib::ByteVector bytes;
};

EncodedValue encode(const Attribute &attribute)
{
    switch (attribute.type()) {
    case Attribute::UnicodeType:
        return {WMTypeString, utf16WithTerminator(attribute.toString())};
    case Attribute::DWordType:
        return {WMTypeDWord, littleEndian(attribute.toUInt(), 4)};
    case Attribute::QWordType:
        return {WMTypeQWord, littleEndian(attribute.toULongLong(), 8)};
    case Attribute::WordType:
        return {WMTypeWord, littleEndian(attribute.toUShort(), 2)};
    case Attribute::BoolType:
        return {WMTypeBool, littleEndian(attribute.toBool(), 4)};
    case Attribute::GuidType:
        return {WMTypeGuid, attribute.toByteVector()};
    case Attribute::BytesType:
        break;
    }
    return {WMTypeBinary, attribute.toByteVector()};
}

// The five names that live in the content description object rather than
// among the extended attributes.
enum class DescriptionField { None, Title, Author, Description, Copyright, Rating };

DescriptionField descriptionField(QStringView name)
{
    if (name == u"Title")
        return DescriptionField::Title;
    if (name == u"Author")
        return DescriptionField::Author;
    if (name == u"Description")
        return DescriptionField::Description;
    if (name == u"Copyright")
        return DescriptionField::Copyright;
    if (name == u"Rating")
        return DescriptionField::Rating;
    return DescriptionField::None;
}

TagLib::String descriptionText(const TagLib::ASF::Tag &tag, DescriptionField field)
{
    switch (field) {
    case DescriptionField::Title: return tag.title();
    case DescriptionField::Author: return tag.artist();
    case DescriptionField::Description: return tag.comment();
    case DescriptionField::Copyright: return tag.copyright();
    case DescriptionField::Rating: return tag.rating();
    case DescriptionField::None: break;
    }
    return {};
}

void setDescriptionText(TagLib::ASF::Tag &tag, DescriptionField field, const TagLib::String &text)
{
    switch (field) {
    case DescriptionField::Title: tag.setTitle(text); break;
    case DescriptionField::Author: tag.setArtist(text); break;
    case DescriptionField::Description: tag.setComment(text); break;
    case DescriptionField::Copyright: tag.setCopyright(text); break;
    case DescriptionField::Rating: tag.setRating(text); break;
    case DescriptionField::None: break;
    }
}

// UTF-16LE bytes up to the first zero character (or the end).
TagLib::String textFromBytes(const void *value, quint32 length)
{
    const auto *bytes = static_cast<const char *>(value);
    quint32 end = 0;
    while (end + 1 < length && (bytes[end] || bytes[end + 1]))
        end += 2;
    return TagLib::String(TagLib::ByteVector(bytes, end), TagLib::String::UTF16LE);
}

bool attributeFromBytes(quint32 type, const void *value, quint32 length, Attribute &attribute)
{
    switch (type & 0xFF) {
    case WMTypeString: attribute = Attribute(textFromBytes(value, length)); return true;
    case WMTypeDWord: attribute = Attribute(static_cast<unsigned int>(fromLittleEndian(value, 4))); return length >= 4;
    case WMTypeQWord: attribute = Attribute(static_cast<unsigned long long>(fromLittleEndian(value, 8))); return length >= 8;
    case WMTypeWord: attribute = Attribute(static_cast<unsigned short>(fromLittleEndian(value, 2))); return length >= 2;
    case WMTypeBool: attribute = Attribute(fromLittleEndian(value, 4) != 0); return length >= 4;
    case WMTypeBinary:
        attribute = Attribute(TagLib::ByteVector(static_cast<const char *>(value), length));
        return true;
    default: return false;
    }
}

class TagLibWMAudioInfo final : public WMAudioInfoObject
{
public:
    TagLibWMAudioInfo(std::unique_ptr<TagFileStream> stream, std::unique_ptr<TagLib::ASF::File> file)
        : m_stream(std::move(stream)), m_file(std::move(file))
    {
    }

    int GetAttributeByName(QStringView name, quint32 *type, void *value, quint32 *length) override
    {
        if (!m_file || !type || !length || (!value && *length > 0))
            return WMStatusInvalidArgument;
        EncodedValue encoded;
        if (!find(name, encoded))
            return WMStatusNotFound;
        const quint32 needed = encoded.bytes.size();
        if (needed > *length) {
            *length = needed;
            return WMStatusBufferTooSmall;
        }
        std::memcpy(value, encoded.bytes.data(), needed);
        *length = needed;
        *type = encoded.type;
        return WMStatusOk;
    }

    int SetAttribute(QStringView name, quint32 type, const void *value, quint32 length) override
    {
        if (!m_file || (!value && length > 0))
            return WMStatusInvalidArgument;
        Attribute attribute;
        if (!attributeFromBytes(type, value, length, attribute))
            return WMStatusInvalidArgument;
        TagLib::ASF::Tag &tag = *m_file->tag();
        const DescriptionField field = descriptionField(name);
        if (field != DescriptionField::None) {
            if (attribute.type() != Attribute::UnicodeType)
                return WMStatusInvalidArgument;
            setDescriptionText(tag, field, attribute.toString());
        } else {
            tag.setAttribute(toTagLib(name), attribute);
        }
        m_modified = true;
        return WMStatusOk;
    }

    int Close() override
    {
        if (!m_file)
            return WMStatusInvalidArgument;
        const bool saved = !m_modified || (m_file->save() && !m_stream->refusedToGrow());
        m_file.reset();
        m_stream.reset();
        return saved ? WMStatusOk : WMStatusCannotSave;
    }

private:
    bool find(QStringView name, EncodedValue &encoded) const
    {
        const TagLib::ASF::Tag &tag = *m_file->tag();
        const DescriptionField field = descriptionField(name);
        if (field != DescriptionField::None) {
            encoded = {WMTypeString, utf16WithTerminator(descriptionText(tag, field))};
            return true;
        }
        const TagLib::ASF::AttributeList values = tag.attribute(toTagLib(name));
        if (values.isEmpty())
            return false;
        encoded = encode(values.front());
        return true;
    }

    std::unique_ptr<TagFileStream> m_stream;  // outlives m_file, which reads and writes through it
    std::unique_ptr<TagLib::ASF::File> m_file;
    bool m_modified = false;
};

} // namespace

bool WMAudioAvailable()
{
    return true;
}

int WMAudioCreateInfo(const QString &fileName, std::unique_ptr<WMAudioInfoObject> &info)
{
    info.reset();
    const QByteArray path = QFile::encodeName(fileName);
    auto stream = std::make_unique<TagFileStream>(path.constData());
    if (!stream->isOpen())
        return WMStatusCannotOpen;
    auto file = std::make_unique<TagLib::ASF::File>(stream.get(), false);
    if (!file->isValid() || !file->tag())
        return WMStatusCannotOpen;
    info = std::make_unique<TagLibWMAudioInfo>(std::move(stream), std::move(file));
    return WMStatusOk;
}

} // namespace korvex
