#include "engine/FindSilences.h"

#include "components/MessagePump.h"
#include "joblist/JobList.h"
#include "joblist/ListActivity.h"
#include "joblist/SegmentMarker.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace korvex {

namespace {

// Ends the scan's hold on the window however it ends: Converting cleared, the
// percentage and the bar emptied.
class ScanScope
{
public:
    ScanScope(RunContext &context, RunProgress &progress) : m_context(context), m_progress(progress)
    {
        m_context.activity.run.Converting = true;
    }
    ~ScanScope()
    {
        m_context.activity.run.Converting = false;
        m_progress.clear();
    }
    ScanScope(const ScanScope &) = delete;
    ScanScope &operator=(const ScanScope &) = delete;

private:
    RunContext &m_context;
    RunProgress &m_progress;
};

} // namespace

FindSilences::FindSilences(RunContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_applier(context)
    , m_finder(context.AudioFileRead)
{
}

int FindSilences::editedRow() const
{
    return m_context.settings.settings().SplitMode == split_mode::Unification ? 0
                                                                                : m_context.jobs().SelectedFileRow;
}

FindSilences::Outcome FindSilences::run()
{
    JobList &jobs = m_context.jobs();
    if (m_context.activity.run.Converting || jobs.Adding() || jobs.selectedFileRow() < 0
        || jobs.segmentModel()->rowCount() == 0)
        return Outcome::NotStarted;
    const int mode = m_context.settings.settings().SplitMode;
    if (mode != split_mode::Custom && mode != split_mode::Unification) {
        m_context.seams.messages->error(SegmentMarker::OnlyCustomOrUnification);
        return Outcome::NotStarted;
    }
    const int row = editedRow();
    if (row < 0 || row >= jobs.rowCount() || !mayReplace(row))
        return Outcome::NotStarted;
    if (m_context.activity.player.Playing)
        Q_EMIT stopPlaybackRequested();

    const QString path = jobs.job(row).FileName;
    const SilenceSettings settings = ReadSilenceSettings(m_context.settings.file());
    Q_EMIT runStarted();
    const auto ended = qScopeGuard([this] { Q_EMIT runEnded(); });
    const std::optional<QList<Segment>> found = scan(path, settings);
    if (!found)
        return Outcome::Stopped;
    if (found->isEmpty()) {
        m_context.seams.messages->information(
            QStringLiteral("%1 holds no sound louder than %2 dBFS; its segments stay as they were.")
                .arg(QFileInfo(path).fileName())
                .arg(settings.Threshold));
        return Outcome::NothingFound;
    }
    m_applier.segmentsFound(row, *found);
    return Outcome::Replaced;
}

// Confirmed segments are the user's work: they go only when the user agrees.
bool FindSilences::mayReplace(int row)
{
    const listrecord &entry = m_context.jobs().job(row);
    const int confirmed = entry.Count - 1;
    if (confirmed <= 0)
        return true;
    return m_context.seams.messages->question(
        QStringLiteral("%1 has %2 confirmed segment(s). Replace them with the pieces of sound between its "
                       "silences?")
            .arg(QFileInfo(entry.FileName).fileName())
            .arg(confirmed));
}

std::optional<QList<Segment>> FindSilences::scan(const QString &path, const SilenceSettings &settings)
{
    const ScanScope scope(m_context, m_progress);
    m_progress.show(0);
    return m_finder.find(path, settings, [this](qint64 done, qint64 total) {
        m_progress.showFrames(done, total);
        ProcessPendingMessages();
        return m_context.activity.run.Converting;
    });
}

} // namespace korvex
