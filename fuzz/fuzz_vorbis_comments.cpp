// Comment parsing: arbitrary comment texts (any bytes, any lengths) in
// libvorbis's comment structure, turned into the reader's fields.
#include "tags/Ogg.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <vorbis/codec.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<std::string> texts;
    while (input.remaining_bytes() > 0 && texts.size() < 64)
        texts.push_back(input.ConsumeRandomLengthString(512));
    std::vector<char *> pointers;
    std::vector<int> lengths;
    for (std::string &text : texts) {
        pointers.push_back(text.data());
        lengths.push_back(int(text.size()));
    }
    vorbis_comment comments{};
    comments.user_comments = pointers.data();
    comments.comment_lengths = lengths.data();
    comments.comments = int(texts.size());
    const korvex::OGGTag tag = korvex::OggTagFromComments(korvex::GetStrComments(comments));
    volatile qsizetype total = tag.Title.size() + tag.Album.size() + tag.Artist.size() + tag.Comment.size();
    (void)total;
    return 0;
}
