// Korvex's diagnostic categories stay silent until enabled, and then say what
// the user's short message leaves out: why a file could not be measured, how
// the encoder pool worked and why an encoding failed.
#include "components/AudioFile.h"
#include "components/KorvexError.h"
#include "components/LogCategories.h"
#include "components/SourceMeasurer.h"
#include "components/WmaEncoderPool.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <mutex>

using namespace korvex;

namespace {

// The lines of one category, from whichever thread writes them.
class CategoryLines
{
public:
    explicit CategoryLines(const char *category)
    {
        const std::lock_guard lock(s_mutex);
        s_category = category;
        s_lines.clear();
        m_previous = qInstallMessageHandler(keep);
    }
    ~CategoryLines()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    QStringList lines() const
    {
        const std::lock_guard lock(s_mutex);
        return s_lines;
    }

private:
    static void keep(QtMsgType, const QMessageLogContext &context, const QString &text)
    {
        const std::lock_guard lock(s_mutex);
        if (s_category == context.category)
            s_lines.append(text);
    }

    static inline std::mutex s_mutex;
    static inline QByteArray s_category;
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

MeasuredSource measureOne(const QString &path)
{
    SourceMeasurer measurer([] { return std::make_unique<AudioFile>(); }, 1);
    return measurer.take(measurer.measure({path}));
}

void encodeNoise(const WmaEncoderPool::PacketSink &sink)
{
    const QList<float> samples = test::generateSamples(test::noiseSpec(44100, 2, 100000, 0.5f, 3));
    WmaEncoderPool pool(wmaProfile(10), 2, 1 << 14, false, sink);
    pool.pushInterleaved(samples, 0, samples.size() / 2);
    pool.finish();
}

} // namespace

TEST(LogCategories, AFileThatCannotBeMeasuredIsNamedWithItsReasonOnlyWhenAsked)
{
    test::TestFolder folder;
    const QString missing = folder.file(QStringLiteral("missing.wav"));
    CategoryLines measure("korvex.measure");
    const MeasuredSource quiet = measureOne(missing);
    ASSERT_FALSE(quiet.measured);
    EXPECT_TRUE(measure.lines().isEmpty()) << qPrintable(measure.lines().join(u'\n'));

    QLoggingCategory::setFilterRules(QStringLiteral("korvex.measure.info=true"));
    const MeasuredSource told = measureOne(missing);
    ASSERT_EQ(measure.lines().size(), 1) << qPrintable(measure.lines().join(u'\n'));
    EXPECT_TRUE(measure.lines().first().contains(missing)) << qPrintable(measure.lines().first());
    EXPECT_TRUE(measure.lines().first().contains(told.failure)) << qPrintable(measure.lines().first());
}

TEST(LogCategories, TheEncoderPoolTellsItsWorkersItsEndAndItsFailureWhenAsked)
{
    CategoryLines encode("korvex.encode");
    int packets = 0;
    encodeNoise([&packets](AVPacket *) { ++packets; });
    ASSERT_GT(packets, 0);
    EXPECT_TRUE(encode.lines().isEmpty()) << qPrintable(encode.lines().join(u'\n'));

    QLoggingCategory::setFilterRules(QStringLiteral("korvex.encode.debug=true"));
    encodeNoise([](AVPacket *) {});
    const QStringList lines = encode.lines();
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join(u'\n'));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("2 workers"))) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("finished"))) << qPrintable(lines[1]);

    // Only warnings: the failing sink's own text, once, though every later
    // chunk fails as well.
    QLoggingCategory::setFilterRules(QStringLiteral("korvex.encode.warning=true\nkorvex.encode.debug=false"));
    const int before = int(encode.lines().size());
    EXPECT_THROW(encodeNoise([](AVPacket *) { throw KorvexError(QStringLiteral("The disk is full.")); }),
                 KorvexError);
    const QStringList failed = encode.lines().mid(before);
    ASSERT_EQ(failed.size(), 1) << qPrintable(failed.join(u'\n'));
    EXPECT_TRUE(failed.first().contains(QStringLiteral("The disk is full."))) << qPrintable(failed.first());
}
