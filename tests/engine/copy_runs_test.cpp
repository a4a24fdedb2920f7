#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "settings/EncoderSettings.h"
#include "support/ExternalTools.h"

#include <QDir>
#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

// Splits and joins with the output format "Same as source".
class CopyRunTest : public EngineTest
{
protected:
    CopyRunTest() { settings().Format = OutputFormat::Copy; }

    QString makeCoded(const QString &name, const AudioSpec &made)
    {
        const QString path = m_folder.file(name);
        writeAudioFile(path, made);
        return path;
    }
    RunControl::Outcome splitInto(int count)
    {
        settings().SplitMode = split_mode::Count;
        settings().SplitCount = count;
        return runSplit();
    }
    RunControl::Outcome joinWhole()
    {
        settings().SplitMode = split_mode::Time;  // whole files
        m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
        return runJoin();
    }
    QString probe(const QString &path, const QString &entries)
    {
        return RunTool(QStringLiteral("ffprobe"),
                       {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"), entries,
                        QStringLiteral("-of"), QStringLiteral("csv=p=0"), path})
            .output.trimmed();
    }
};

TEST_F(CopyRunTest, AnMp3SplitGivesTaggedMp3PiecesThatLayEndToEndAsTheSource)
{
    AudioSpec made = noiseSpec(44100, 2, 7 * 44100 + 123);
    made.bitRate = 160000;
    const QString source = makeCoded(QStringLiteral("album.mp3"), made);
    add({source});
    bench().jobs().tags(0).Title = QStringLiteral("Night Train");
    bench().jobs().tags(0).Artist = QStringLiteral("The Copyists");
    bench().jobs().tags(0).Year = QStringLiteral("1999");
    ASSERT_EQ(splitInto(3), RunControl::Outcome::Finished);
    const QStringList names = outputNames();
    ASSERT_EQ(names.size(), 3) << names.join(QLatin1Char(' ')).toStdString();
    QList<float> joined;
    for (const QString &name : names) {
        EXPECT_TRUE(name.endsWith(QStringLiteral(".mp3"))) << name.toStdString();
        EXPECT_EQ(probe(output(name), QStringLiteral("stream=codec_name,sample_rate,channels")),
                  QStringLiteral("mp3,44100,2"));
        joined.append(decodeFile(output(name)).samples);
    }
    EXPECT_EQ(joined, decodeFile(source).samples);
    EXPECT_EQ(statuses(), QStringList(3, status_word::Finish));
    const QString tags = RunMutagen(QStringLiteral("import sys\nfrom mutagen.id3 import ID3\n"
                                                   "t = ID3(sys.argv[1])\n"
                                                   "print(t.version[1], t['TIT2'][0], t['TPE1'][0], t['TDRC'][0])\n"),
                                    output(names.first()));
    EXPECT_EQ(tags.trimmed(), QStringLiteral("4 Night Train The Copyists 1999"));
}

TEST_F(CopyRunTest, OggOpusAndM4aPiecesKeepTheirCodecContainerAndTags)
{
    for (const char *name : {"talk.ogg", "talk.opus", "talk.m4a"}) {
        const QString source = makeCoded(QString::fromLatin1(name), sineSpec(48000, 2, 6 * 48000));
        add({source});
    }
    for (int row = 0; row < 3; ++row)
        bench().jobs().tags(row).Artist = QStringLiteral("Lecturer %1").arg(row);
    ASSERT_EQ(splitInto(2), RunControl::Outcome::Finished);
    const QStringList names = outputNames();
    ASSERT_EQ(names, QStringList({"talk_1.m4a", "talk_1.ogg", "talk_1.opus", "talk_2.m4a", "talk_2.ogg",
                                  "talk_2.opus"}));
    const QMap<QString, QString> codecs = {
        {"m4a", "aac"}, {"ogg", "vorbis"}, {"opus", "opus"}};
    for (const QString &name : names) {
        const QString extension = QFileInfo(name).suffix();
        EXPECT_EQ(probe(output(name), QStringLiteral("stream=codec_name")), codecs.value(extension));
        // whole packets: about half of the six seconds each
        EXPECT_NEAR(ProbedSeconds(output(name)), 3.0, 0.1) << name.toStdString();
        const QString artist = RunMutagen(QStringLiteral("import sys, mutagen\nf = mutagen.File(sys.argv[1])\n"
                                                         "key = '\\xa9ART' if sys.argv[1].endswith('m4a') else 'artist'\n"
                                                         "print(f.tags[key][0])\n"),
                                          output(name));
        EXPECT_TRUE(artist.startsWith(QStringLiteral("Lecturer "))) << name.toStdString() << artist.toStdString();
    }
}

