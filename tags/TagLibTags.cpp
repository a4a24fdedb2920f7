#include "tags/TagLibTags.h"

#include "tags/TagText.h"

#include <QFile>

#include <taglib/fileref.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/xiphcomment.h>

namespace korvex {

namespace {

QString text(const TagLib::String &value)
{
    return TrimTagText(QString::fromStdString(value.to8Bit(true)));
}

// A name given more than once keeps its last value, as in Vorbis comments.
QString lastValue(const TagLib::PropertyMap &properties, const char *name)
{
    const auto found = properties.find(name);
    return found == properties.end() || found->second.isEmpty() ? QString() : text(found->second.back());
}

// The comments in the order of their names, each name's values in the order
// of the packet, so that the last value of a name still wins.
TStrComments commentsOf(const TagLib::Ogg::XiphComment &xiph)
{
    TStrComments comments;
    const TagLib::Ogg::FieldListMap fields = xiph.fieldListMap();
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        const QString name = QString::fromStdString(field->first.to8Bit(true));
        for (const TagLib::String &value : field->second) {
            const QString decoded = QString::fromStdString(value.to8Bit(true));
            comments.append({name, decoded, name + QLatin1Char('=') + decoded});
        }
    }
    return comments;
}

// The comment header of the first of the three codecs the file holds.
template <typename OggFile>
bool readXiph(const QByteArray &path, OGGTag &tag)
{
    OggFile file(path.constData(), false);
    if (!file.isValid() || !file.tag())
        return false;
    tag = OggTagFromComments(commentsOf(*file.tag()));
    return true;
}

} // namespace

GenericTag ReadGenericTag(const QString &fileName)
{
    const TagLib::FileRef file(QFile::encodeName(fileName).constData(), false);
    if (file.isNull())
        return {};
    // The unified names: "COMMENT" is the comment without a description in
    // every format (not a Vorbis "DESCRIPTION", not an ID3 comment of player
    // data), where the generic tag would take either.
    const TagLib::PropertyMap properties = file.file()->properties();
    return {lastValue(properties, "TITLE"), lastValue(properties, "ARTIST"), lastValue(properties, "ALBUM"),
            lastValue(properties, "COMMENT"), lastValue(properties, "GENRE")};
}

bool ReadOggXiphTag(const QString &fileName, OGGTag &tag)
{
    tag = OGGTag();
    const QByteArray path = QFile::encodeName(fileName);
    return readXiph<TagLib::Ogg::Opus::File>(path, tag) || readXiph<TagLib::Ogg::FLAC::File>(path, tag)
        || readXiph<TagLib::Ogg::Speex::File>(path, tag);
}

} // namespace korvex
