#include "tags/TagFileStream.h"

#include <algorithm>

namespace korvex {

TagFileStream::TagFileStream(TagLib::FileName file, unsigned long blockSize)
    : TagLib::FileStream(file), m_blockSize(std::max(blockSize, 1ul))
{
}

void TagFileStream::insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace)
{
    // Same length or shorter: TagLib writes in place or moves the rest down,
    // which never needs more room on the disk.
    if (!isOpen() || readOnly() || data.size() <= replace) {
        TagLib::FileStream::insert(data, start, replace);
        return;
    }
    const long shift = static_cast<long>(data.size() - replace);
    const long tail = static_cast<long>(start + replace);
    if (!growBy(shift)) {
        m_refused = true;
        return;
    }
    moveTail(tail, shift);
    seek(static_cast<long>(start));
    writeBlock(data);
}

// Appends `bytes` bytes and checks they reached the disk; a refused write is
// cut off again so the file keeps its length and contents.
bool TagFileStream::growBy(long bytes)
{
    const long end = length();
    seek(0, End);
    writeBlock(TagLib::ByteVector(static_cast<unsigned int>(bytes), '\0'));
    if (length() == end + bytes)
        return true;
    truncate(end);
    return false;
}

// Moves [from, the old end) up by `shift` bytes, the last block first, so
// that no block is overwritten before it has been read.
void TagFileStream::moveTail(long from, long shift)
{
    for (long to = length() - shift; to > from;) {
        const long begin = std::max(from, to - static_cast<long>(m_blockSize));
        seek(begin);
        const TagLib::ByteVector block = readBlock(static_cast<unsigned long>(to - begin));
        seek(begin + shift);
        writeBlock(block);
        to = begin;
    }
}

} // namespace korvex
