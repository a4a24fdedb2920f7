// The ID3v2 frame walk over arbitrary bytes taken as the start of an MP3.
#include "tags/ID3.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    const korvex::ID3StructV2 tag = korvex::ParseID3v2(buffer);
    // Touch every field so a bad string cannot hide.
    volatile qsizetype total = tag.Title.size() + tag.Artist.size() + tag.Album.size() + tag.Year.size()
                             + tag.Track.size() + tag.Comment.size() + tag.Genre.size();
    (void)total;
    return 0;
}
