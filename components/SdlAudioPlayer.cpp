#include "components/SdlAudioPlayer.h"

#include "components/AudioLimits.h"
#include "components/KorvexError.h"
#include "components/SdlAudioSession.h"
#include "components/SdlOutputBuffers.h"

#include <QThread>
#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace korvex {

namespace {

const char *const NotConnected =
    "DefaultInterface is NULL. Component is not connected to Server. You must call 'Connect' or "
    "'ConnectTo' before this operation";

constexpr int TimerMilliseconds = 100;
// A device that played to the end stays open, paused, this long before it
// is closed: the clock's account of what the device still holds is an
// estimate, and closing throws away whatever the sound server has left. So
// does a stopped one on a driver without a sound server, for a Play soon
// after to find.
constexpr int LingerMilliseconds = 500;
// Ask for more while less than this much is queued.
constexpr int LowWaterSeconds = 3;
// A request that stays unanswered this long on an empty queue ends playback.
constexpr int StarvedTicksToEnd = 10;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int levelPercent(float peak)
{
    return static_cast<int>(std::lround(std::min(peak, 1.0f) * 100.0f));
}

} // namespace

SdlAudioPlayer::SdlAudioPlayer(QObject *parent)
    : SdlAudioPlayer(QStringList{QString(), QStringLiteral("dummy")}, parent)
{
}

SdlAudioPlayer::SdlAudioPlayer(QStringList drivers, QObject *parent)
    : IAudioPlayer2(parent), m_drivers(std::move(drivers)), m_timer(this)
{
    m_timer.setInterval(TimerMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &SdlAudioPlayer::onTimer);
    m_linger.setSingleShot(true);
    m_linger.setInterval(LingerMilliseconds);
    connect(&m_linger, &QTimer::timeout, this, &SdlAudioPlayer::closeDevice);
    m_playOut.setSingleShot(true);
    connect(&m_playOut, &QTimer::timeout, this, &SdlAudioPlayer::deliverEvents);
    // Made here, on the owner thread, so that the audio thread only emits and
    // allocates nothing the owner reads: Qt hands the event over under its own
    // locks, which ThreadSanitizer cannot see into.
    connect(this, &SdlAudioPlayer::wakeRequested, this, &SdlAudioPlayer::deliverEvents, Qt::QueuedConnection);
    sdl_audio::JoinSession();
    sdl_audio::ChooseDriverSoon(m_drivers);
}

SdlAudioPlayer::~SdlAudioPlayer()
{
    closeDevice();
    sdl_audio::LeaveSession();
}

QString SdlAudioPlayer::driverName() const
{
    return sdl_audio::ChosenDriver(m_drivers);
}

// A driver to play on, without opening a device yet.
void SdlAudioPlayer::connectOutput()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (!m_device && sdl_audio::ChosenDriver(m_drivers).isEmpty())
        throw KorvexError(QString::fromLatin1(NotConnected));
}

void SdlAudioPlayer::openDevice()
{
    if (m_device)
        return;
    const QString driver = sdl_audio::ChosenDriver(m_drivers);
    SDL_AudioSpec want{};
    want.freq = m_rate;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(m_channels);
    want.samples = static_cast<Uint16>(sdl_audio::MixingFrames(driver, m_rate));
    want.callback = &SdlAudioPlayer::audioCallback;
    want.userdata = this;
    m_device = sdl_audio::OpenDevice(m_drivers, want);
    if (!m_device)
        throw KorvexError(QString::fromLatin1(NotConnected));
    m_latencyFrames = sdl_audio::LatencyFrames(driver, m_rate);
    m_buffersOnServer = sdl_audio::BuffersOnServer(driver);
}

// The device goes whenever nothing plays: paused, SDL keeps writing silence
// to it, which would keep the sound server busy and, worse, stand in the
// server's buffer ahead of the next play's first samples. Its callback has
// left once this returns.
void SdlAudioPlayer::closeDevice()
{
    if (!m_device)
        return;
    m_linger.stop();
    sdl_audio::CloseDeviceInBackground(m_device);
    m_device = 0;
}

