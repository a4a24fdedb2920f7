#pragma once

#include "joblist/JobRecords.h"
#include "settings/EncoderSettings.h"
#include "settings/Settings.h"
#include "settings/SilenceSettings.h"

#include <QList>
#include <QStringList>

#include <mutex>
#include <optional>

namespace korvex {

class SegmentView;
class SettingsStore;
struct RunWork;

// What a run takes from the settings: the values, the WMA profile, the
// encoding of the other formats and the silence settings that move cuts.
struct RunSettings
{
    Settings settings;
    int wmaProfile = 0;
    OutputEncoding encoding;
    SilenceSettings silence;
};

// The settings as the store and the segment view hold them now.
RunSettings CurrentRunSettings(const SettingsStore &store, const SegmentView &view);

// The tags of every entry: the entry's own, its segments' titles, and the
// name lv shows for it (which names the pieces and follows the title).
struct RunTags
{
    QList<AudioFileinfo> entries;
    QList<QList<SegmentTags>> segments;  // OwnTags of each entry
    QStringList captions;
};

// What a run works from, copied from the list and the settings when it
// starts. The run reads nothing else of them; a change the user makes while
// it works reaches it through its RunMailbox.
struct RunSnapshot
{
    QList<listrecord> records;
    RunTags tags;
    int selectedRow = 0;    // the entry current when the run started
    RunSettings current;

    int rowCount() const { return int(records.size()); }
    const listrecord &record(int row) const { return records.at(row); }
    const AudioFileinfo &entryTags(int row) const { return tags.entries.at(row); }
    const Settings &settings() const { return current.settings; }
    // New tags keep the segments the run counts (a pending one set aside).
    void takeTags(const RunTags &changed);
};

RunSnapshot TakeRunSnapshot(RunWork &work);
RunTags CurrentRunTags(const RunWork &work);

// Changes handed to a run while it works, kept until the run takes them at
// its next stop check: the latest settings and the latest tags. Any thread.
class RunMailbox
{
public:
    void post(const RunSettings &settings);
    void post(const RunTags &tags);
    // What came since the last delivery goes into `snapshot`.
    void deliverTo(RunSnapshot &snapshot);
    void clear();

private:
    std::mutex m_mutex;
    std::optional<RunSettings> m_settings;  // under m_mutex
    std::optional<RunTags> m_tags;          // under m_mutex
};

} // namespace korvex
