#pragma once

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

// What a split or join run tells while it works. Each report is one call
// carrying values only, never a reference into the list, so that a run can
// make it from a thread of its own and the program thread can apply it
// later, in order. RunControl receives them: it keeps its own account of the
// outputs and has RunReportApplier show the rest.
class RunReports
{
public:
    virtual ~RunReports() = default;

    // The run works on entry `row` of the list from now on.
    virtual void entryStarted(int row) = 0;
    // Row `row` of lv_time shows `word` ("Converting", "Finish", "Stopped",
    // or the word it had before a piece that wrote nothing).
    virtual void rowStatus(int row, const QString &word) = 0;
    // A piece or the joined file is closed and has its final name; also the
    // partial piece or file a stop leaves.
    virtual void outputWritten(const WrittenOutput &output) = 0;
};

} // namespace korvex
