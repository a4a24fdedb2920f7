#include "joblist/EntryTags.h"

#include "joblist/ListText.h"
#include "tags/ID3.h"
#include "tags/Ogg.h"
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

EntryTags wmaTags(const QString &path)
{
    WMAHeaderInfo header;
    ReadWMAHeader(path, header);
    return {captionFrom(header.Title), tagsOf(header)};
}

EntryTags oggTags(const QString &path)
{
    OGGTag ogg;
    ReadOggTag(path, ogg);
    EntryTags entry;
    entry.caption = captionFrom(ogg.Title);
    entry.tags.Title = entry.caption;
    entry.tags.Artist = ogg.Artist;
    entry.tags.Album = ogg.Album;
    entry.tags.Comment = ogg.Comment;
    entry.tags.Genre = ogg.Genre;
    return entry;
}

EntryTags mp3Tags(const QString &path)
{
    EntryTags entry;
    ReadID3v1(path);
    entry.caption = captionFrom(ID3v1Text(ID3v1Tag.Title));
    ReadID3v2(path);
    const QString title = captionFrom(ID3v2Tag.Title);
    if (!title.isEmpty())
        entry.caption = title;
    entry.tags.Title = title;
    entry.tags.Artist = ID3v2Tag.Artist;
    entry.tags.Album = ID3v2Tag.Album;
    entry.tags.Comment = ID3v2Tag.Comment;
    entry.tags.Genre = ID3v2Tag.Genre;
    return entry;
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
    return {};
}

EntryTags TagsForFolderEntry(const QString &path)
{
    WMAHeaderInfo header;
    ReadWMAHeader(path, header);
    return {header.Title, tagsOf(header)};
}

} // namespace korvex
