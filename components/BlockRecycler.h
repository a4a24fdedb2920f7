#pragma once

#include <QList>
#include <vector>

namespace korvex {

// Blocks of samples that are handed out as shared copies and kept for
// reuse. A kept block is filled again once every copy handed out has been
// let go, so a steady stream of blocks needs no allocation and no clearing,
// and is written where the cache has been. The one that rested longest is
// taken first: its lines have had time to leave another core's cache.
//
// One thread only: copies must be let go on the thread that takes blocks
// (the encoder's workers hand theirs back to it), as the test for "let go"
// reads the shared count without ordering.
class BlockRecycler
{
public:
    explicit BlockRecycler(size_t keep) : m_keep(keep) {}

    // A block of `size` samples to fill, not shared with anyone; what it
    // holds is left over from earlier use. Hand out copies of it once filled.
    // It stays valid until the next take().
    QList<float> &take(qsizetype size);
    // How many kept blocks were still held by someone at the last take().
    size_t heldElsewhere() const { return m_held; }

private:
    size_t m_keep;
    size_t m_next = 0;
    size_t m_held = 0;
    std::vector<QList<float>> m_blocks;
    QList<float> m_unkept;  // a block beyond the kept ones, while all are out
};

} // namespace korvex
