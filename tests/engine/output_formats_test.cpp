#include "engine/EngineFixture.h"
#include "settings/EncoderSettings.h"
#include "support/ExternalTools.h"

#include <QDir>
#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

struct FormatCase
{
    OutputFormat format;
    const char *probedCodec;
    int rate;
    const char *container;  // mutagen's class for the file
};

const FormatCase Cases[] = {
    {OutputFormat::Mp3, "mp3", 44100, "MP3"},
    {OutputFormat::OggVorbis, "vorbis", 44100, "OggVorbis"},
    {OutputFormat::Opus, "opus", 48000, "OggOpus"},
    {OutputFormat::Flac, "flac", 44100, "FLAC"},
    {OutputFormat::Aac, "aac", 44100, "MP4"},
    {OutputFormat::Wav, "pcm_s16le", 44100, "WAVE"},
};

// codec, rate, channels and duration as ffprobe reads them: "mp3,44100,2,3.0"
QString probed(const QString &path)
{
    const ToolResult stream = RunTool(QStringLiteral("ffprobe"),
                                      {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                       "stream=codec_name,sample_rate,channels", "-of", "csv=p=0", path});
    return QStringLiteral("%1,%2").arg(stream.output.trimmed()).arg(ProbedSeconds(path), 0, 'f', 1);
}

// The container mutagen finds and title|artist|album|year|genre in whichever
// tag the format keeps.
const QString TagScript = QStringLiteral(R"(
import sys, mutagen
f = mutagen.File(sys.argv[1])
t = f.tags if f is not None else None
def get(*keys):
    for k in keys:
        try:
            v = t[k]
        except (KeyError, ValueError, TypeError):
            continue
        v = v.text if hasattr(v, 'text') else v
        return str(v[0])
    return ''
print(type(f).__name__ + ':' + '|'.join([get('TIT2', 'title', '\xa9nam'), get('TPE1', 'artist', '\xa9ART'),
      get('TALB', 'album', '\xa9alb'), get('TDRC', 'date', '\xa9day'), get('TCON', 'genre', '\xa9gen')]))
)");

class OutputFormatTest : public EngineTest
{
protected:
    void tagEntry(int row, const QString &title)
    {
        AudioFileinfo &tags = bench().jobs().tags(row);
        tags.Title = title;
        tags.Artist = QStringLiteral("Ärtist");
        tags.Album = QStringLiteral("Album");
        tags.Year = QStringLiteral("2024");
        tags.Genre = QStringLiteral("Jazz");
    }
    QString expectedTags(const FormatCase &c, const QString &title) const
    {
        return QStringLiteral("%1:%2|Ärtist|Album|2024|Jazz").arg(QLatin1String(c.container), title);
    }
};

TEST_F(OutputFormatTest, SplitsWriteEveryFormatWithItsExtensionCodecAndTags)
{
    add({makeTone(QStringLiteral("song.wav"), 6.0)});
    tagEntry(0, QStringLiteral("Piece"));
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 2;
    for (const FormatCase &c : Cases) {
        const QString extension = outputFormatExtension(c.format);
        SCOPED_TRACE(extension.toStdString());
        settings().Format = c.format;
        ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
        const QStringList pieces = QDir(outputFolder()).entryList({QStringLiteral("*.") + extension}, QDir::Files,
                                                                  QDir::Name);
        ASSERT_EQ(pieces, QStringList({"song_1." + extension, "song_2." + extension}));
        for (const QString &piece : pieces) {
            EXPECT_EQ(probed(output(piece)), QStringLiteral("%1,%2,2,3.0").arg(QLatin1String(c.probedCodec)).arg(c.rate));
            EXPECT_EQ(RunMutagen(TagScript, output(piece)).trimmed(), expectedTags(c, QStringLiteral("Piece")));
        }
    }
    // WMA stays what it was
    EXPECT_EQ(QDir(outputFolder()).entryList({QStringLiteral("*.wma")}, QDir::Files).size(), 0);
}