// Bytes this process handed to write calls so far.
qint64 bytesWritten()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// Ogg copies carry their tags in the comment header they are muxed with: no
// tag writer opens them again and writes every page after a grown comment
// header a second time, so the run writes each piece's bytes about once.
TEST_F(CopyRunTest, OggCopiesAreWrittenOnceWithTheirTags)
{
    for (const char *name : {"radio.ogg", "radio.opus"})
        add({makeCoded(QString::fromLatin1(name), noiseSpec(48000, 2, 20 * 48000, 0.3f, 4))});
    for (int row = 0; row < 2; ++row) {
        bench().jobs().tags(row).Title = QStringLiteral("Morning Show");
        bench().jobs().tags(row).Year = QStringLiteral("2003-04");
    }
    const qint64 before = bytesWritten();
    ASSERT_GE(before, 0);
    ASSERT_EQ(splitInto(2), RunControl::Outcome::Finished);
    const qint64 written = bytesWritten() - before;
    const QStringList names = outputNames();
    ASSERT_EQ(names.size(), 4) << names.join(QLatin1Char(' ')).toStdString();
    qint64 pieceBytes = 0;
    for (const QString &name : names) {
        pieceBytes += QFileInfo(output(name)).size();
        const QString tags = RunMutagen(QStringLiteral("import sys, mutagen\nt = mutagen.File(sys.argv[1]).tags\n"
                                                       "print(t['title'][0], t['date'][0], t['tracknumber'][0])\n"),
                                        output(name));
        EXPECT_EQ(tags.trimmed(), QStringLiteral("Morning Show 2003-04 %1").arg(name.contains(QLatin1Char('1')) ? 1 : 2))
            << name.toStdString();
        const ToolResult decoded = RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", output(name), "-f", "null", "-"});
        EXPECT_EQ(decoded.errors.trimmed(), QString()) << name.toStdString();
        EXPECT_NEAR(ProbedSeconds(output(name)), 10.0, 0.1) << name.toStdString();
    }
    EXPECT_LT(written, pieceBytes * 3 / 2) << written << " bytes written for " << pieceBytes << " bytes of pieces";
}

// FLAC and WAV are written again without loss: the pieces lay end to end as
// the source, in its codec and sample format, tagged as encoded FLAC and WAV are.
TEST_F(CopyRunTest, FlacAndWavPiecesLayEndToEndAsTheSourceAndAreTagged)
{
    for (const char *name : {"concert.flac", "concert.wav"})
        add({makeCoded(QString::fromLatin1(name), noiseSpec(44100, 2, 5 * 44100 + 77))});
    for (int row = 0; row < 2; ++row)
        bench().jobs().tags(row).Title = QStringLiteral("Encore");
    ASSERT_EQ(splitInto(3), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), QStringList({"concert_1.flac", "concert_1.wav", "concert_2.flac", "concert_2.wav",
                                          "concert_3.flac", "concert_3.wav"}));
    for (const char *extension : {"flac", "wav"}) {
        const QString source = m_folder.file(QStringLiteral("concert.") + QLatin1String(extension));
        QList<float> joined;
        for (int number = 1; number <= 3; ++number) {
            const QString piece = output(QStringLiteral("concert_%1.%2").arg(number).arg(QLatin1String(extension)));
            EXPECT_EQ(probe(piece, QStringLiteral("stream=codec_name,sample_fmt")),
                      probe(source, QStringLiteral("stream=codec_name,sample_fmt")));
            joined.append(decodeFile(piece).samples);
            const QString tags = RunMutagen(QStringLiteral("import sys, mutagen\nf = mutagen.File(sys.argv[1])\n"
                                                           "t = f.tags\n"
                                                           "print(t['title'][0] + ' ' + t['tracknumber'][0] "
                                                           "if sys.argv[1].endswith('flac') else "
                                                           "t['TIT2'].text[0] + ' ' + t['TRCK'].text[0])\n"),
                                            piece);
            EXPECT_EQ(tags.trimmed(), QStringLiteral("Encore %1").arg(number)) << piece.toStdString();
        }
        EXPECT_EQ(joined, decodeFile(source).samples) << extension;
    }
}

