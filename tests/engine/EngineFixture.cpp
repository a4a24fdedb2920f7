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
