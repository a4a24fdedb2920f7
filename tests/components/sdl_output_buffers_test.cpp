// Where the preview's sound waits on its way out: the sound server's buffer
// asked for beside SDL's small one, a user's own choice kept, and the clock's
// account of what has not sounded yet following whichever holds.
#include "components/SdlOutputBuffers.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

const char *const Variable = "PULSE_LATENCY_MSEC";

// Puts the variable back as the test found it.
class ServerBufferVariable
{
public:
    ServerBufferVariable() : m_was(qgetenv(Variable)), m_wasSet(qEnvironmentVariableIsSet(Variable)) {}
    ~ServerBufferVariable()
    {
        if (m_wasSet)
            qputenv(Variable, m_was);
        else
            qunsetenv(Variable);
    }

private:
    QByteArray m_was;
    bool m_wasSet;
};

TEST(SdlOutputBuffers, TheServerHoldsTheBufferAndSdlMixesInSmallPieces)
{
    ServerBufferVariable restore;
    qunsetenv(Variable);
    sdl_audio::AskServerForBuffer();
    EXPECT_EQ(qgetenv(Variable), QByteArray::number(sdl_audio::ServerBufferMs));

    const QString server = QStringLiteral("pulseaudio");
    // small enough that what SDL writes ahead of the first samples is not heard
    EXPECT_LE(sdl_audio::MixingFrames(server, 44100), 44100 / 40);
    EXPECT_LE(sdl_audio::MixingFrames(server, 48000), 48000 / 40);
    EXPECT_EQ(sdl_audio::LatencyFrames(server, 44100), qint64(44100) * sdl_audio::ServerBufferMs / 1000);
    EXPECT_EQ(sdl_audio::LatencyFrames(server, 22050), qint64(22050) * sdl_audio::ServerBufferMs / 1000);

    // straight on a driver, SDL's buffer is the only one: large, and all of
    // what has not sounded
    const QString driver = QStringLiteral("alsa");
    EXPECT_GE(sdl_audio::MixingFrames(driver, 44100), 44100 / 6);
    EXPECT_EQ(sdl_audio::LatencyFrames(driver, 44100), sdl_audio::MixingFrames(driver, 44100));
    for (const int rate : {8000, 22050, 44100, 96000}) {
        const int frames = sdl_audio::MixingFrames(driver, rate);
        EXPECT_EQ(frames & (frames - 1), 0) << frames << " frames at " << rate << " Hz is no power of two";
    }
}

TEST(SdlOutputBuffers, AUsersOwnServerBufferIsKeptAndCounted)
{
    ServerBufferVariable restore;
    qputenv(Variable, "350");
    sdl_audio::AskServerForBuffer();
    EXPECT_EQ(qgetenv(Variable), QByteArray("350"));
    EXPECT_EQ(sdl_audio::LatencyFrames(QStringLiteral("pulseaudio"), 48000), 48000 * 350 / 1000);

    // one shorter than SDL's piece still leaves that piece unheard
    qputenv(Variable, "1");
    EXPECT_EQ(sdl_audio::LatencyFrames(QStringLiteral("pulseaudio"), 48000),
              sdl_audio::MixingFrames(QStringLiteral("pulseaudio"), 48000));
}

} // namespace