TEST_F(OutputFormatTest, JoinsAcrossRatesAndChannelsInEveryFormat)
{
    add({makeTone(QStringLiteral("first.wav"), 3.0, 44100, 2), makeTone(QStringLiteral("second.wav"), 2.0, 22050, 1)});
    settings().SplitMode = split_mode::Custom;
    for (const FormatCase &c : Cases) {
        const QString extension = outputFormatExtension(c.format);
        SCOPED_TRACE(extension.toStdString());
        settings().Format = c.format;
        m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
        ASSERT_EQ(runJoin(), RunControl::Outcome::Finished);
        const SaveFileRequest &asked = m_seams.dialogs.saveRequests.last();
        EXPECT_EQ(asked.defaultSuffix, extension);
        EXPECT_TRUE(asked.filter.endsWith(QStringLiteral("|*.") + extension)) << asked.filter.toStdString();
        const QString joined = m_folder.file(QStringLiteral("joined.") + extension);
        EXPECT_EQ(probed(joined), QStringLiteral("%1,%2,2,5.0").arg(QLatin1String(c.probedCodec)).arg(c.rate));
    }
}

// Stop while a piece is being encoded (on the encoding thread): the run
// ends at once with the piece closed, shorter than planned, and every
// decoder reads it to its end without a complaint.
TEST_F(OutputFormatTest, AStopMidPieceLeavesAShorterPieceThatDecodesInEveryFormat)
{
    add({makeTone(QStringLiteral("long.wav"), 20.0)});
    settings().SplitMode = split_mode::Custom;
    for (const FormatCase &c : Cases) {
        const QString extension = outputFormatExtension(c.format);
        SCOPED_TRACE(extension.toStdString());
        settings().Format = c.format;
        int pumps = 0;
        {
            const PumpHookScope hook([&] {
                if (bench().run().Converting && ++pumps == 4)
                    bench().control().Stop();
            });
            EXPECT_EQ(runSplit(), RunControl::Outcome::Stopped);
        }
        EXPECT_FALSE(bench().run().Converting);
        const QStringList pieces = QDir(outputFolder()).entryList({QStringLiteral("*.") + extension}, QDir::Files);
        ASSERT_EQ(pieces.size(), 1);
        const QString piece = output(pieces.first());
        const double seconds = ProbedSeconds(piece);
        EXPECT_GT(seconds, 0.5);
        EXPECT_LT(seconds, 15.0);
        const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", piece, "-f", "null", "-"});
        EXPECT_EQ(decoded.exitCode, 0);
        EXPECT_TRUE(decoded.errors.trimmed().isEmpty()) << decoded.errors.toStdString();
    }
}

// The run reads the qualities of [Encoding] at every output: a change on the
// settings page counts for the next run.
TEST_F(OutputFormatTest, RunsEncodeWithTheQualitiesOfTheSettingsFile)
{
    add({makeTone(QStringLiteral("q.wav"), 2.0)});
    settings().SplitMode = split_mode::Custom;
    settings().Format = OutputFormat::Mp3;
    OutputEncoding qualities;
    qualities.mp3Bitrate = 320;
    WriteEncoderQualities(bench().store().file(), qualities);
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    const ToolResult rate = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "stream=bit_rate",
                                                                "-of", "csv=p=0", output(QStringLiteral("q_1.mp3"))});
    EXPECT_EQ(rate.output.trimmed(), QStringLiteral("320000"));
    // korvex-cli's qualities stand for the file's without changing it
    qualities.mp3Bitrate = 64;
    settings().EncodingOverride = qualities;
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    const ToolResult low = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "stream=bit_rate",
                                                               "-of", "csv=p=0", output(QStringLiteral("q_2.mp3"))});
    EXPECT_EQ(low.output.trimmed(), QStringLiteral("64000"));
    EXPECT_EQ(ReadEncoderQualities(bench().store().file()).mp3Bitrate, 320);
}

} // namespace