// A FLAC copy is encoded again at the [Encoding] level, as encoded FLAC is:
// levels 0 to 2 code blocks of 1152 samples, the higher ones of 4608.
TEST_F(CopyRunTest, FlacPiecesTakeTheCompressionLevelOfTheSettings)
{
    const QString source = makeCoded(QStringLiteral("set.flac"), noiseSpec(44100, 2, 3 * 44100));
    add({source});
    const auto blockSize = [this](const QString &piece) {
        return RunMutagen(QStringLiteral("import sys, mutagen.flac\n"
                                         "i = mutagen.flac.FLAC(sys.argv[1]).info\n"
                                         "print(i.min_blocksize, i.max_blocksize)\n"),
                          output(piece))
            .trimmed();
    };
    OutputEncoding qualities;
    qualities.flacCompression = 0;
    WriteEncoderQualities(bench().store().file(), qualities);
    ASSERT_EQ(splitInto(2), RunControl::Outcome::Finished);
    EXPECT_EQ(blockSize(QStringLiteral("set_1.flac")), QStringLiteral("1152 1152"));
    const qint64 fast = QFileInfo(output(QStringLiteral("set_1.flac"))).size();
    qualities.flacCompression = 8;
    settings().EncodingOverride = qualities;
    ASSERT_EQ(splitInto(2), RunControl::Outcome::Finished);
    const QStringList names = outputNames();
    ASSERT_EQ(names.size(), 4) << names.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(blockSize(names.at(2)), QStringLiteral("4608 4608")) << names.at(2).toStdString();
    EXPECT_LT(QFileInfo(output(names.at(2))).size(), fast);
    EXPECT_EQ(decodeFile(output(names.at(2))).samples, decodeFile(output(QStringLiteral("set_1.flac"))).samples);
}

// A copying run names and reads its pieces from what it started with: a
// folder or an entry changed behind its back does not reach it, a change
// handed to it through the core does, from the next piece on.
TEST_F(CopyRunTest, PiecesFollowOnlyTheChangesHandedToTheRun)
{
    const QString source = makeTone(QStringLiteral("six.wav"), 6.0);
    add({source});
    const QString moved = movedFolder();
    const auto behind = [&] {
        settings().OutputFolder = moved;
        bench().jobs().job(0).FileName = m_folder.file(QStringLiteral("gone.wav"));
    };
    EXPECT_EQ(splitChangedBetweenPieces(behind, [&] { bench().settingsChanged(); }), RunControl::Outcome::Finished);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << m_seams.messages.errors.join(QLatin1Char(' ')).toStdString();

    EXPECT_EQ(outputNames(), (QStringList{"six_1.wav", "six_2.wav"}));
    EXPECT_EQ(QDir(moved).entryList(QDir::Files), QStringList{"six_1.wav"});
    QList<float> joined = decodeFile(output(QStringLiteral("six_1.wav"))).samples;
    joined += decodeFile(output(QStringLiteral("six_2.wav"))).samples;
    joined += decodeFile(moved + QStringLiteral("six_1.wav")).samples;
    EXPECT_EQ(joined, decodeFile(source).samples);
}

TEST_F(CopyRunTest, FadesOrSoftEdgesAskToEncodeInstead)
{
    add({makeCoded(QStringLiteral("song.mp3"), sineSpec(44100, 2, 3 * 44100))});
    settings().FadeIn = true;
    settings().FadeInSeconds = 1;
    settings().EdgeMs = 20;
    m_seams.messages.questionAnswer = false;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::NotStarted);
    ASSERT_EQ(m_seams.messages.questions.size(), 1);
    const QString question = m_seams.messages.questions.first();
    EXPECT_TRUE(question.contains(QStringLiteral("a fade-in or soft edges"))) << question.toStdString();
    EXPECT_TRUE(question.endsWith(QStringLiteral("\n\nEncode as MP3 instead?"))) << question.toStdString();
    EXPECT_TRUE(outputNames().isEmpty());

    // encoded in the source's own format, faded, for this run only
    m_seams.messages.questionAnswer = true;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), QStringList({"song_1.mp3", "song_2.mp3"}));
    const DecodedAudio first = decodeFile(output(QStringLiteral("song_1.mp3")));
    EXPECT_LT(channelRms(first, 0, 441), 0.05);  // the fade-in's start
    EXPECT_EQ(settings().Format, OutputFormat::Copy);
    // the next run copies again once nothing stands in the way
    settings().FadeIn = false;
    settings().EdgeMs = 0;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), QStringList({"song_1.mp3", "song_2.mp3", "song_3.mp3", "song_4.mp3"}));
}

