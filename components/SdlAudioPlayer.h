#pragma once

#include "components/IAudioPlayer2.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <deque>
#include <mutex>

namespace korvex {

// The preview player on SDL2 audio. SDL's audio thread only takes samples
// from the queue under m_mutex, updates atomics and reads the format, which
// stays put while a device is open; the owner thread turns
// what happened into the events, from a 100 ms timer and from one queued
// wake-up the audio thread posts when something needs telling.
class SdlAudioPlayer : public IAudioPlayer2
{
    Q_OBJECT
public:
    explicit SdlAudioPlayer(QObject *parent = nullptr);
    // Drivers to try in order; "" is SDL's own choice. The default list ends
    // with "dummy", which plays in real time into nowhere.
    SdlAudioPlayer(QStringList drivers, QObject *parent);
    ~SdlAudioPlayer() override;

    void play() override;
    void stop() override;
    void queue(const SampleArray &block) override;
    void flush() override;
    void setDataFormat(int sampleRate, int channels) override;

    bool isPlaying() const { return m_playing; }
    // The driver the player plays on ("dummy" on machines without sound),
    // empty when none works.
    QString driverName() const;

Q_SIGNALS:
    // The audio thread's wake-up for the owner thread, nobody else's.
    void wakeRequested(QPrivateSignal);

private:
    void connectOutput();
    void openDevice();
    void closeDevice();
    void pauseThenClose();
    void clearQueue();
    void restartClock();
    void startSounding();
    void fill(float *out, int frames);
    qint64 heardFrames();
    bool heardEverything();
    void postWake();
    void deliverEvents();
    void onTimer();
    static void audioCallback(void *self, unsigned char *stream, int bytes);

    // Owner thread only.
    QStringList m_drivers;
    quint32 m_device = 0;
    QTimer m_timer;
    QTimer m_linger;                 // closes the device once nothing played for a while
    bool m_playing = false;
    bool m_endQueued = false;        // an empty block said that nothing more comes
    bool m_requestPending = false;   // OnRequestOnLoadArray sent, no block since
    bool m_awaitingFirstBlock = false; // playing, the device opens when samples come
    int m_starvedTicks = 0;
    QTimer m_playOut;                // the end, once the device has sounded what it holds
    qint64 m_latencyFrames = 0;      // handed to the open device, not yet heard
    bool m_buffersOnServer = false;  // the open device's buffer is a sound server's
    qint64 m_heard = 0;              // the clock last told
    // The device's format. The audio thread reads m_channels without a lock;
    // the owner writes both only while no device is open (closing pauses the
    // device, which returns once the callback has left and keeps it from
    // running again; opening starts it), so no write meets a read.
    int m_rate = 44100;
    int m_channels = 2;

    // Guarded by m_mutex (audio thread and owner thread).
    std::mutex m_mutex;
    std::deque<QList<float>> m_blocks;
    qsizetype m_blockOffset = 0;     // samples of the front block already played

    // Changed under m_mutex by both threads (resetting too), read by the
    // owner without it.
    std::atomic<qint64> m_played{0};         // frames since play() or flush()
    std::atomic<qint64> m_queuedFrames{0};   // frames waiting in m_blocks
    // Written by the audio thread, read and reset by the owner thread.
    std::atomic<int> m_finishedBlocks{0};
    std::atomic<int> m_levelLeft{0};
    std::atomic<int> m_levelRight{0};
    std::atomic<bool> m_wakePosted{false};
    std::atomic<qint64> m_lastFillNs{0};     // steady clock at the last callback
};

} // namespace korvex
