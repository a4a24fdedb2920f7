#include "components/FfmpegLog.h"

#include <QByteArray>

#include <cstdarg>

extern "C" {
#include <libavutil/log.h>
}

namespace korvex {

Q_LOGGING_CATEGORY(lcFfmpeg, "korvex.ffmpeg", QtCriticalMsg)

namespace {

QtMsgType messageType(int level)
{
    if (level <= AV_LOG_FATAL)
        return QtCriticalMsg;
    if (level <= AV_LOG_WARNING)
        return QtWarningMsg;
    if (level <= AV_LOG_INFO)
        return QtInfoMsg;
    return QtDebugMsg;
}

void toCategory(void *context, int level, const char *format, va_list arguments)
{
    if (level > av_log_get_level())
        return;
    const QtMsgType type = messageType(level);
    if (!lcFfmpeg().isEnabled(type))
        return;
    // FFmpeg may send a line in several calls; each is a message of its own.
    thread_local int printPrefix = 1;
    char line[1024];
    av_log_format_line2(context, level, format, arguments, line, int(sizeof line), &printPrefix);
    const QByteArray text = QByteArray(line).trimmed();
    if (text.isEmpty())
        return;
    switch (type) {
    case QtCriticalMsg:
        qCCritical(lcFfmpeg, "%s", text.constData());
        break;
    case QtWarningMsg:
        qCWarning(lcFfmpeg, "%s", text.constData());
        break;
    case QtInfoMsg:
        qCInfo(lcFfmpeg, "%s", text.constData());
        break;
    default:
        qCDebug(lcFfmpeg, "%s", text.constData());
        break;
    }
}

} // namespace

void RouteFfmpegLog()
{
    av_log_set_callback(&toCategory);
}

} // namespace korvex
