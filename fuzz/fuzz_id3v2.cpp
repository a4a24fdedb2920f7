// The ID3v2 frame walk over arbitrary bytes taken as the start of an MP3:
// the v2.2/2.3/2.4 frame layouts, unsynchronisation of the whole tag and of
// single frames, data length indicators, comments of player data. The text
// decoders also get the raw bytes as a frame body, so that cuts at any
// length, not only at 250 bytes, meet them.
#include "tags/ID3.h"
#include "tags/ID3Text.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    const korvex::ID3StructV2 tag = korvex::ParseID3v2(buffer);
    const QByteArray body = buffer.data();
    // Touch every field so a bad string cannot hide.
    volatile qsizetype total = tag.Title.size() + tag.Artist.size() + tag.Album.size() + tag.Year.size()
                             + tag.Track.size() + tag.Comment.size() + tag.Genre.size()
                             + korvex::DecodeID3TextFrame(body).size() + korvex::DecodeID3CommentFrame(body).size()
                             + korvex::DecodeID3CommentDescription(body).size();
    (void)total;
    return 0;
}
