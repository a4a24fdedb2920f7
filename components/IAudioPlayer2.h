#pragma once

#include "components/SampleArray.h"

#include <QObject>

namespace korvex {

// The preview player. Its events are delivered on the thread that owns the
// player object (queued signals), never on the audio output's own thread.
class IAudioPlayer2 : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~IAudioPlayer2() override = default;

    virtual void play() = 0;                        // start, or resume
    virtual void stop() = 0;
    virtual void queue(const SampleArray &block) = 0;
    virtual void flush() = 0;                       // drop queued data after a seek
    virtual void setDataFormat(int sampleRate, int channels) = 0;

Q_SIGNALS:
    void OnEndArrayPlay();
    // CurrentSamples: frames sounded since play() or the last flush(): those
    // handed to the device less what its buffer still holds.
    void OnTimer(qint64 CurrentSamples, int LevelLeft, int LevelRight);
    void OnRequestOnLoadArray();
    void OnEndPlay();
};

} // namespace korvex
