// The WMA header walk over arbitrary bytes taken as a whole file.
#include "tags/WMAHeaderWalk.h"
#include "tags/WMATag.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    korvex::WMAHeaderInfo info;
    korvex::WalkWMAHeader(buffer, info);
    // The record's widths are promises to the code that copies it into
    // fixed fields.
    if (info.Title.size() >= korvex::WMAFieldWidth::Title || info.Author.size() >= korvex::WMAFieldWidth::Author
        || info.Description.size() >= korvex::WMAFieldWidth::Description
        || info.Year.size() >= korvex::WMAFieldWidth::Year || info.AlbumTitle.size() >= korvex::WMAFieldWidth::AlbumTitle
        || info.Copyright.size() >= korvex::WMAFieldWidth::Copyright)
        std::abort();
    return 0;
}
