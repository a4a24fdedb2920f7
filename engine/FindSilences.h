#pragma once

#include "engine/RunContext.h"
#include "engine/RunProgress.h"
#include "engine/RunReportApplier.h"
#include "joblist/SilenceFinder.h"

#include <QObject>

namespace korvex {

// "Find Silences": the pieces of sound of an entry become its confirmed
// segments. It works on the entry Begin and End mark (the current entry in
// custom mode, entry 0 in unification mode) and keeps its pending segment.
// The scan runs like a conversion: Converting is set meanwhile, so every
// other command that would touch the list waits, its progress shows on
// "pbpos" and "convertpb", and Stop ends it with nothing changed.
class FindSilences : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { NotStarted, Replaced, NothingFound, Stopped };

    explicit FindSilences(RunContext &context, QObject *parent = nullptr);

    Outcome run();

Q_SIGNALS:
    // The preview player must let go of the reader first (a direct connection).
    void stopPlaybackRequested();
    // The scan began, and it has ended with what it found applied or told
    // (also when it failed). A run() that starts no scan emits neither.
    void runStarted();
    void runEnded();

private:
    int editedRow() const;
    bool mayReplace(int row);
    std::optional<QList<Segment>> scan(const QString &path, const SilenceSettings &settings);

    RunContext &m_context;
    RunReportApplier m_applier;
    RunProgress m_progress{m_applier};
    SilenceFinder m_finder;
};

} // namespace korvex
