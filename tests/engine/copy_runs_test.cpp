#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "support/ExternalTools.h"

#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

// Splits and joins with the output format "Same as source".
class CopyRunTest : public EngineTest
{
protected:
    CopyRunTest() { settings().Format = OutputFormat::Copy; }

    QString makeCoded(const QString &name, const AudioSpec &spec)
    {
        const QString path = m_folder.file(name);
        writeAudioFile(path, spec);
        return path;
    }
    RunControl::Outcome splitInto(int count)
    {
        settings().SplitMode = split_mode::Count;
        settings().SplitCount = count;
        return bench().control().StartSplit(false);
    }
    RunControl::Outcome joinWhole()
    {
        settings().SplitMode = split_mode::Time;  // whole files
        m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
        return bench().control().StartJoin();
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
    AudioSpec spec = noiseSpec(44100, 2, 7 * 44100 + 123);
    spec.bitRate = 160000;
    const QString source = makeCoded(QStringLiteral("album.mp3"), spec);
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

TEST_F(CopyRunTest, FadesOrSoftEdgesAskToEncodeInstead)
{
    add({makeCoded(QStringLiteral("song.mp3"), sineSpec(44100, 2, 3 * 44100))});
    settings().FadeIn = true;
    settings().FadeInSeconds = 1;
    settings().EdgeMs = 20;
    m_seams.messages.questionAnswer = false;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::NotStarted);
    ASSERT_EQ(m_seams.messages.questions.size(), 1);
    EXPECT_TRUE(m_seams.messages.questions.first().contains(QStringLiteral("a fade-in or soft edges")))
        << m_seams.messages.questions.first().toStdString();
    EXPECT_TRUE(outputNames().isEmpty());

    m_seams.messages.questionAnswer = true;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), QStringList({"song_1.wma", "song_2.wma"}));
    // the next run copies again once nothing stands in the way
    settings().FadeIn = false;
    settings().EdgeMs = 0;
    EXPECT_EQ(splitInto(2), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), QStringList({"song_1.mp3", "song_1.wma", "song_2.mp3", "song_2.wma"}));
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
    EXPECT_LT(out.frames(), partA.frames() + partB.frames() + 3 * 1152);
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
    EXPECT_TRUE(m_seams.dialogs.saveRequests.isEmpty());

    m_seams.messages.questionAnswer = true;
    EXPECT_EQ(joinWhole(), RunControl::Outcome::Finished);
    EXPECT_TRUE(QFileInfo::exists(m_folder.file(QStringLiteral("joined.wma"))));
}

} // namespace
