#include "joblist/EntryTags.h"

#include "joblist/ListText.h"
#include "tags/ID3.h"
#include "components/KorvexError.h"
#include "tags/Ogg.h"
#include "tags/TagLibTags.h"
#include "tags/TagText.h"
#include "tags/WMATag.h"

#include <QFileInfo>

namespace korvex {

namespace {

QString captionFrom(const QString &title)
{
    return TrimTagText(CleanName(title));
}

AudioFileinfo tagsOf(const WMAHeaderInfo &header)
{
    AudioFileinfo tags;
    tags.Title = header.Title;
    tags.Artist = header.Author;
    tags.Album = header.AlbumTitle;
    tags.Comment = header.Description;
    tags.Genre = header.Genre;
    return tags;
}

// The record of a reader whose fields carry the record's own names; `title`
// is the title as the format stores it in the record.
template <typename Tag>
AudioFileinfo recordOf(const Tag &tag, const QString &title)
{
    AudioFileinfo tags;
    tags.Title = title;
    tags.Artist = tag.Artist;
    tags.Album = tag.Album;
    tags.Comment = tag.Comment;
    tags.Genre = tag.Genre;
    return tags;
}

EntryTags wmaTags(const QString &path)
{
    WMAHeaderInfo header;
    ReadWMAHeader(path, header);
    return {captionFrom(header.Title), tagsOf(header)};
}

// The comment library reads Ogg Vorbis only; Ogg files holding another codec
// FFmpeg plays get their comments through TagLib. Anything else stays refused.
OGGTag oggComments(const QString &path)
{
    OGGTag ogg;
    try {
        ReadOggTag(path, ogg);
    } catch (const KorvexError &) {
        if (!ReadOggXiphTag(path, ogg))
            throw;
    }
    return ogg;
}

EntryTags oggTags(const QString &path)
{
    // the title stays as written: only the caption must suit a file name
    const OGGTag ogg = oggComments(path);
    return {captionFrom(ogg.Title), recordOf(ogg, TrimTagText(ogg.Title))};
}

EntryTags mp3Tags(const QString &path)
{
    EntryTags entry;
    ReadID3v1(path);
    entry.caption = captionFrom(ID3v1Text(ID3v1Tag.Title));
    ReadID3v2(path);
    const QString caption = captionFrom(ID3v2Tag.Title);
    if (!caption.isEmpty())
        entry.caption = caption;
    // the title stays as written: only the caption must suit a file name
    entry.tags = recordOf(ID3v2Tag, TrimTagText(ID3v2Tag.Title));
    return entry;
}

EntryTags genericTags(const QString &path)
{
    // the title stays as written: only the caption must suit a file name
    const GenericTag tag = ReadGenericTag(path);
    return {captionFrom(tag.Title), recordOf(tag, tag.Title)};
}

} // namespace

EntryTags TagsForFile(const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"wma")
        return wmaTags(path);
    if (extension == u"ogg")
        return oggTags(path);
    if (extension == u"mp3")
        return mp3Tags(path);
    return genericTags(path);
}

EntryTags TagsForFolderEntry(const QString &path)
{
    WMAHeaderInfo header;
    ReadWMAHeader(path, header);
    return {header.Title, tagsOf(header)};
}

} // namespace korvex
