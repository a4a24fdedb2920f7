#include "engine/RunControl.h"

#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "engine/ConvertProgress.h"
#include "engine/RunSnapshot.h"
#include "engine/RunSteps.h"
#include "joblist/JobList.h"
#include "joblist/ListActivity.h"
#include "joblist/SegmentPlan.h"
#include "settings/Settings.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

namespace korvex {

namespace {

QString secondsText(qint64 ms)
{
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

// What a split of the job as it stands makes: the pieces that hold audio and
// are not skipped, and their length, in milliseconds.
std::pair<int, qint64> splitTotals(const QList<listrecord> &jobs, const Settings &settings,
                                   const SkippedPieces &skipped)
{
    int pieces = 0;
    qint64 ms = 0;
    for (int row = 0; row < jobs.size(); ++row) {
        const QList<Segment> plan = segmentPlan(jobs, row, settings);
        for (qsizetype k = 0; k < plan.size(); ++k) {
            const Segment &piece = plan.at(k);
            if (piece.End > piece.Begin && !skipped.contains(row, int(k + 1))) {
                ++pieces;
                ms += piece.End - piece.Begin;
            }
        }
    }
    return {pieces, ms};
}

} // namespace

RunControl::RunControl(RunContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_outputs(context.jobs(), context.settings, context.AudioFile2write, context.seams)
    , m_applier(context)
    , m_copy(context, m_outputs, m_progress, m_job)
    , m_split(context, m_outputs, m_progress, m_job, m_copy)
    , m_join(context, m_outputs, m_progress, m_job, m_copy)
{
}

void RunControl::Reports::entryStarted(int row)
{
    m_control.m_applier.entryStarted(row);
    Q_EMIT m_control.fileListFocusRequested();
}

void RunControl::Reports::rowsShown(int clockRow, const QList<SegmentRow> &rows)
{
    m_control.m_applier.rowsShown(clockRow, rows);
}

void RunControl::Reports::rowStatus(int row, const QString &word)
{
    m_control.m_applier.rowStatus(row, word);
}

void RunControl::Reports::pendingSetAside(int row, bool hideFromEntry)
{
    m_control.m_applier.pendingSetAside(row, hideFromEntry);
}

void RunControl::Reports::outputWritten(const WrittenOutput &output)
{
    // a stop may come while a complete file is being closed: that file is
    // not short of anything
    if (output.cutShort)
        m_control.m_cutShort.append(output);
    if (!output.tagged)
        m_control.m_untagged.append(output.path);
    Q_EMIT m_control.outputWritten(output.path);
}

void RunControl::Reports::finished(const RunOutcome &outcome)
{
    m_control.applyOutcome(outcome);
}

void RunControl::Reports::pieceProgress(int value)
{
    m_control.m_applier.pieceProgress(value);
}

void RunControl::Reports::runProgress(int value, const QString &text)
{
    m_control.m_applier.runProgress(value, text);
}

void RunControl::Reports::progressCleared()
{
    m_control.m_applier.progressCleared();
}

bool RunControl::mayStart() const
{
    return !m_context.activity.run.Converting && !m_running && !m_context.jobs().Adding();
}

QScopedValueRollback<bool> RunControl::beginStart()
{
    m_sessionEndWaiting = false;
    m_cuttingShort = false;
    m_endedByStop = false;
    m_cutShort.clear();
    m_untagged.clear();
    return QScopedValueRollback<bool>(m_busy, true);
}

RunControl::Outcome RunControl::StartSplit(bool openOutputFolder)
{
    return ended([&] { return split(openOutputFolder); });
}

RunControl::Outcome RunControl::StartJoin()
{
    return ended([&] { return join(); });
}

RunControl::Outcome RunControl::ended(const std::function<Outcome()> &start)
{
    m_lastOutcome = Outcome::Failed;
    m_lastOutcome = start();
    if (m_lastOutcome != Outcome::NotStarted)
        Q_EMIT runEnded();
    return m_lastOutcome;
}

void RunControl::SkipInNextSplit(SkippedPieces pieces)
{
    m_skipped = pieces;
    m_split.skipPieces(std::move(pieces));
}

RunControl::Outcome RunControl::split(bool openOutputFolder)
{
    if (m_busy)
        return Outcome::NotStarted;
    const auto forgetSkipped = qScopeGuard([this] { SkipInNextSplit({}); });
    const QScopedValueRollback busy = beginStart();
    if (!mayStart() || m_context.jobs().rowCount() == 0)
        return Outcome::NotStarted;
    if (m_context.activity.player.Playing)
        Q_EMIT stopPlaybackRequested();
    const QScopedValueRollback format(m_context.settings.settings().Format);
    if (!settleCopyOrEncode(false))
        return Outcome::NotStarted;
    const auto [pieces, ms] = splitTotals(m_context.jobs().JobRecords(), m_context.settings.settings(), m_skipped);
    m_progress.startRun(pieces, ms);
    const Outcome outcome = runReportingErrors(splitRoutine(m_context.settings.settings().SplitMode));
    m_progress.endRun();
    if (openOutputFolder && outcome != Outcome::Failed)
        this->openOutputFolder();
    return outcome;
}

RunControl::Outcome RunControl::join()
{
    if (m_busy)
        return Outcome::NotStarted;
    const QScopedValueRollback busy = beginStart();
    if (!mayStart())
        return Outcome::NotStarted;
    if (m_context.activity.player.Playing)
        Q_EMIT stopPlaybackRequested();
    const QScopedValueRollback format(m_context.settings.settings().Format);
    if (!settleCopyOrEncode(true) || !m_outputs.ChooseJoinOutput())
        return Outcome::NotStarted;
    const Outcome outcome = runReportingErrors(joinRoutine(m_context.settings.settings().SplitMode));
    if (outcome == Outcome::Failed)
        return outcome;
    m_context.activity.run.Converting = false;
    openOutputFolder();
    return outcome;
}

bool RunControl::settleCopyOrEncode(bool join)
{
    const QString obstacle = m_copy.obstacle(join);
    const bool encode = !obstacle.isEmpty();
    const OutputFormat instead = m_copy.encodeInsteadFormat();
    if (encode
        && !m_context.seams.messages->question(
            obstacle + QStringLiteral("\n\nEncode as %1 instead?").arg(outputFormatCaption(instead))))
        return false;
    m_copy.beginRun(encode);
    // for this run only: the caller rolls the format back when it ends
    if (encode)
        m_context.settings.settings().Format = instead;
    m_outputs.setCopyingRun(m_copy.active());
    return true;
}

void RunControl::Stop()
{
    if (m_context.activity.player.Playing)
        Q_EMIT stopPlaybackRequested();
    if (m_context.activity.run.Converting) {
        m_stopped = true;
        m_job.requestStop();
        StopConversion();
    }
}

void RunControl::SessionEnding()
{
    m_sessionEnding = true;
    m_sessionEndWaiting = m_busy;
    if (m_context.activity.run.Converting) {
        m_cuttingShort = true;
        m_stopped = true;
        m_job.requestStop();
        StopConversion();
    }
}

void RunControl::StopConversion()
{
    m_context.progress.StopConversion(m_context.settings.settings().SkinFlag);
}

void RunControl::ShowConvertProgress(int value)
{
    m_context.progress.ShowConvertProgress(value, m_context.settings.settings().SkinFlag);
}

std::function<void()> RunControl::splitRoutine(int mode)
{
    switch (mode) {
    case split_mode::Custom:
        return [this] { m_split.SplitCustom(); };
    case split_mode::Time:
        return [this] { m_split.SplitByTime(); };
    case split_mode::Count:
        return [this] { m_split.SplitByCount(); };
    case split_mode::Unification:
        return [this] { m_split.SplitUnified(); };
    default:
        return {};
    }
}

std::function<void()> RunControl::joinRoutine(int mode)
{
    switch (mode) {
    case split_mode::Custom:
        return [this] { m_join.JoinSegments(); };
    case split_mode::Time:
    case split_mode::Count:
        return [this] { m_join.JoinWholeFiles(); };
    case split_mode::Unification:
        return [this] { m_join.UnifiAudoJoiner(); };
    default:
        return {};
    }
}

RunControl::Outcome RunControl::runReportingErrors(const std::function<void()> &routine)
{
    if (!routine)
        return Outcome::NotStarted;  // a SplitMode no run belongs to
    m_stopped = false;
    m_sessionEnding = false;
    m_job.begin(TakeRunSnapshot(m_context));
    m_outputs.readFrom(&m_job.snapshot());
    Q_EMIT runStarted();
    const auto live = qScopeGuard([this] { m_outputs.readFrom(nullptr); });
    const QScopedValueRollback running(m_running, true);
    m_job.finished(runRoutine(routine));
    return m_appliedOutcome;
}

// The files the run had open are closed after an error, so that what was
// written is a valid file.
RunOutcome RunControl::runRoutine(const std::function<void()> &routine)
{
    RunOutcome outcome;
    try {
        routine();
        outcome.stopped = m_job.stopRequested();
        return outcome;
    } catch (const KorvexError &error) {
        outcome.failure = error.text();
    } catch (const std::exception &error) {
        outcome.failure = QString::fromLocal8Bit(error.what());
    }
    outcome.failed = true;
    CloseQuietly(m_context.AudioFileRead);
    CloseQuietly(m_context.AudioFile2write);
    outcome.failure = m_outputs.SettleAfterFailure(outcome.failure);
    return outcome;
}

// An error that escaped a run is shown with its text and leaves Converting
// set, so that nothing starts until the user has pressed Stop.
void RunControl::applyOutcome(const RunOutcome &outcome)
{
    m_applier.givePendingBack();
    if (outcome.failed) {
        m_context.seams.messages->error(outcome.failure);
        reportUntagged();
        m_appliedOutcome = Outcome::Failed;
        return;
    }
    // a stop the job was asked for directly counts as one given by Stop
    m_stopped |= outcome.stopped;
    m_endedByStop = m_stopped;
    reportUntagged();
    m_appliedOutcome = m_stopped ? Outcome::Stopped : Outcome::Finished;
}

void RunControl::reportUntagged()
{
    if (!m_untagged.isEmpty())
        m_context.seams.messages->error(UntaggedReport());
}

QStringList RunControl::CutShortFiles() const
{
    QStringList paths;
    for (const WrittenOutput &output : m_cutShort)
        paths.append(output.path);
    return paths;
}

QString RunControl::StopReport() const
{
    if (!m_endedByStop)
        return {};
    if (m_cutShort.isEmpty())
        return QStringLiteral("The conversion was stopped between two files: no file was cut short, "
                              "every file written holds all its audio.");
    QStringList lines;
    for (const WrittenOutput &output : m_cutShort)
        lines.append(QStringLiteral("%1 (it holds %2 of %3)")
                         .arg(output.path, secondsText(output.heldMs), secondsText(output.plannedMs)));
    return QStringLiteral("The conversion was stopped. This file holds only what was converted until then:\n%1")
        .arg(lines.join(QLatin1Char('\n')));
}

QString RunControl::UntaggedReport() const
{
    return QStringLiteral("The tags could not be written into these files; they are kept without tags:\n%1")
        .arg(m_untagged.join(QLatin1Char('\n')));
}

void RunControl::openOutputFolder()
{
    if (m_sessionEnding)
        return;
    m_context.seams.launcher->open(m_context.settings.settings().OutputFolder);
}

} // namespace korvex
