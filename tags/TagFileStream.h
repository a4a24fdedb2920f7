#pragma once

#include <taglib/tfilestream.h>

#include <vector>

namespace korvex {

// TagLib's file stream with a faster insert. Saving a tag into the header of
// a WMA file makes the header longer, and TagLib moves everything after it in
// steps of one kilobyte, with two seeks each: a one-hour file takes tens of
// thousands of system calls per save, and a split saves a tag into every
// piece. This insert moves the rest of the file in large blocks, last block
// first, after it has made sure the disk holds the longer file: a disk that
// is full leaves the file as it was.
//
// A save writes some fields in place before its insert (the header's size
// among them): the bytes those writes replace are kept, and when an insert is
// refused they are put back and nothing more is written, so that the file is
// as it was before the save and not a header that claims the longer size.
class TagFileStream final : public TagLib::FileStream
{
public:
    static constexpr unsigned long DefaultBlockSize = 1 << 20;

    explicit TagFileStream(TagLib::FileName file, unsigned long blockSize = DefaultBlockSize);

    void insert(const TagLib::ByteVector &data, unsigned long start = 0, unsigned long replace = 0) override;
    void writeBlock(const TagLib::ByteVector &data) override;
    // An insert found no room on the disk; the file is as it was before the
    // first write (TagLib's save reports success regardless).
    bool refusedToGrow() const { return m_refused; }

private:
    struct Replaced
    {
        long position;
        TagLib::ByteVector bytes;
    };

    bool growBy(long bytes);
    void moveTail(long from, long shift);
    void keepWhatIsReplaced(unsigned long bytes);
    void putBackWhatWasReplaced();

    unsigned long m_blockSize;
    bool m_refused = false;
    bool m_inserting = false;
    long m_lengthBefore = -1;   // -1 until the first write
    std::vector<Replaced> m_replaced;
};

} // namespace korvex
