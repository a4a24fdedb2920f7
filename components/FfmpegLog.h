#pragma once

#include <QLoggingCategory>

namespace korvex {

// FFmpeg's own log lines ("[ogg @ 0x…] 2312 bytes of comment header remain")
// go to this category instead of the terminal. It is quiet unless enabled,
// e.g. QT_LOGGING_RULES="korvex.ffmpeg.debug=true" for everything FFmpeg says
// or "korvex.ffmpeg.warning=true" for its warnings and errors; what Korvex
// needs to tell the user it tells in its own words.
Q_DECLARE_LOGGING_CATEGORY(lcFfmpeg)

// Installs the routing; once per process, before FFmpeg is first used.
void RouteFfmpegLog();

} // namespace korvex
