#include "support/CoreFixture.h"

#include "support/AudioFixtures.h"

#include <QSignalSpy>

#include <cmath>

namespace korvex::test {

CoreTest::CoreTest()
    : m_bench(std::make_unique<Core>(RunAudio{m_reader, m_writer, m_transform}, m_seams.seams()))
{
}

QString CoreTest::makeTone(const QString &name, double seconds, int rate, int channels)
{
    const QString path = m_folder.file(name);
    writeAudioFile(path, sineSpec(rate, channels, qint64(std::llround(seconds * rate))));
    return path;
}

void CoreTest::add(const QStringList &paths)
{
    const int before = m_bench->jobs().rowCount();
    m_seams.dialogs.openAnswer = paths;
    m_bench->adder().AddFiles();
    ASSERT_EQ(m_bench->jobs().rowCount(), before + paths.size())
        << m_seams.messages.errors.join(QLatin1Char('\n')).toStdString();
}

namespace {

// Starts a run and waits for its end; a start that starts nothing ends at once.
RunControl::Outcome followedToItsEnd(RunControl &control, const std::function<RunControl::Outcome()> &start)
{
    QSignalSpy ended(&control, &RunControl::runEnded);
    const RunControl::Outcome started = start();
    if (started == RunControl::Outcome::NotStarted)
        return started;
    if (ended.isEmpty() && !ended.wait())
        ADD_FAILURE() << "the run never ended";
    return control.LastOutcome();
}

} // namespace

RunControl::Outcome CoreTest::runSplit(bool openOutputFolder)
{
    return followedToItsEnd(bench().control(), [&] { return bench().control().StartSplit(openOutputFolder); });
}

RunControl::Outcome CoreTest::runJoin()
{
    return followedToItsEnd(bench().control(), [&] { return bench().control().StartJoin(); });
}

QStringList CoreTest::statuses()
{
    QStringList words;
    const SegmentListModel &segments = *m_bench->jobs().segmentModel();
    for (int row = 0; row < segments.rowCount(); ++row)
        words.append(segments.status(row));
    return words;
}

} // namespace korvex::test
