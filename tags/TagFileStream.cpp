#include "tags/TagFileStream.h"

#include <algorithm>

namespace korvex {

TagFileStream::TagFileStream(TagLib::FileName file, unsigned long blockSize)
    : TagLib::FileStream(file), m_blockSize(std::max(blockSize, 1ul))
{
}

void TagFileStream::insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace)
{
    if (m_refused)
        return;
    // Writes that move data are not kept: the insert that makes them either
    // succeeds or changes nothing.
    m_inserting = true;
    const auto done = [this] { m_inserting = false; };
    // Same length or shorter: TagLib writes in place or moves the rest down,
    // which never needs more room on the disk.
    if (!isOpen() || readOnly() || data.size() <= replace) {
        TagLib::FileStream::insert(data, start, replace);
        done();
        return;
    }
    const long shift = static_cast<long>(data.size() - replace);
    const long tail = static_cast<long>(start + replace);
    if (!growBy(shift)) {
        done();
        m_refused = true;
        putBackWhatWasReplaced();
        return;
    }
    moveTail(tail, shift);
    seek(static_cast<long>(start));
    writeBlock(data);
    done();
}

void TagFileStream::writeBlock(const TagLib::ByteVector &data)
{
    if (m_refused)
        return;
    if (!m_inserting && isOpen() && !readOnly())
        keepWhatIsReplaced(data.size());
    TagLib::FileStream::writeBlock(data);
}

void TagFileStream::keepWhatIsReplaced(unsigned long bytes)
{
    const long position = tell();
    const long end = length();
    if (m_lengthBefore < 0)
        m_lengthBefore = end;
    const long kept = std::min(static_cast<long>(bytes), end - position);
    if (kept > 0) {
        m_replaced.push_back({position, readBlock(static_cast<unsigned long>(kept))});
        seek(position);
    }
}

// Last write first, so that overlapping writes end with the oldest bytes.
void TagFileStream::putBackWhatWasReplaced()
{
    for (auto it = m_replaced.rbegin(); it != m_replaced.rend(); ++it) {
        seek(it->position);
        TagLib::FileStream::writeBlock(it->bytes);
    }
    m_replaced.clear();
    if (m_lengthBefore >= 0 && length() != m_lengthBefore)
        truncate(m_lengthBefore);
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
