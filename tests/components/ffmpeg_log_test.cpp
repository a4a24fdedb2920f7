#include "components/FfmpegLog.h"

#include <QStringList>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

using namespace korvex;

namespace {

QStringList routed;

void keepFfmpegLines(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (QByteArray(context.category) == "korvex.ffmpeg")
        routed.append(text);
}

} // namespace

TEST(FfmpegLog, LinesGoToAQuietCategoryInsteadOfTheTerminal)
{
    RouteFfmpegLog();
    routed.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepFfmpegLines);
    testing::internal::CaptureStderr();
    av_log(nullptr, AV_LOG_WARNING, "2312 bytes of comment header remain\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(routed.isEmpty());

    QLoggingCategory::setFilterRules(QStringLiteral("korvex.ffmpeg.warning=true"));
    av_log(nullptr, AV_LOG_WARNING, "2312 bytes of comment header remain\n");
    av_log(nullptr, AV_LOG_DEBUG, "below the level FFmpeg logs at\n");
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    EXPECT_EQ(routed, QStringList{QStringLiteral("2312 bytes of comment header remain")});
}
