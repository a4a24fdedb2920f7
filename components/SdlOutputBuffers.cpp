#include "components/SdlOutputBuffers.h"

#include <QByteArray>

#include <algorithm>

namespace korvex::sdl_audio {

namespace {

// The sound server's client library reads this when a stream connects.
const char *const ServerBufferVariable = "PULSE_LATENCY_MSEC";

int powerOfTwoFrames(int wanted)
{
    int frames = 256;
    while (frames < wanted && frames < 32768)
        frames *= 2;
    return frames;
}

int serverBufferMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue(ServerBufferVariable, &ok);
    return ok && ms > 0 ? ms : ServerBufferMs;
}

} // namespace

void AskServerForBuffer()
{
    if (!qEnvironmentVariableIsSet(ServerBufferVariable))
        qputenv(ServerBufferVariable, QByteArray::number(ServerBufferMs));
}

bool BuffersOnServer(const QString &driver)
{
    return driver == QLatin1String("pulseaudio");
}

// On a sound server about 20 ms (1024 frames at 44.1 and 48 kHz): what SDL
// writes ahead while a new device starts, never more. Elsewhere about 170
// to 340 ms (8192 frames): 1024 to 4096 frames left gaps while both cores
// were busy.
int MixingFrames(const QString &driver, int rate)
{
    return powerOfTwoFrames(BuffersOnServer(driver) ? rate / 50 : rate / 6);
}

// The server keeps its buffer filled, SDL's piece on top of it; a driver
// holds SDL's buffer.
qint64 LatencyFrames(const QString &driver, int rate)
{
    const qint64 mixing = MixingFrames(driver, rate);
    if (BuffersOnServer(driver))
        return std::max<qint64>(mixing, qint64(serverBufferMs()) * rate / 1000);
    return mixing;
}

} // namespace korvex::sdl_audio
