#pragma once

#include "components/SourceCopier.h"
#include "engine/RunContext.h"
#include "engine/PieceNames.h"
#include "engine/RunJob.h"
#include "joblist/JobRecords.h"
#include "settings/OutputFormat.h"

#include <QString>

namespace korvex {

class OutputFiles;
class RunProgress;
struct Settings;

// A piece of a split cut without re-encoding: frames [first, end) of entry
// `row`'s source, shown in row `statusRow` of lv_time.
struct CopyPiece
{
    int row = 0;
    int statusRow = 0;
    qint64 first = 0;
    qint64 end = 0;
    qint64 lengthFrames = 0;
    qint64 durationMs = 0;
    PieceLabel label;    // names the piece as an encoded one would be named
    AudioFileinfo tags;  // a copy: the list may change under a stopped run
};

// Splits and joins with the output format "Same as source": the coded audio
// of the pieces is copied into files of the source's own codec and container
// (SourceCopier), named, published and tagged as the encoded outputs are.
// Copying a piece takes a moment, so a Stop ends the run after the piece at
// hand, which is always complete.
class CopyRuns
{
public:
    CopyRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress, RunJob &job);

    // This run copies: its format was "Same as source" when it started and it
    // was not told to encode instead.
    bool active() const { return m_copying; }
    // Why the run about to start cannot copy with the settings and entries at
    // hand; empty when it can or the format is another.
    QString obstacle(bool join);
    // What the run asked about by obstacle() encodes as when it may not copy.
    OutputFormat encodeInsteadFormat() const { return m_insteadFormat; }
    // A run starts with the format the settings hold now, encoding instead of
    // copying when told to.
    void beginRun(bool encodeInstead);
    void copyPiece(const CopyPiece &piece);
    // Copies the ranges into the chosen join output, tagged with `tags`;
    // throws KorvexError saying why when these ranges cannot be joined without
    // re-encoding.
    void join(const QList<PacketRange> &ranges, qint64 totalMs, const AudioFileinfo &tags);

private:
    // What the run works from: pieces are named and read from it alone.
    const RunSnapshot &run() const { return m_job.snapshot(); }
    // The settings hold "Same as source" (read at the start, before the run).
    bool chosen() const;
    // The FLAC level as the run holds it now (a change handed to it counts
    // from the next piece).
    void takeEncoding();
    QString startPiece(const CopyPiece &piece);
    // Tags a copy whose container had no place for them as it was written.
    bool tagOutput(const QString &temporary, const QString &extension, const AudioFileinfo &tags, int number);

    RunWork &m_context;
    OutputFiles &m_outputs;
    RunProgress &m_progress;
    RunJob &m_job;
    SourceCopier m_copier;
    bool m_copying = false;
    OutputFormat m_insteadFormat = OutputFormat::Wma;
};

// The format the sources are encoded in when they cannot be copied: their own
// where Korvex encodes it and every part has the same, else WMA.
OutputFormat EncodeInsteadFormat(const QList<CodedFormat> &parts);

// Why a run with these settings cannot keep the source's coding: fades or soft
// edges change the audio. Empty when nothing stands in the way.
QString CopyBlockedBySettings(const Settings &settings);

} // namespace korvex
