#include "components/BlockRecycler.h"

namespace korvex {

QList<float> &BlockRecycler::take(qsizetype size)
{
    m_held = 0;
    for (const QList<float> &block : m_blocks)
        m_held += block.isDetached() ? 0 : 1;
    for (size_t looked = 0; looked < m_blocks.size(); ++looked) {
        QList<float> &block = m_blocks[(m_next + looked) % m_blocks.size()];
        if (!block.isDetached())
            continue;
        m_next = (m_next + looked + 1) % m_blocks.size();
        block.resize(size);
        return block;
    }
    if (m_blocks.size() < m_keep) {
        m_blocks.emplace_back(size);
        m_next = 0;
        return m_blocks.back();
    }
    m_unkept = QList<float>(size);
    return m_unkept;
}

} // namespace korvex