// The question names the format the sources are encoded in: their own where
// every part has the same one Korvex encodes, else WMA.
TEST(CopyEncodeInstead, OffersTheSourcesOwnFormat)
{
    const auto part = [](const char *codec, const char *container) {
        CodedFormat format;
        format.codec = QString::fromLatin1(codec);
        format.container = QString::fromLatin1(container);
        return format;
    };
    const QList<std::pair<CodedFormat, OutputFormat>> own = {
        {part("mp3", "mp3"), OutputFormat::Mp3},      {part("vorbis", "ogg"), OutputFormat::OggVorbis},
        {part("opus", "ogg"), OutputFormat::Opus},    {part("aac", "ipod"), OutputFormat::Aac},
        {part("flac", "flac"), OutputFormat::Flac},   {part("pcm_s24le", "wav"), OutputFormat::Wav},
        {part("pcm_s32le", ""), OutputFormat::Wma},   {part("wmav2", "asf"), OutputFormat::Wma},
        {part("alac", ""), OutputFormat::Wma}};
    for (const auto &[format, expected] : own)
        EXPECT_EQ(EncodeInsteadFormat({format, format}), expected) << format.codec.toStdString();
    EXPECT_EQ(EncodeInsteadFormat({part("mp3", "mp3"), part("flac", "flac")}), OutputFormat::Wma);
}

TEST_F(CopyRunTest, AJoinOfSameCodecMp3sDecodesToThePartsInTurn)
{
    AudioSpec first = noiseSpec(44100, 2, 2 * 44100, 0.4f, 9);
    AudioSpec second = sineSpec(44100, 2, 3 * 44100);
    first.bitRate = second.bitRate = 128000;
    const QString a = makeCoded(QStringLiteral("a.mp3"), first);
    const QString b = makeCoded(QStringLiteral("b.mp3"), second);
    add({a, b});
    ASSERT_EQ(joinWhole(), RunControl::Outcome::Finished);
    ASSERT_EQ(m_seams.dialogs.saveRequests.size(), 1);
    EXPECT_EQ(m_seams.dialogs.saveRequests.first().defaultSuffix, QStringLiteral("mp3"));
    const QString joined = m_folder.file(QStringLiteral("joined.mp3"));
    ASSERT_TRUE(QFileInfo::exists(joined));
    const DecodedAudio out = decodeFile(joined);
    const DecodedAudio partA = decodeFile(a);
    const DecodedAudio partB = decodeFile(b);
    ASSERT_GE(out.frames(), partA.frames() + partB.frames());
    EXPECT_LT(out.frames(), partA.frames() + partB.frames() + 2 * 1152);
    EXPECT_EQ(out.samples.first(partA.samples.size()), partA.samples);
    EXPECT_EQ(out.samples.last(partB.samples.size()), partB.samples);
}

TEST_F(CopyRunTest, AJoinOfUnlikePartsSaysWhyAndOffersToEncode)
{
    add({makeCoded(QStringLiteral("cd.mp3"), sineSpec(44100, 2, 2 * 44100)),
         makeCoded(QStringLiteral("radio.mp3"), sineSpec(22050, 2, 2 * 22050))});
    m_seams.messages.questionAnswer = false;
    EXPECT_EQ(joinWhole(), RunControl::Outcome::NotStarted);
    ASSERT_EQ(m_seams.messages.questions.size(), 1);
    const QString asked = m_seams.messages.questions.first();
    EXPECT_TRUE(asked.contains(QStringLiteral("radio.mp3")) && asked.contains(QStringLiteral("22050 Hz")))
        << asked.toStdString();
    EXPECT_TRUE(asked.endsWith(QStringLiteral("Encode as MP3 instead?"))) << asked.toStdString();
    EXPECT_TRUE(m_seams.dialogs.saveRequests.isEmpty());

    // both are MP3s: encoded as one, across the rates
    m_seams.messages.questionAnswer = true;
    EXPECT_EQ(joinWhole(), RunControl::Outcome::Finished);
    const QString joined = m_folder.file(QStringLiteral("joined.mp3"));
    EXPECT_EQ(probe(joined, QStringLiteral("stream=codec_name,sample_rate")), QStringLiteral("mp3,44100"));
    EXPECT_NEAR(ProbedSeconds(joined), 4.0, 0.1);
}

} // namespace
