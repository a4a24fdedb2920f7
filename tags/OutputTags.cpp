#include "tags/OutputTags.h"

#include <QFile>

#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tag.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace korvex {

namespace {

TagLib::String text(const QString &value)
{
    return TagLib::String(value.toStdString(), TagLib::String::UTF8);
}

void fill(TagLib::Tag &tag, const OutputTagValues &values)
{
    tag.setTitle(text(values.Title));
    tag.setArtist(text(values.Artist));
    tag.setAlbum(text(values.Album));
    tag.setGenre(text(values.Genre));
    tag.setYear(values.Year.trimmed().left(4).toUInt());
    tag.setTrack(values.Track > 0 ? unsigned(values.Track) : 0);
}

// The Vorbis comment keeps the year as written ("1999-05"), not only its number.
void fillXiph(TagLib::Ogg::XiphComment &comment, const OutputTagValues &values)
{
    fill(comment, values);
    if (!values.Year.trimmed().isEmpty())
        comment.addField("DATE", text(values.Year.trimmed()), true);
}

template<typename File>
bool saveXiph(const TagLib::FileName name, const OutputTagValues &values)
{
    File file(name, false);
    if (!file.isValid() || !file.tag())
        return false;
    fillXiph(*file.tag(), values);
    return file.save();
}

bool writeMp3(const TagLib::FileName name, const OutputTagValues &values)
{
    TagLib::MPEG::File file(name, false);
    if (!file.isValid())
        return false;
    fill(*file.ID3v2Tag(true), values);
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
}

bool writeFlac(const TagLib::FileName name, const OutputTagValues &values)
{
    TagLib::FLAC::File file(name, false);
    if (!file.isValid())
        return false;
    fillXiph(*file.xiphComment(true), values);
    return file.save();
}

bool writeM4a(const TagLib::FileName name, const OutputTagValues &values)
{
    TagLib::MP4::File file(name, false);
    if (!file.isValid() || !file.tag())
        return false;
    fill(*file.tag(), values);
    return file.save();
}

bool writeWav(const TagLib::FileName name, const OutputTagValues &values)
{
    TagLib::RIFF::WAV::File file(name, false);
    if (!file.isValid())
        return false;
    fill(*file.InfoTag(), values);
    fill(*file.ID3v2Tag(), values);
    return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4);
}

} // namespace

MuxedComments VorbisCommentsOf(const OutputTagValues &values)
{
    const QString year = values.Year.trimmed();
    const MuxedComments all = {{QStringLiteral("TITLE"), values.Title},
                               {QStringLiteral("ARTIST"), values.Artist},
                               {QStringLiteral("ALBUM"), values.Album},
                               {QStringLiteral("GENRE"), values.Genre},
                               {QStringLiteral("DATE"), year},
                               {QStringLiteral("TRACKNUMBER"),
                                values.Track > 0 ? QString::number(values.Track) : QString()}};
    MuxedComments held;
    for (const auto &comment : all) {
        if (!comment.second.isEmpty())
            held.append(comment);
    }
    return held;
}

bool WriteEncodedTags(const QString &path, EncodedCodec codec, const OutputTagValues &values)
{
    const QByteArray encoded = QFile::encodeName(path);
    const TagLib::FileName name = encoded.constData();
    switch (codec) {
    case EncodedCodec::Mp3:
        return writeMp3(name, values);
    case EncodedCodec::Vorbis:
        return saveXiph<TagLib::Ogg::Vorbis::File>(name, values);
    case EncodedCodec::Opus:
        return saveXiph<TagLib::Ogg::Opus::File>(name, values);
    case EncodedCodec::Flac:
        return writeFlac(name, values);
    case EncodedCodec::Aac:
        return writeM4a(name, values);
    case EncodedCodec::Wav:
        return writeWav(name, values);
    case EncodedCodec::Wma:
        break;
    }
    return false;
}

} // namespace korvex
