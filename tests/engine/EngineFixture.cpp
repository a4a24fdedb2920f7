#include "engine/EngineFixture.h"

#include <QDir>

#include <cmath>

namespace korvex::test {

EngineTest::EngineTest()
    : m_output(m_folder.file(QStringLiteral("out")) + QLatin1Char('/'))
    , m_bench(std::make_unique<Core>(RunAudio{m_reader, m_writer, m_transform}, m_seams.seams()))
{
    QDir().mkpath(m_output);
    m_bench->settings().OutputFolder = m_output;
    m_writer.setEncoderWorkers(1);
}

QString EngineTest::makeTone(const QString &name, double seconds, int rate, int channels)
{
    AudioSpec tone;
    tone.sampleRate = rate;
    tone.channels = channels;
    tone.frames = qint64(std::llround(seconds * rate));
    const QString path = m_folder.file(name);
    writeAudioFile(path, tone);
    return path;
}

void EngineTest::add(const QStringList &paths)
{
    const int before = m_bench->jobs().rowCount();
    m_seams.dialogs.openAnswer = paths;
    m_bench->adder().AddFiles();
    ASSERT_EQ(m_bench->jobs().rowCount(), before + paths.size()) << m_seams.messages.errors.join(QLatin1Char('\n')).toStdString();
}

QStringList EngineTest::outputNames() const
{
    return QDir(m_output).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList EngineTest::statuses()
{
    QStringList words;
    const SegmentListModel &segments = *m_bench->jobs().segmentModel();
    for (int row = 0; row < segments.rowCount(); ++row)
        words.append(segments.status(row));
    return words;
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
