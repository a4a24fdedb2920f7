#pragma once

#include <QString>

namespace korvex::sdl_audio {

// How much sound waits between the player and the listener.
//
// On a sound server the waiting is the server's: its buffer for the stream
// is asked for apart from SDL's (which sets the server's to its own mixing
// buffer), so SDL mixes in small pieces and writes little silence ahead of
// the first samples, while the server holds enough that a loaded machine
// does not starve it. Straight on a device driver SDL's buffer is all there
// is, and it is the larger one.

// The server's buffer a stream asks for, in milliseconds.
constexpr int ServerBufferMs = 200;

// Asks every stream of this process for ServerBufferMs on the sound server,
// unless the user already chose a buffer. Called before the first device
// opens.
void AskServerForBuffer();

// Whether streams on `driver` get the server's buffer asked for above
// (SDL's PulseAudio driver, which PipeWire also serves).
bool BuffersOnServer(const QString &driver);

// SDL's mixing buffer on `driver`, in frames: a power of two.
int MixingFrames(const QString &driver, int rate);

// The frames handed to a device on `driver` that have not sounded yet, right
// after a hand-over.
qint64 LatencyFrames(const QString &driver, int rate);

} // namespace korvex::sdl_audio
