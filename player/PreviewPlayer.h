#pragma once

#include "components/SampleArray.h"
#include "joblist/ListActivity.h"
#include "joblist/ListDesk.h"
#include "player/PreviewReader.h"

#include <QObject>
#include <QString>

#include <functional>

namespace korvex {

class IAudioPlayer2;
class JobList;
class MessageSeam;
class SkinFace;
struct Settings;

// The preview player: plays the selected entry's file from the slider
// position, or one marked segment of it, through the player component, in
// blocks. It shows the position on the
// slider "pb" and as hh:mm:ss on "timecaption", seeks when the user drags the
// slider while playing, and steps the slider while stopped. It reads with a
// reader of its own, on a thread of its own (PreviewReader), and never
// touches the one the runs read with.
//
// It listens to the player component's events and to the skin's mouse events
// on "pb" itself; the front end only gives it the Play, stop and step
// commands. Window thread only.
class PreviewPlayer : public QObject
{
    Q_OBJECT
public:
    // Frames read and queued at a time.
    static constexpr qint64 BlockFrames = 441000;

    PreviewPlayer(const ListDesk &desk, ListActivity &activity, IAudioPlayer2 &output, MessageSeam &messages,
                  QObject *parent = nullptr);

    // Whether the player holds a file open (it lets go when it stops).
    bool holdsFile() { return m_reader.isOpen(); }

    // The Play command: the selected segment in the custom and unification
    // modes when the segment list was clicked last, else the file.
    void Play();
    void PlayFile();
    void PlaySegment();
    // "Play around Begin" and "Play around End": from AroundMs before to
    // AroundMs after the pending segment's begin or end, so the user hears
    // whether the cut falls inside a word. Same guards as Play.
    static constexpr qint64 AroundMs = 3000;
    void PlayAroundBegin();
    void PlayAroundEnd();
    // Stops the player, lets go of the reader, puts the played segment's
    // status word back and resets the slider and the time text. Never fails.
    void StopPlayback();
    // "qian" and "hou": move the slider about a second while stopped.
    void StepForward();
    void StepBack();

    // The player component's events.
    void AudioPlayer21Timer(qint64 CurrentSamples, int LevelLeft, int LevelRight);
    void AudioPlayer21EndPlay();
    void AudioPlayer21EndArrayPlay();
    void AudioPlayer21RequestOnLoadArray();

    // The skin's mouse events; only those on "pb" count.
    void Skin1MouseDown(const QString &name, int button, int x, int y);
    void Skin1ScrollTrack(const QString &name, int position);
    void Skin1MouseUp(const QString &name, int button, int x, int y);

Q_SIGNALS:
    // A block read from the file went to the player; firstFrame is where it
    // starts in the file. Watched by the benchmarks and the tests.
    void blockQueued(qint64 firstFrame, const korvex::SampleArray &block);

private:
    // Opens the entry's file and runs the rest of a start; a failure on the
    // way leaves the player stopped and is reported naming the file.
    void startPlayback(int row, const std::function<void()> &start);
    void playAround(bool atEnd);
    void playRange(qint64 beginMs, qint64 endMs);
    void openFile(const QString &path);
    void QueueNextBlock();
    void handOver(qint64 firstFrame, const SampleArray &block);
    void readFailed(const QString &text);
    void ShowDragTime();
    // Runs a step that talks to the components; when it fails, playback
    // stops and the user is told which file could not be played.
    void guarded(const std::function<void()> &step);
    void stopFailed(const QString &failure);
    void seekTo(qint64 frame);
    bool playLocked() const;
    int segmentOwner(int row) const;
    int positionMax() const;
    int positionFor(qint64 frame) const;
    int secondsAt(int position, int seconds) const;
    void showPosition(int position);
    // Shows a time in the file on "timecaption", for the slider's position.
    void showTime(int seconds);
    void step(int direction);

    PlayerState &m_state;
    JobList &m_jobs;
    const Settings &m_settings;
    const RunState &m_run;
    SkinFace &m_skin;
    IAudioPlayer2 &m_output;
    MessageSeam &m_messages;
    PreviewReader m_reader{BlockFrames};

    // Of the file open for playback.
    QString m_file;
    qint64 m_length = 0;        // frames (L)
    qint64 m_durationMs = 0;    // milliseconds (Dms)
    int m_sampleRate = 0;
    int m_channels = 0;
    // Of the segment being played, taken when its playback starts, so that
    // marking or removing segments meanwhile cannot pull them away.
    qint64 m_segmentBegin = 0;  // frames
    qint64 m_segmentFrames = 0; // S
};

} // namespace korvex
