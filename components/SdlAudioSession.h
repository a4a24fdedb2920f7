#pragma once

#include <QString>
#include <QStringList>

#include <SDL.h>

namespace korvex::sdl_audio {

// SDL's audio subsystem is process-wide: every player shares one driver,
// which is chosen once and changed only while no device is open. Players
// join before their first use and leave when they go; the last one to leave
// waits for the work still running in the background and shuts SDL's audio
// down. Any thread may call these.
void JoinSession();
void LeaveSession();

// Starts choosing the driver of `drivers` on a background thread, so that the
// probing (a sound server that is not there, an ALSA without a card) is done
// before the first Play instead of after it.
void ChooseDriverSoon(const QStringList &drivers);

// The first driver of `drivers` on which a device opens ("" is SDL's own
// choice, which prefers a sound server that answers); an empty string when
// none does. Probed once per list and remembered.
QString ChosenDriver(const QStringList &drivers);

// Opens a device on the chosen driver (or, should it fail now, on the next
// that works); 0 when none opens. The device starts paused.
SDL_AudioDeviceID OpenDevice(const QStringList &drivers, const SDL_AudioSpec &want);

// Pauses the device, which returns once its callback has left and keeps it
// from being called again, then closes it on a background thread: on a sound
// server SDL waits there until the server has played what it holds, which
// takes up to seconds (measured 0.1 to 1.8 s on PulseAudio), and nobody
// waits for that. The device's owner may go as soon as this returns.
void CloseDeviceInBackground(SDL_AudioDeviceID device);

} // namespace korvex::sdl_audio
