#include "player/PreviewPlayer.h"

#include "components/IAudioPlayer2.h"
#include "components/KorvexError.h"
#include "components/Seams.h"
#include "components/SkinFace.h"
#include "joblist/JobList.h"
#include "joblist/ListText.h"
#include "joblist/Scale.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

#include <algorithm>

namespace korvex {

PreviewPlayer::PreviewPlayer(const ListDesk &desk, ListActivity &activity, IAudioPlayer2 &output,
                             MessageSeam &messages, QObject *parent)
    : QObject(parent)
    , m_state(activity.player)
    , m_jobs(desk.jobs)
    , m_settings(desk.settings)
    , m_run(activity.run)
    , m_skin(desk.skin)
    , m_output(output)
    , m_messages(messages)
{
    connect(&m_reader, &PreviewReader::blockRead, this, &PreviewPlayer::handOver);
    connect(&m_reader, &PreviewReader::readFailed, this, &PreviewPlayer::readFailed);
    connect(&m_output, &IAudioPlayer2::OnTimer, this, &PreviewPlayer::AudioPlayer21Timer);
    connect(&m_output, &IAudioPlayer2::OnEndPlay, this, &PreviewPlayer::AudioPlayer21EndPlay);
    connect(&m_output, &IAudioPlayer2::OnEndArrayPlay, this, &PreviewPlayer::AudioPlayer21EndArrayPlay);
    connect(&m_output, &IAudioPlayer2::OnRequestOnLoadArray, this,
            &PreviewPlayer::AudioPlayer21RequestOnLoadArray);
    connect(&m_skin, &SkinFace::OnMouseDown, this, &PreviewPlayer::Skin1MouseDown);
    connect(&m_skin, &SkinFace::OnScrollTrack, this, &PreviewPlayer::Skin1ScrollTrack);
    connect(&m_skin, &SkinFace::OnMouseUp, this, &PreviewPlayer::Skin1MouseUp);
}

void PreviewPlayer::Play()
{
    if (m_run.Converting)
        return;
    const int mode = m_settings.SplitMode;
    if (m_jobs.SegmentSelected && (mode == split_mode::Custom || mode == split_mode::Unification))
        PlaySegment();
    else
        PlayFile();
}

// Files being added are read through the same reader between the user's
// clicks, so playback waits for the add as it waits for a run.
bool PreviewPlayer::playLocked() const
{
    return m_run.Converting || m_state.Playing || m_jobs.Adding();
}

void PreviewPlayer::PlayFile()
{
    const int row = m_jobs.selectedFileRow();
    if (playLocked() || row < 0)
        return;
    startPlayback(row, [this] {
        m_state.PlayPosition = m_skin.position(skin_object::Slider);
        m_state.StartFrame = qMax<qint64>(0, Scale64(m_state.PlayPosition, m_length, positionMax()));
        seekTo(m_state.StartFrame);
        m_output.play();
        QueueNextBlock();
    });
}

void PreviewPlayer::PlaySegment()
{
    const int row = m_jobs.selectedFileRow();
    const int segment = m_jobs.selectedSegmentRow();
    if (playLocked() || row < 0 || segment < 0)
        return;
    const listrecord &owner = m_jobs.JobRecords().at(segmentOwner(row));
    // The list may still show another mode's pieces (the mode changed while
    // something played): only a row that is one of the entry's segments plays.
    if (segment >= owner.Count)
        return;
    const qint64 begin = owner.BeginTime.at(segment);
    const qint64 end = owner.EndTime.at(segment);
    m_state.PlayerSegment = segment;
    startPlayback(row, [this, segment, begin, end] {
        m_state.SegmentPlayback = true;
        m_segmentBegin = qMax<qint64>(0, FrameAtMs(begin, m_sampleRate));
        m_segmentFrames = FrameAtMs(end, m_sampleRate) - FrameAtMs(begin, m_sampleRate);
        seekTo(m_segmentBegin);
        m_state.StartFrame = 0;
        m_output.play();
        SegmentListModel &rows = *m_jobs.segmentModel();
        m_state.SavedStatus = rows.status(segment);
        rows.setStatus(segment, status_word::Playing);
        QueueNextBlock();
    });
}

void PreviewPlayer::PlayAroundBegin()
{
    playAround(false);
}

void PreviewPlayer::PlayAroundEnd()
{
    playAround(true);
}

void PreviewPlayer::playAround(bool atEnd)
{
    const int row = m_jobs.selectedFileRow();
    if (playLocked() || row < 0)
        return;
    const listrecord &owner = m_jobs.JobRecords().at(segmentOwner(row));
    const int pending = owner.Count - 1;
    if (pending < 0 || pending >= owner.BeginTime.size() || pending >= owner.EndTime.size())
        return;
    const qint64 at = atEnd ? owner.EndTime.at(pending) : owner.BeginTime.at(pending);
    playRange(qMax<qint64>(0, at - AroundMs), at + AroundMs);
}

// Plays a stretch of the selected file like a segment, with no row of the
// segment list standing for it.
void PreviewPlayer::playRange(qint64 beginMs, qint64 endMs)
{
    const int row = m_jobs.selectedFileRow();
    m_state.PlayerSegment = -1;
    startPlayback(row, [this, beginMs, endMs] {
        m_state.SegmentPlayback = true;
        m_segmentBegin = qMin(FrameAtMs(beginMs, m_sampleRate), m_length);
        m_segmentFrames = qMin(FrameAtMs(endMs, m_sampleRate), m_length) - m_segmentBegin;
        seekTo(m_segmentBegin);
        m_state.StartFrame = 0;
        m_output.play();
        QueueNextBlock();
    });
}

void PreviewPlayer::startPlayback(int row, const std::function<void()> &start)
{
    m_state.Playing = true;
    m_state.PlayerRow = row;
    m_state.SegmentPlayback = false;
    m_file = m_jobs.JobRecords().at(row).FileName;
    guarded([this, &start] {
        openFile(m_file);
        start();
    });
}

void PreviewPlayer::openFile(const QString &path)
{
    m_reader.open(path);
    m_length = m_reader.length();
    m_durationMs = m_reader.duration();
    m_sampleRate = m_reader.sampleRate();
    m_channels = m_reader.channelCount();
    m_output.setDataFormat(m_sampleRate, m_channels);
}

// The player's events, and the user's drags, arrive while the file plays;
// none of them may throw into the event loop. A file that fails while it
// plays (deleted, cut short, damaged) stops the playback, and the user hears
// which file it was; the next Play starts afresh.
void PreviewPlayer::guarded(const std::function<void()> &step)
{
    QString failure;
    try {
        step();
        return;
    } catch (const KorvexError &error) {
        failure = error.text();
    } catch (const std::exception &error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    stopFailed(failure);
}

void PreviewPlayer::stopFailed(const QString &failure)
{
    StopPlayback();
    m_messages.error(QStringLiteral("\"%1\" cannot be played.\n%2").arg(m_file, failure));
}

// A segment is read up to its end frame, and the empty block after its last
// ends the playback there: the segment sounds exactly as its piece will, not
// until the next timer tick. A file is read until the reader has nothing more.
void PreviewPlayer::seekTo(qint64 frame)
{
    const qint64 end = m_state.SegmentPlayback ? m_segmentBegin + m_segmentFrames : PreviewReader::ToTheEnd;
    m_reader.start(std::clamp<qint64>(frame, 0, m_length), end);
}

// The block comes through handOver, at once when it was read ahead.
void PreviewPlayer::QueueNextBlock()
{
    m_reader.request();
}

void PreviewPlayer::handOver(qint64 firstFrame, const SampleArray &block)
{
    if (!m_state.Playing)
        return;
    guarded([&] {
        m_output.queue(block);
        Q_EMIT blockQueued(firstFrame, block);
    });
}

void PreviewPlayer::readFailed(const QString &text)
{
    if (m_state.Playing)
        stopFailed(text);
}

void PreviewPlayer::StopPlayback()
{
    // Nothing plays on an output that cannot connect, and nothing is left
    // to close on a reader that fails to: the stop goes on regardless.
    try {
        m_output.stop();
    } catch (const KorvexError &) {
    }
    m_reader.close();
    SegmentListModel &rows = *m_jobs.segmentModel();
    const int played = m_state.PlayerSegment;
    if (played >= 0 && played < rows.rowCount() && rows.status(played) == status_word::Playing)
        rows.setStatus(played, m_state.SavedStatus);
    showPosition(0);
    showTime(0);
    m_state.Playing = false;
    m_state.SeekDragging = false;
    m_state.SegmentPlayback = false;
}

void PreviewPlayer::AudioPlayer21Timer(qint64 CurrentSamples, int, int)
{
    if (!m_state.Playing || m_state.SeekDragging)
        return;
    const qint64 played = m_state.StartFrame + CurrentSamples;
    // Slider, time and the wave's line all show where the file is: in
    // segment playback too, where they stay inside the segment.
    const qint64 inFile = (m_state.SegmentPlayback ? m_segmentBegin : 0) + played;
    showPosition(positionFor(inFile));
    showTime(m_length > 0 ? ClampToInt(Scale64(inFile, m_durationMs / 1000, m_length)) : 0);
    m_state.PlayPosition = m_skin.position(skin_object::Slider);
    if (m_state.SegmentPlayback ? played >= m_segmentFrames : m_state.PlayPosition >= positionMax())
        StopPlayback();
}

void PreviewPlayer::AudioPlayer21EndPlay()
{
    if (m_state.Playing)
        StopPlayback();
}

void PreviewPlayer::AudioPlayer21EndArrayPlay()
{
    if (m_state.Playing)
        QueueNextBlock();
}

void PreviewPlayer::AudioPlayer21RequestOnLoadArray()
{
    if (m_state.Playing)
        QueueNextBlock();
}

void PreviewPlayer::Skin1MouseDown(const QString &name, int, int, int)
{
    if (name == skin_object::Slider)
        m_state.SeekDragging = true;
}

void PreviewPlayer::Skin1ScrollTrack(const QString &name, int)
{
    if (name == skin_object::Slider)
        ShowDragTime();
}

void PreviewPlayer::ShowDragTime()
{
    const int row = m_jobs.selectedFileRow();
    if (row < 0 || !m_state.SeekDragging)
        return;
    m_state.PlayPosition = qMin(m_skin.position(skin_object::Slider), positionMax());
    showTime(secondsAt(m_state.PlayPosition, m_jobs.JobRecords().at(row).Duration));
}

// Releasing the slider while playing seeks there; at its end it stops. While
// stopped the position stays for the next playback and the next mark.
void PreviewPlayer::Skin1MouseUp(const QString &name, int, int, int)
{
    if (name != skin_object::Slider)
        return;
    m_state.SeekDragging = false;
    if (!m_state.Playing)
        return;
    m_state.PlayPosition = m_skin.position(skin_object::Slider);
    if (m_state.PlayPosition >= positionMax()) {
        StopPlayback();
        return;
    }
    guarded([this] {
        const qint64 frame = qMax<qint64>(0, Scale64(m_state.PlayPosition, m_length, positionMax()));
        if (m_state.SegmentPlayback) {
            // the slider stands for the file: a drop outside the segment
            // plays from its nearer end, and past its end there is nothing
            const qint64 offset = qMax<qint64>(0, frame - m_segmentBegin);
            if (offset >= m_segmentFrames) {
                StopPlayback();
                return;
            }
            m_state.StartFrame = offset;
        } else {
            m_state.StartFrame = frame;
        }
        seekTo((m_state.SegmentPlayback ? m_segmentBegin : 0) + qint64(m_state.StartFrame));
        // the player counts from 0 again: StartFrame is where it now starts
        m_output.flush();
    });
}

void PreviewPlayer::StepForward()
{
    step(+1);
}

void PreviewPlayer::StepBack()
{
    step(-1);
}

void PreviewPlayer::step(int direction)
{
    const int row = m_jobs.selectedFileRow();
    if (row < 0 || m_state.Playing)
        return;
    const int duration = m_jobs.JobRecords().at(row).Duration;
    if (duration <= 0)
        return;
    const int max = positionMax();
    m_state.PlayPosition = m_skin.position(skin_object::Slider);
    int units = max / duration;  // slider units per second
    if (units == 1)
        units = 2;
    const int target = m_state.PlayPosition + direction * units;
    // Forward stops short of the end, where playback could not start.
    if (direction > 0 && target >= max)
        return;
    showPosition(qMax(0, target));
    showTime(secondsAt(m_state.PlayPosition, duration));
}

int PreviewPlayer::segmentOwner(int row) const
{
    return m_settings.SplitMode == split_mode::Unification ? 0 : row;
}

int PreviewPlayer::positionMax() const
{
    return m_skin.maxPosition(skin_object::Slider);
}

// The slider position of a frame of the file.
int PreviewPlayer::positionFor(qint64 frame) const
{
    if (m_length <= 0)
        return positionMax();
    return ClampToInt(Scale64(frame, positionMax(), m_length));
}

// The time a slider position stands for; a slider without room stands at 0.
int PreviewPlayer::secondsAt(int position, int seconds) const
{
    const int max = positionMax();
    return max > 0 ? Scale(position, seconds, max) : 0;
}

void PreviewPlayer::showPosition(int position)
{
    m_state.PlayPosition = position;
    m_skin.setPosition(skin_object::Slider, position);
    m_skin.redraw(skin_object::Slider);
}

void PreviewPlayer::showTime(int seconds)
{
    // the time Begin and End take while the slider stays where it is now
    m_state.ClockSeconds = seconds;
    m_state.ClockPosition = m_state.PlayPosition;
    const QString text = TimeText(seconds);
    m_state.PositionText = text;
    m_skin.setText(skin_object::PositionCaption, text);
    m_skin.redraw(skin_object::PositionCaption);
}

} // namespace korvex
