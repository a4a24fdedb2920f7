#pragma once

#include "engine/RunReports.h"
#include "joblist/SegmentPlan.h"

#include <QList>
#include <QString>

namespace korvex {

struct RunContext;

// Shows what a run reports on the job list and the skin, on the program
// thread. A report may describe a list that has changed since it was made
// (once runs report from their own thread, it arrives after the fact): a
// report for an entry or a row the list no longer has is dropped.
class RunReportApplier final : public ProgressReports
{
public:
    explicit RunReportApplier(RunContext &context) : m_context(context) {}

    // The entry becomes the selected row of lv and the current entry, and
    // the path field names it.
    void entryStarted(int row);
    // See RunReports::rowsShown.
    void rowsShown(int clockRow, const QList<SegmentRow> &rows);
    // Writes the status word into row `row` of lv_time.
    void rowStatus(int row, const QString &word);
    // See RunReports::pendingSetAside.
    void pendingSetAside(int row, bool hideFromEntry);
    // However the run ended, an error included: every Count lowered is given
    // back, so that a run never turns an entry's last confirmed segment into
    // its pending one.
    void givePendingBack();

    // What Find Silences found in entry `row` replaces its confirmed
    // segments; its pending one stays.
    void segmentsFound(int row, const QList<Segment> &found);

    // "pbpos" and "convertpb"; the skin flag is the one set when it is drawn.
    void pieceProgress(int value) override;
    // "runbar" and "runpiece".
    void runProgress(int value, const QString &text) override;
    void progressCleared() override;

private:
    RunContext &m_context;
    QList<int> m_lowered;  // entries whose Count pendingSetAside lowered
};

} // namespace korvex
