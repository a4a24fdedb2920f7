#include "engine/EngineFixture.h"

#include <QDir>

#include <cmath>

namespace korvex::test {

EngineTest::EngineTest() : m_output(m_folder.file(QStringLiteral("out")) + QLatin1Char('/'))
{
    QDir().mkpath(m_output);
    settings().OutputFolder = m_output;
    m_writer.setEncoderWorkers(1);
}

QStringList EngineTest::outputNames() const
{
    return QDir(m_output).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

RunControl::Outcome EngineTest::splitChangedBetweenPieces(const std::function<void()> &behind,
                                                          const std::function<void()> &handed)
{
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    // each piece's own check comes once its predecessor is written
    int changes = 0;
    bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
        if (at.outputs == 1 && changes == 0) {
            ++changes;
            behind();
        } else if (at.outputs == 2 && changes == 1) {
            ++changes;
            handed();
        }
    });
    const RunControl::Outcome outcome = runSplit();
    bench().setRunCheckpoint({});
    EXPECT_EQ(changes, 2) << "the run ended before its third piece";
    return outcome;
}

QString EngineTest::movedFolder() const
{
    const QString moved = m_output + QStringLiteral("moved/");
    QDir().mkpath(moved);
    return moved;
}

qint64 audioFrames(const QString &path)
{
    AudioFile file;
    file.openForRead(path, 0, 1);
    return file.length();
}

double channelRms(const DecodedAudio &audio, qint64 from, qint64 count)
{
    double sum = 0.0;
    qint64 used = 0;
    for (qint64 f = qMax<qint64>(from, 0); f < from + count && f < audio.frames(); ++f, ++used) {
        const double value = audio.samples.at(f * audio.channels);
        sum += value * value;
    }
    return used > 0 ? std::sqrt(sum / double(used)) : 0.0;
}

} // namespace korvex::test
