#pragma once

#include <taglib/tfilestream.h>

namespace korvex {

// TagLib's file stream with a faster insert. Saving a tag into the header of
// a WMA file makes the header longer, and TagLib moves everything after it in
// steps of one kilobyte, with two seeks each: a one-hour file takes tens of
// thousands of system calls per save, and a split saves a tag into every
// piece. This insert moves the rest of the file in large blocks, last block
// first, after it has made sure the disk holds the longer file: a disk that
// is full leaves the file as it was.
class TagFileStream final : public TagLib::FileStream
{
public:
    static constexpr unsigned long DefaultBlockSize = 1 << 20;

    explicit TagFileStream(TagLib::FileName file, unsigned long blockSize = DefaultBlockSize);

    void insert(const TagLib::ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override;
    // An insert found no room on the disk and left the file untouched
    // (TagLib's save reports success regardless).
    bool refusedToGrow() const { return m_refused; }

private:
    bool growBy(long bytes);
    void moveTail(long from, long shift);

    unsigned long m_blockSize;
    bool m_refused = false;
};

} // namespace korvex
