#include "engine/RunProgress.h"

#include "components/LogCategories.h"
#include "engine/RunReports.h"
#include "joblist/Scale.h"

namespace korvex {

namespace {

// done × 10000 ÷ total with halves rounded up, as Scale gives it, but with
// 64-bit operands: a join of many long files has more frames than an int holds.
int hundredthsOfPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return -1;
    return ClampToInt((done * 20000 + total) / (2 * total));
}

} // namespace

void RunProgress::show(int value)
{
    m_reports.pieceProgress(value);
}

void RunProgress::showFrames(qint64 done, qint64 total)
{
    show(hundredthsOfPercent(done, total));
    if (m_inRun)
        showRun(done, total);
}

void RunProgress::startRun(int pieces, qint64 totalMs)
{
    m_inRun = true;
    m_pieces = pieces;
    m_piece = 0;
    m_totalMs = totalMs;
    m_doneMs = 0;
    m_pieceMs = 0;
    qCDebug(lcRun) << "run of" << pieces << "piece(s)," << totalMs << "ms";
}

void RunProgress::startPiece(qint64 pieceMs)
{
    if (!m_inRun)
        return;
    m_doneMs += m_pieceMs;
    m_pieceMs = qMax<qint64>(0, pieceMs);
    ++m_piece;
    // the plan was counted at the start; a setting changed during the run
    // can bring more pieces than that
    m_pieces = qMax(m_pieces, m_piece);
    m_totalMs = qMax(m_totalMs, m_doneMs + m_pieceMs);
    qCDebug(lcRun) << "piece" << m_piece << "of" << m_pieces << "," << m_pieceMs << "ms";
    showRun(0, 1);
}

void RunProgress::showRun(qint64 doneInPiece, qint64 pieceTotal)
{
    const qint64 inPiece = pieceTotal > 0 ? m_pieceMs * qBound<qint64>(0, doneInPiece, pieceTotal) / pieceTotal : 0;
    m_reports.runProgress(qMax(0, hundredthsOfPercent(m_doneMs + inPiece, m_totalMs)),
                          QStringLiteral("piece %1 of %2").arg(m_piece).arg(m_pieces));
}

void RunProgress::endRun()
{
    qCDebug(lcRun) << "run ended after" << m_piece << "piece(s)";
    m_inRun = false;
    m_reports.runProgress(0, QString());
}

void RunProgress::clear()
{
    m_reports.progressCleared();
}

} // namespace korvex
