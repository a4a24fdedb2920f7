// The window's side of conversion runs: what it does around one (the notice,
// the waveform held, the report of what a stop cut short). The run commands
// are the core's, in its command table; the runs and their bookkeeping are
// RunControl's, shared with korvex-cli.
#include "app/Tfm_main.h"

#include "app/RunNotifier.h"
#include "app/WaveformView.h"
#include "components/ErrorBoxes.h"

#include <QTableView>

#include <cstdio>
#include <utility>

namespace korvex {

void Tfm_main::connectRunControl()
{
    RunControl &control = m_core.control();
    connect(&control, &RunControl::fileListFocusRequested, lv, [this] {
        lv->setFocus();
        // with a long list the entry being converted must stay in sight
        const QModelIndexList rows = m_core.jobs().fileSelection()->selectedRows();
        if (!rows.isEmpty())
            lv->scrollTo(rows.first());
    });
    // the status a run writes is the row it works on: keep it in sight
    connect(m_core.jobs().segmentModel(), &QAbstractItemModel::dataChanged, lv_time,
            [this](const QModelIndex &changed) {
                // by its first column: the list must not slide sideways
                if (m_core.run().Converting)
                    lv_time->scrollTo(changed.siblingAtColumn(0));
            });
    connect(&control, &RunControl::outputWritten, this, [this](const QString &path) {
        m_notifier->outputWritten(path);
    });
    // what a stop cut short is told for the split or join that just ended,
    // never again after another command (Find Silences keeps no such account)
    connect(&control, &RunControl::runEnded, this, [this] { m_stopReportDue = true; });
}

// Closing the window stops a run but cannot wait for it: the run unwinds
// after the close, inside the command that started it, and only then may the
// session end. An error is shown here rather than by the command table, so that
// it is seen before the program ends.
void Tfm_main::runFromCommand(const std::function<void()> &run)
{
    // a run command met inside a run: the outer one notifies, reports and ends
    const bool nested = m_core.control().Busy();
    if (!nested)
        m_notifier->runStarted();
    // the encoders get the processors; the waveform goes on after the run
    const bool holdWaveform = !nested && m_waveform;
    if (holdWaveform)
        m_waveform->source().setPaused(true);
    const QString failure = FailureText(run).value_or(QString());
    if (holdWaveform)
        m_waveform->source().setPaused(false);
    // the user who closed the window needs no notice
    if (!nested && !m_core.control().StoppedBySessionEnd())
        m_notifier->runEnded(isActiveWindow(), failure);
    if (!failure.isEmpty())
        m_seams.messages->error(failure);
    if (nested)
        return;
    if (std::exchange(m_stopReportDue, false))
        reportCutShort();
    m_closingFromSignal = false;
    if (m_core.control().SessionEndWaiting())
        Q_EMIT sessionEnded();
}

// A stopped run's last file is closed and valid, yet may be shorter than
// planned: the user hears which file that is and how much it holds, or that
// the stop came between files. One who closed the window may not have meant
// to stop anything, and hears that first.
void Tfm_main::reportCutShort()
{
    const QString report = m_core.control().StopReport();
    if (m_core.control().StoppedBySessionEnd() && !m_core.control().CutShortFiles().isEmpty()) {
        const QString text = QStringLiteral("Korvex was closed during a conversion. %1").arg(report);
        if (m_closingFromSignal)
            std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        else
            m_seams.messages->information(text);
    } else if (!report.isEmpty() && !m_core.control().StoppedBySessionEnd()) {
        m_seams.messages->information(report);
    }
}

void Tfm_main::closeFromSignal()
{
    m_closingFromSignal = true;
    close();
}

} // namespace korvex
