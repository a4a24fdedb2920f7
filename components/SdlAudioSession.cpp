#include "components/SdlAudioSession.h"

#include <QHash>

#include <future>
#include <list>
#include <mutex>

namespace korvex::sdl_audio {

namespace {

// Everything below is guarded by sessionMutex.
std::mutex sessionMutex;
int sessionUsers = 0;
int openDevices = 0;            // open or still closing in the background
QHash<QString, QString> chosen; // a driver list, joined, to the driver that worked
std::list<std::future<void>> backgroundWork;

QString listKey(const QStringList &drivers)
{
    return drivers.join(QLatin1Char('\n'));
}

void dropFinishedWork()
{
    backgroundWork.remove_if([](const std::future<void> &work) {
        return work.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
}

void runInBackground(std::function<void()> work)
{
    dropFinishedWork();
    backgroundWork.push_back(std::async(std::launch::async, std::move(work)));
}

// With the lock held on entry and on return; the background work takes it
// when it ends.
void waitForBackgroundWork(std::unique_lock<std::mutex> &lock)
{
    std::list<std::future<void>> pending;
    pending.swap(backgroundWork);
    lock.unlock();
    for (std::future<void> &work : pending)
        work.wait();
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
    runInBackground([device] { closeNow(device); });
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
    ++sessionUsers;
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
    runInBackground([drivers] {
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
    if (!backgroundWork.empty()) {
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