// Paused, the callback is no longer called: the device plays what it holds,
// then silence until it is closed a little later.
void SdlAudioPlayer::pauseThenClose()
{
    if (!m_device)
        return;
    SDL_PauseAudioDevice(m_device, 1);
    m_linger.start();
}

void SdlAudioPlayer::setDataFormat(int sampleRate, int channels)
{
    if (!IsWorkableAudioFormat(sampleRate, channels))
        throw KorvexError(QStringLiteral("%1 Hz with %2 channels cannot be played.").arg(sampleRate).arg(channels));
    connectOutput();
    if (sampleRate == m_rate && channels == m_channels)
        return;
    stop();
    closeDevice();
    m_rate = sampleRate;
    m_channels = channels;
}

void SdlAudioPlayer::play()
{
    connectOutput();
    if (m_playing)
        return;
    // A device still lingering after the last play has filled the server's
    // buffer with silence, which would sound before the first samples. A
    // driver's own buffer holds no more than a new device would write ahead,
    // and a driver with a single device (dummy) would keep a new one waiting
    // until the old one's thread has let go.
    if (m_buffersOnServer)
        closeDevice();
    m_linger.stop();
    m_playing = true;
    restartClock();
    m_starvedTicks = 0;
    // The device opens with the first samples: opened before them, even
    // paused, SDL would fill the sound server's buffer with silence that then
    // plays before them.
    m_awaitingFirstBlock = true;
    if (m_queuedFrames > 0)
        startSounding();
    m_timer.start();
}

void SdlAudioPlayer::stop()
{
    connectOutput();
    m_playing = false;
    m_timer.stop();
    m_playOut.stop();
    // Stopped means silent now: what the server holds goes with the device.
    if (m_buffersOnServer)
        closeDevice();
    else
        pauseThenClose();
    clearQueue();
}

void SdlAudioPlayer::flush()
{
    connectOutput();
    clearQueue();
    m_starvedTicks = 0;
    // The queue is empty now: the owner hears so on its next turn, not
    // inside this call.
    postWake();
}

void SdlAudioPlayer::clearQueue()
{
    std::lock_guard lock(m_mutex);
    m_blocks.clear();
    m_blockOffset = 0;
    m_queuedFrames = 0;
    m_played = 0;
    m_heard = 0;
    m_finishedBlocks = 0;
    m_endQueued = false;
    m_requestPending = false;
}

// Under the lock like every other change of m_played, so the field's rule
// holds without reasoning about whether the device is paused.
void SdlAudioPlayer::restartClock()
{
    std::lock_guard lock(m_mutex);
    m_played = 0;
    m_heard = 0;
}

void SdlAudioPlayer::queue(const SampleArray &block)
{
    connectOutput();
    const qint64 frames = block.frameCount(m_channels);
    if (frames == 0) {
        m_endQueued = true;
        m_requestPending = false;
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(block.samples());
        m_queuedFrames += frames;
    }
    m_endQueued = false;
    m_requestPending = false;
    m_starvedTicks = 0;
    if (!m_playing)
        return;
    if (m_awaitingFirstBlock)
        startSounding();
    // A play starts with a short block: the next is asked for on the owner's
    // next turn, not on the next tick, so the queue is seconds deep while the
    // first block still sounds, and a busy machine does not run it dry.
    postWake();
}

void SdlAudioPlayer::startSounding()
{
    openDevice();
    m_awaitingFirstBlock = false;
    SDL_PauseAudioDevice(m_device, 0);
}

void SdlAudioPlayer::audioCallback(void *self, unsigned char *stream, int bytes)
{
    auto *player = static_cast<SdlAudioPlayer *>(self);
    player->fill(reinterpret_cast<float *>(stream), bytes / static_cast<int>(sizeof(float)) / player->m_channels);
}

