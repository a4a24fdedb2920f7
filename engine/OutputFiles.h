#pragma once

#include "engine/RunContext.h"
#include "tags/WMATag.h"

#include <QString>

#include <functional>
#include <optional>

namespace korvex {

struct AudioFileinfo;
struct PieceLabel;
struct RunSnapshot;
struct Settings;

// Where outputs go, which format (and WMA profile) encodes them and which
// tags they get. The format is Settings::Format, read at every call: from the
// run's snapshot while a run reads through it, else from the settings.
class OutputFiles
{
public:
    // The index the runs hand ApplyOutputProfile; the format itself is the settings'.
    static constexpr int OutputFormatIndex = 0;

    OutputFiles(JobList &jobs, SettingsStore &settings, IAudioFile2 &writer, const Seams &seams);

    // The next piece of entry `row`, in OutputFolder, named after the row's
    // caption with the format's extension; never an existing file.
    QString MakeSplitOutputPath(int row) const;
    // The next piece `piece` of entry `row`: named by the [Output] Pattern
    // when one is set, else after the piece's own title when it has one,
    // else as MakeSplitOutputPath names it (FreePiecePath); never an existing file.
    QString MakePiecePath(int row, const PieceLabel &piece) const;
    // The source file's own name with the format's extension in OutputFolder, for a piece whose
    // first path could not be created; never an existing file.
    QString FallbackPath(int row) const;

    // Runs the save dialog. False when the list is empty, the dialog was
    // cancelled, or the chosen file is one of the sources (the user is told).
    bool ChooseJoinOutput();
    const QString &JoinOutputPath() const { return m_joinOutputPath; }
    // 1 once a join output was chosen: the save dialog's only filter, the format's.
    int ChosenFilterIndex() const { return m_chosenFilterIndex; }

    // Hands the writer the format to encode with: for WMA the profile of
    // "wma"/"format", read from the settings file at every call, plus one; for
    // the others their [Encoding] qualities (or korvex-cli's). Other indexes
    // than OutputFormatIndex do nothing.
    void ApplyOutputProfile(int formatIndex);
    // The extension (without its dot) outputs get now.
    QString OutputExtension() const;
    // korvex-cli's --profile: used instead of the file's value without
    // writing it there.
    void setProfileIndexOverride(std::optional<int> index) { m_profileIndexOverride = index; }

    // While `run` is set, names, folder, format, profile and encoding come
    // from it (a run's snapshot, with the changes it has taken); null: from
    // the list and the settings as they are now.
    void readFrom(const RunSnapshot *run) { m_run = run; }

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
    // The temporary file of the output being written; empty when none is.
    QString PendingOutputPath() const { return m_pending ? m_pending->temporary : QString(); }
    // The output held no audio: its temporary file goes.
    void DropOutput();
    // After a failure: the closed output keeps what it holds under its final
    // name (an empty one goes), and `failure` names that file instead of the
    // temporary one.
    QString SettleAfterFailure(const QString &failure);

    // Writes title, artist, album, year, genre and the track number (0: none)
    // into an output (the temporary file of an output too), chosen by the
    // final name's extension: a ".wma" header record, where every other field
    // stays empty or zero, or the tag of MP3, Ogg, Opus, FLAC, M4A and WAV
    // files. False when they could not be written: the file is left as it was.
    bool WriteOutputTags(const QString &path, const AudioFileinfo &tags, int trackNumber = 0);
    const WMAHeaderInfo &OutputTagInfo() const { return m_outputTagInfo; }

private:
    bool isSourceFile(const QString &path) const;
    QString publish();
    const Settings &currentSettings() const;
    QString caption(int row) const;
    QString sourcePath(int row) const;

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
    const RunSnapshot *m_run = nullptr;
};

} // namespace korvex
