#pragma once

#include "engine/RunContext.h"
#include "tags/WMATag.h"

#include <QString>

#include <functional>
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

    // The run about to start copies without re-encoding: the joined file is
    // of the first entry's kind.
    void setCopyingRun(bool copying) { m_copyingRun = copying; }

    // Whether the chosen join output may replace a file at its name: it was
    // there when the user chose it (and agreed, or gave --overwrite).
    bool JoinOutputReplaces() const { return m_joinReplaces; }

    // An output is written under a temporary name and named when complete.
    // StartOutput creates the empty temporary file exclusively and returns
    // its path; `nextName` gives another free final name when `finalPath` is
    // taken by the time the file is finished (empty: the output is refused
    // then, unless `replace`). Throws KorvexError naming `finalPath`.
    QString StartOutput(const QString &finalPath, bool replace, std::function<QString()> nextName = {});
    // Gives the finished output its final name; returns that name.
    QString FinishOutput();
    // The output held no audio: its temporary file goes.
    void DropOutput();
    // After a failure: the closed output keeps what it holds under its final
    // name (an empty one goes), and `failure` names that file instead of the
    // temporary one.
    QString SettleAfterFailure(const QString &failure);

    // Writes title, artist, album, year and genre of the entry into a ".wma"
    // file (the temporary file of an output named ".wma" too); every other
    // field of the header record stays empty or zero. False when they could
    // not be written: the file is left as it was.
    bool WriteOutputTags(const QString &path, const AudioFileinfo &tags);
    const WMAHeaderInfo &OutputTagInfo() const { return m_outputTagInfo; }

private:
    bool isSourceFile(const QString &path) const;
    QString publish();

    struct Pending
    {
        QString temporary;
        QString finalPath;
        bool replace = false;
        std::function<QString()> nextName;
    };

    JobList &m_jobs;
    SettingsStore &m_settings;
    IAudioFile2 &m_writer;   // AudioFile2write, told the WMA profile
    Seams m_seams;
    QString m_joinOutputPath;
    int m_chosenFilterIndex = 0;
    std::optional<int> m_profileIndexOverride;
    WMAHeaderInfo m_outputTagInfo;
    bool m_joinReplaces = false;
    bool m_copyingRun = false;
    std::optional<Pending> m_pending;
};

} // namespace korvex