// Audio thread: copies queued samples, pads with silence, counts.
void SdlAudioPlayer::fill(float *out, int frames)
{
    const int channels = m_channels;
    const qsizetype wanted = qsizetype(frames) * channels;
    qsizetype written = 0;
    int finished = 0;
    float peak[2] = {0.0f, 0.0f};
    {
        std::lock_guard lock(m_mutex);
        while (written < wanted && !m_blocks.empty()) {
            const QList<float> &front = m_blocks.front();
            const qsizetype take = std::min(wanted - written, front.size() - m_blockOffset);
            const float *from = front.constData() + m_blockOffset;
            std::memcpy(out + written, from, size_t(take) * sizeof(float));
            for (qsizetype i = 0; i < take; ++i) {
                float &side = peak[(written + i) % channels == 0 ? 0 : 1];
                side = std::max(side, std::fabs(from[i]));
            }
            written += take;
            m_blockOffset += take;
            if (m_blockOffset >= front.size()) {
                m_blocks.pop_front();
                m_blockOffset = 0;
                ++finished;
            }
        }
        m_queuedFrames -= written / channels;
        // Counted under the lock, so a flush never sees frames of the old queue.
        m_played += written / channels;
    }
    // Silence after the queue ran dry does not count: the clock runs on
    // until the device has sounded the last real frames.
    if (written > 0)
        m_lastFillNs = steadyNs();
    std::memset(out + written, 0, size_t(wanted - written) * sizeof(float));
    m_levelLeft = levelPercent(peak[0]);
    m_levelRight = levelPercent(channels > 1 ? peak[1] : peak[0]);
    if (finished > 0) {
        m_finishedBlocks += finished;
        postWake();
    } else if (written < wanted && written > 0) {
        postWake();
    }
}

// Any thread: at most one wake-up waits in the owner's event queue.
void SdlAudioPlayer::postWake()
{
    if (m_wakePosted.exchange(true))
        return;
    Q_EMIT wakeRequested(QPrivateSignal());
}

// Owner thread: the events, each only while its condition still holds, since
// a handler may stop, flush or queue in between.
void SdlAudioPlayer::deliverEvents()
{
    m_wakePosted = false;
    if (!m_playing)
        return;
    for (int ended = m_finishedBlocks.exchange(0); ended > 0 && m_playing; --ended)
        Q_EMIT OnEndArrayPlay();
    if (!m_playing)
        return;
    const qint64 queued = m_queuedFrames;
    if (queued < qint64(m_rate) * LowWaterSeconds && !m_requestPending && !m_endQueued) {
        m_requestPending = true;
        Q_EMIT OnRequestOnLoadArray();
    }
    if (!m_playing || m_queuedFrames > 0)
        return;
    if (m_endQueued || m_starvedTicks >= StarvedTicksToEnd) {
        // The last frames are in the device still: the end comes once they
        // have sounded, so the clock reaches the end and nothing is cut off.
        if (!heardEverything()) {
            if (!m_playOut.isActive())
                m_playOut.start(int(std::min<qint64>(1000, (m_latencyFrames * 1000 + m_rate - 1) / m_rate)));
            return;
        }
        m_playing = false;
        m_timer.stop();
        pauseThenClose();
        Q_EMIT OnEndPlay();
    }
}

// The frames the listener has heard: those handed to the device less what
// it and the sound server still hold, which drains at the device's rate from
// the last callback on. What the slider and the time show.
// Never back: a short last fill restarts the estimate lower than the one
// before it.
qint64 SdlAudioPlayer::heardFrames()
{
    const qint64 handed = m_played;
    const qint64 sinceFill = std::max<qint64>(0, steadyNs() - m_lastFillNs) * m_rate / 1000000000;
    const qint64 estimate =
        std::clamp(handed - m_latencyFrames + sinceFill, std::max<qint64>(0, handed - m_latencyFrames), handed);
    m_heard = std::min(std::max(estimate, m_heard), handed);
    return m_heard;
}

bool SdlAudioPlayer::heardEverything()
{
    return heardFrames() >= m_played;
}

void SdlAudioPlayer::onTimer()
{
    if (!m_playing)
        return;
    Q_EMIT OnTimer(heardFrames(), m_levelLeft, m_levelRight);
    if (m_playing && m_queuedFrames == 0 && m_requestPending)
        ++m_starvedTicks;
    deliverEvents();
}

} // namespace korvex
