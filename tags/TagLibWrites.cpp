#include "tags/TagLibWrites.h"

#include <QFile>

#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>

#include <memory>

namespace korvex {

namespace {

TagLib::PropertyMap propertiesOf(const OutputTagTexts &texts)
{
    TagLib::PropertyMap properties;
    const auto put = [&properties](const char *name, const QString &value) {
        if (!value.isEmpty())
            properties.insert(name, TagLib::StringList(TagLib::String(value.toStdString(), TagLib::String::UTF8)));
    };
    put("TITLE", texts.Title);
    put("ARTIST", texts.Artist);
    put("ALBUM", texts.Album);
    put("DATE", texts.Year);
    put("GENRE", texts.Genre);
    return properties;
}

template <typename File>
bool writeTo(const QByteArray &path, const TagLib::PropertyMap &properties)
{
    File file(path.constData(), false);
    if (!file.isValid())
        return false;
    file.setProperties(properties);
    return file.save();
}

} // namespace

bool WriteTagLibTags(const QString &path, const QString &extension, const OutputTagTexts &texts)
{
    const QByteArray name = QFile::encodeName(path);
    const QString kind = extension.toLower();
    const TagLib::PropertyMap properties = propertiesOf(texts);
    if (kind == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData(), false);
        if (!file.isValid())
            return false;
        file.ID3v2Tag(true)->setProperties(properties);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
    }
    if (kind == QLatin1String("ogg"))
        return writeTo<TagLib::Ogg::Vorbis::File>(name, properties);
    if (kind == QLatin1String("opus"))
        return writeTo<TagLib::Ogg::Opus::File>(name, properties);
    if (kind == QLatin1String("m4a") || kind == QLatin1String("mp4"))
        return writeTo<TagLib::MP4::File>(name, properties);
    return false;
}

} // namespace korvex
