#include "components/SdlAudioSession.h"

#include "components/SdlOutputBuffers.h"
#include "components/SerialWorker.h"

#include <QHash>

#include <mutex>

namespace korvex::sdl_audio {

namespace {

// Guarded by sessionMutex.
std::mutex sessionMutex;
int sessionUsers = 0;
int openDevices = 0;            // open or still closing in the background
QHash<QString, QString> chosen; // a driver list, joined, to the driver that worked

// The probes and the closes, one at a time on the worker's own thread: its
// queue is touched only under the worker's own lock, which may be taken
// with sessionMutex held but never the other way round (a job takes
// sessionMutex itself, and nobody waits for the worker holding it). Made at
// the first use, so a program that plays nothing starts no thread; it goes
// at exit, after the work handed to it.
SerialWorker &background()
{
    static SerialWorker worker;
    return worker;
}

QString listKey(const QStringList &drivers)
{
    return drivers.join(QLatin1Char('\n'));
}

// With the lock held on entry and on return; the background work takes it
// when it ends.
void waitForBackgroundWork(std::unique_lock<std::mutex> &lock)
{
    lock.unlock();
    background().waitUntilIdle();
    lock.lock();
}

bool startDriver(const QString &driver)
{
    const char *current = SDL_GetCurrentAudioDriver();
    const QByteArray wanted = driver.toUtf8();
    if (current && (driver.isEmpty() || wanted == current))
        return true;
    if (current && openDevices > 0)
        return false;
    if (current)
        SDL_AudioQuit();
    return SDL_AudioInit(driver.isEmpty() ? nullptr : wanted.constData()) == 0;
}

SDL_AudioDeviceID openOn(const QString &driver, const SDL_AudioSpec &want)
{
    if (!startDriver(driver))
        return 0;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device != 0)
        ++openDevices;
    return device;
}

void closeNow(SDL_AudioDeviceID device)
{
    SDL_CloseAudioDevice(device);
    std::lock_guard lock(sessionMutex);
    --openDevices;
}

void closeLater(SDL_AudioDeviceID device)
{
    SDL_PauseAudioDevice(device, 1);
    background().post([device] { closeNow(device); });
}

void silence(void *, Uint8 *stream, int bytes)
{
    SDL_memset(stream, 0, size_t(bytes));
}

// Under sessionMutex. A driver works when a device opens on it: ALSA starts
// on a machine without a card and fails only then.
QString probe(const QStringList &drivers)
{
    const QString key = listKey(drivers);
    if (const auto known = chosen.constFind(key); known != chosen.cend())
        return *known;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &silence;
    QString found;
    for (const QString &driver : drivers) {
        if (const SDL_AudioDeviceID device = openOn(driver, want)) {
            found = QString::fromUtf8(SDL_GetCurrentAudioDriver());
            closeLater(device);
            break;
        }
    }
    chosen.insert(key, found);
    return found;
}

} // namespace

void JoinSession()
{
    std::lock_guard lock(sessionMutex);
    // Before any stream opens, the probe's included.
    if (sessionUsers++ == 0)
        AskServerForBuffer();
}

void LeaveSession()
{
    std::unique_lock lock(sessionMutex);
    if (--sessionUsers > 0)
        return;
    waitForBackgroundWork(lock);
    if (sessionUsers == 0 && openDevices == 0 && SDL_GetCurrentAudioDriver()) {
        SDL_AudioQuit();
        chosen.clear();
    }
}

void ChooseDriverSoon(const QStringList &drivers)
{
    std::lock_guard lock(sessionMutex);
    if (chosen.contains(listKey(drivers)))
        return;
    background().post([drivers] {
        std::lock_guard probing(sessionMutex);
        probe(drivers);
    });
}

QString ChosenDriver(const QStringList &drivers)
{
    std::lock_guard lock(sessionMutex);
    return probe(drivers);
}

SDL_AudioDeviceID OpenDevice(const QStringList &drivers, const SDL_AudioSpec &want)
{
    std::unique_lock lock(sessionMutex);
    const QString first = probe(drivers);
    if (first.isEmpty())
        return 0;
    if (const SDL_AudioDeviceID device = openOn(first, want))
        return device;
    // Drivers with a single device (dummy among them) refuse a second one
    // while the last is still closing.
    if (!background().idle()) {
        waitForBackgroundWork(lock);
        if (const SDL_AudioDeviceID device = openOn(first, want))
            return device;
    }
    // The chosen one no longer opens (a sound server went away): the others.
    for (const QString &driver : drivers) {
        if (const SDL_AudioDeviceID device = openOn(driver, want))
            return device;
    }
    return 0;
}

void CloseDeviceInBackground(SDL_AudioDeviceID device)
{
    std::lock_guard lock(sessionMutex);
    closeLater(device);
}

} // namespace korvex::sdl_audio
