#pragma once

#include "engine/RunContext.h"
#include "tags/WMATag.h"

#include <QString>

#include <optional>

namespace korvex {

struct AudioFileinfo;

// Where outputs go, which WMA profile encodes them and which tags they get.
class OutputFiles
{
public:
    // The main window's output format list holds "WMA" alone, at index 0.
    static constexpr int OutputFormatIndex = 0;

    OutputFiles(JobList &jobs, SettingsStore &settings, IAudioFile2 &writer, const Seams &seams);

    // The next piece of entry `row`, in OutputFolder, named after the row's
    // caption; never an existing file.
    QString MakeSplitOutputPath(int row) const;
    // The source file's own name with ".wma" in OutputFolder, for a piece whose
    // first path could not be created; never an existing file.
    QString FallbackPath(int row) const;

    // Runs the save dialog. False when the list is empty, the dialog was
    // cancelled, or the chosen file is one of the sources (the user is told).
    bool ChooseJoinOutput();
    const QString &JoinOutputPath() const { return m_joinOutputPath; }
    // 1 once a join output was chosen: the save dialog's only filter.
    int ChosenFilterIndex() const { return m_chosenFilterIndex; }

    // Hands the writer the profile of "wma"/"format", read from the settings
    // file at every call, plus one. Other format indexes do nothing.
    void ApplyOutputProfile(int formatIndex);
    // korvex-cli's --profile: used instead of the file's value without
    // writing it there.
    void setProfileIndexOverride(std::optional<int> index) { m_profileIndexOverride = index; }

    // Writes title, artist, album, year and genre of the entry into a ".wma"
    // file; every other field of the header record stays empty or zero.
    void WriteOutputTags(const QString &path, const AudioFileinfo &tags);
    const WMAHeaderInfo &OutputTagInfo() const { return m_outputTagInfo; }

private:
    bool isSourceFile(const QString &path) const;

    JobList &m_jobs;
    SettingsStore &m_settings;
    IAudioFile2 &m_writer;   // AudioFile2write, told the WMA profile
    Seams m_seams;
    QString m_joinOutputPath;
    int m_chosenFilterIndex = 0;
    std::optional<int> m_profileIndexOverride;
    WMAHeaderInfo m_outputTagInfo;
};

} // namespace korvex
