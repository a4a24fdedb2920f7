#pragma once

#include <QHash>
#include <QSet>

namespace korvex {

// Pieces a split writes nothing for, by entry row and the piece's number
// (from 1) among its entry's pieces. korvex-cli's --resume hands the pieces
// an earlier run left complete to the run after it; their rows in lv_time
// keep their status, and every other piece is numbered, named and tagged as
// in a run that writes them all.
class SkippedPieces
{
public:
    void add(int row, int number) { m_numbers[row].insert(number); }
    bool contains(int row, int number) const { return m_numbers.value(row).contains(number); }
    bool isEmpty() const { return m_numbers.isEmpty(); }

private:
    QHash<int, QSet<int>> m_numbers;
};

} // namespace korvex
