#pragma once

#include <QString>

namespace korvex {

struct RunWork;

// Shows what a run reports on the job list and the skin, on the program
// thread. A report may describe a list that has changed since it was made
// (once runs report from their own thread, it arrives after the fact): a
// report for an entry or a row the list no longer has is dropped.
class RunReportApplier
{
public:
    explicit RunReportApplier(RunWork &work) : m_work(work) {}

    // The entry becomes the selected row of lv and the current entry, and
    // the path field names it.
    void entryStarted(int row);
    // Writes the status word into row `row` of lv_time.
    void rowStatus(int row, const QString &word);

private:
    RunWork &m_work;
};

} // namespace korvex
