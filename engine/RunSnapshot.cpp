#include "engine/RunSnapshot.h"

#include "engine/RunContext.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"

namespace korvex {

RunSettings CurrentRunSettings(const SettingsStore &store, const SegmentView &view)
{
    return {store.settings(), store.wmaProfileIndex(), RunEncoding(store.settings(), store.file()),
            view.silenceSettings()};
}

RunTags CurrentRunTags(const RunWork &work)
{
    JobList &jobs = work.jobs();
    RunTags tags{jobs.TagRecords(), {}, {}};
    for (int row = 0; row < jobs.rowCount(); ++row) {
        tags.segments.append(jobs.job(row).OwnTags);
        tags.captions.append(jobs.fileModel()->row(row).caption);
    }
    return tags;
}

RunSnapshot TakeRunSnapshot(RunWork &work)
{
    JobList &jobs = work.jobs();
    RunSnapshot snapshot;
    snapshot.records = jobs.JobRecords();
    // its own: the run lowers a Count in it, and keeps references into it
    snapshot.records.detach();
    snapshot.tags = CurrentRunTags(work);
    snapshot.selectedRow = jobs.SelectedFileRow;
    snapshot.current = CurrentRunSettings(work.settings, work.editor.segmentView());
    return snapshot;
}

void RunSnapshot::takeTags(const RunTags &changed)
{
    // the list cannot change its entries while a run converts; a mismatch
    // would mean tags of other entries, which are not taken
    if (changed.entries.size() != records.size() || changed.segments.size() != records.size()
        || changed.captions.size() != records.size())
        return;
    tags = changed;
    for (qsizetype row = 0; row < records.size(); ++row)
        records[row].OwnTags = changed.segments.at(row);
}

void RunMailbox::post(const RunSettings &settings)
{
    const std::lock_guard lock(m_mutex);
    m_settings = settings;
}

void RunMailbox::post(const RunTags &tags)
{
    const std::lock_guard lock(m_mutex);
    m_tags = tags;
}

void RunMailbox::deliverTo(RunSnapshot &snapshot)
{
    std::optional<RunSettings> settings;
    std::optional<RunTags> tags;
    {
        const std::lock_guard lock(m_mutex);
        settings.swap(m_settings);
        tags.swap(m_tags);
    }
    if (settings)
        snapshot.current = std::move(*settings);
    if (tags)
        snapshot.takeTags(*tags);
}

void RunMailbox::clear()
{
    const std::lock_guard lock(m_mutex);
    m_settings.reset();
    m_tags.reset();
}

} // namespace korvex
