#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace korvex {

// A closed output as a run left it.
struct WrittenOutput
{
    QString path;
    bool cutShort = false;   // a stop ended it before its planned end
    qint64 heldMs = 0;       // the audio it holds
    qint64 plannedMs = 0;    // the audio it was to hold
    bool tagged = true;      // a piece whose tags could not be written: false
};

struct SegmentRow;

// How a run ended, as the run itself saw it.
struct RunOutcome
{
    bool stopped = false;   // a stop was asked for before the run was over
    bool failed = false;    // an error ended it; `failure` says which
    QString failure;
};

// The progress a run or a scan shows, as numbers: the program thread draws
// it. Values are in hundredths of a percent.
class ProgressReports
{
public:
    virtual ~ProgressReports() = default;

    // The current piece of a split, the whole output of a join, the scanned
    // file of Find Silences; may pass 10000 when a block counts more frames
    // than planned.
    virtual void pieceProgress(int value) = 0;
    // The whole split's line: its share of the audio and the text beside it
    // ("piece 2 of 5"); 0 and an empty text when no split runs.
    virtual void runProgress(int value, const QString &text) = 0;
    // The end of every run: no percentage, an empty bar.
    virtual void progressCleared() = 0;
};

// What a split or join run tells while it works. Each report is one call
// carrying values only, never a reference into the list, so that a run can
// make it from a thread of its own and the program thread can apply it
// later, in order. RunControl receives them: it keeps its own account of the
// outputs and has RunReportApplier show the rest.
class RunReports : public ProgressReports
{
public:
    // The run works on entry `row` of the list from now on.
    virtual void entryStarted(int row) = 0;
    // lv_time shows `rows`, the plan of the entry at hand as the run
    // converts it; the position clock is set for entry `clockRow`, or left
    // as it is for -1.
    virtual void rowsShown(int clockRow, const QList<SegmentRow> &rows) = 0;
    // Row `row` of lv_time shows `word` ("Converting", "Finish", "Stopped",
    // or the word it had before a piece that wrote nothing).
    virtual void rowStatus(int row, const QString &word) = 0;
    // The pending segment among the rows lv_time shows for entry `row` is
    // not converted: a single row is marked "OK", otherwise the last row
    // goes. `hideFromEntry`: the entry's Count drops to the rows left, so
    // that its plan leaves the pending segment out, until the run is over.
    virtual void pendingSetAside(int row, bool hideFromEntry) = 0;
    // A piece or the joined file is closed and has its final name; also the
    // partial piece or file a stop leaves.
    virtual void outputWritten(const WrittenOutput &output) = 0;
    // The run is over; its files are closed, also after a failure.
    virtual void finished(const RunOutcome &outcome) = 0;
};

} // namespace korvex
