#include "components/Chapters.h"
#include "engine/EngineFixture.h"
#include "settings/OutputFormat.h"
#include "support/ExternalTools.h"
#include "support/TextFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace korvex;
using namespace korvex::test;

namespace {

class ChapterRun : public EngineTest
{
protected:
    // A tone of `seconds` with the chapters (start ms, end ms, title) as
    // ffmpeg writes them into a container from an ffmetadata file.
    QString chaptered(const QString &name, double seconds, const QList<Chapter> &chapters,
                      const QString &codec = QStringLiteral("flac"))
    {
        QByteArray metadata = ";FFMETADATA1\ntitle=Book\n";
        for (const Chapter &chapter : chapters)
            metadata += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                            .arg(chapter.startMs).arg(chapter.endMs).arg(chapter.title).toUtf8();
        const QString text = m_folder.file(name + QStringLiteral(".txt"));
        EXPECT_TRUE(writeTextFile(text, metadata));
        const QString path = m_folder.file(name);
        RunTool(QStringLiteral("ffmpeg"),
                {"-v", "error", "-y", "-f", "lavfi", "-i",
                 QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds), "-i", text,
                 "-map", "0", "-map_metadata", "1", "-map_chapters", "1", "-c:a", codec, path});
        return path;
    }
    QStringList segmentsAndTitles(int row)
    {
        const listrecord &entry = bench().jobs().job(row);
        QStringList texts;
        for (int k = 0; k < entry.Count - 1; ++k)
            texts.append(QStringLiteral("%1-%2 %3")
                             .arg(entry.BeginTime[k]).arg(entry.EndTime[k]).arg(entry.OwnTags.value(k).Title));
        return texts;
    }
    void chaptersCommand()
    {
        bench().commands().dispatch(CommandTable::Source::Menu, QStringLiteral("SegmentsFromChapters1"));
    }
};

TEST_F(ChapterRun, ChaptersOfMatroskaAndMp4AreReadWithTheirTitles)
{
    const QList<Chapter> marks = {{0, 2000, QStringLiteral("Prologue")}, {2000, 4500, QString::fromUtf8("Ünï Two")},
                                  {4500, 6000, QStringLiteral("Epilogue")}};
    EXPECT_EQ(ReadChapters(chaptered(QStringLiteral("book.mka"), 6.0, marks)), marks);
    const QList<Chapter> m4b = ReadChapters(chaptered(QStringLiteral("book.m4b"), 6.0, marks, QStringLiteral("aac")));
    ASSERT_EQ(m4b.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(m4b[k].title, marks[k].title);
        EXPECT_NEAR(m4b[k].startMs, marks[k].startMs, 30) << k;
    }
    EXPECT_TRUE(ReadChapters(makeTone(QStringLiteral("plain.wav"), 2.0)).isEmpty());
    EXPECT_TRUE(ReadChapters(m_folder.file(QStringLiteral("missing.mka"))).isEmpty());
}

TEST_F(ChapterRun, SegmentsFromChaptersTitlesEachSegmentAndAsksBeforeReplacingConfirmedOnes)
{
    add({chaptered(QStringLiteral("talk.mka"), 6.0,
                   {{0, 2500, QStringLiteral("One")}, {2500, 5990, QStringLiteral("Two")}}),
         makeTone(QStringLiteral("none.wav"), 2.0)});
    bench().jobs().selectFileRow(1);
    bench().editor().lvClick();
    chaptersCommand();
    EXPECT_EQ(m_seams.messages.informations, QStringList{QStringLiteral("none.wav has no chapters.")});

    bench().jobs().selectFileRow(0);
    bench().editor().lvClick();
    chaptersCommand();
    // the last chapter's end, a hair short of the file's, is taken to the end
    EXPECT_EQ(segmentsAndTitles(0), (QStringList{"0-2500 One", "2500-6000 Two"}));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "Uncertain"}));
    EXPECT_TRUE(m_seams.messages.questions.isEmpty());
    bench().jobs().job(0).OwnTags[0].Title = QStringLiteral("Edited");
    chaptersCommand();
    ASSERT_EQ(m_seams.messages.questions.size(), 1);
    EXPECT_EQ(m_seams.messages.questions[0],
              QStringLiteral("talk.mka has 2 confirmed segment(s). Replace them with its 2 chapters?"));
    EXPECT_EQ(bench().jobs().job(0).OwnTags[0].Title, QStringLiteral("Edited"));
}

// A joined file has a mark where each part begins, named after the part, and
// the first entry's tags; ffprobe and mutagen read both.
TEST_F(ChapterRun, AJoinMarksEveryPartAndCarriesTheFirstEntrysTags)
{
    add({makeTone(QStringLiteral("one.wav"), 3.0), makeTone(QStringLiteral("two.wav"), 2.0)});
    AudioFileinfo &first = bench().jobs().tags(0);
    first = {QStringLiteral("Audiobook"), QStringLiteral("Reader"), QStringLiteral("2020"),
             QStringLiteral("Stories"), QString(), QStringLiteral("Speech")};
    listrecord &one = bench().jobs().job(0);
    one.BeginTime = {0, 1000, 0};
    one.EndTime = {1000, 3000, 3000};
    one.Count = 3;
    one.OwnTags = {{QStringLiteral("Opening"), {}}};
    listrecord &two = bench().jobs().job(1);
    two.BeginTime = {0, 0};
    two.EndTime = {2000, 2000};
    two.Count = 2;
    settings().SplitMode = split_mode::Custom;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("book"));
    ASSERT_EQ(runJoin(), RunControl::Outcome::Finished);
    const QString joined = m_folder.file(QStringLiteral("book.wma"));

    const QStringList titles = {"Opening", "Audiobook", "two"};
    const QList<double> starts = {0.0, 1.0, 3.0};
    const auto expectMarks = [&](const QString &path) {
        const QJsonArray chapters =
            QJsonDocument::fromJson(
                RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_chapters", "-of", "json", path}).output.toUtf8())
                .object()
                .value(QStringLiteral("chapters"))
                .toArray();
        ASSERT_EQ(chapters.size(), 3) << qPrintable(path);
        for (int k = 0; k < 3; ++k) {
            const QJsonObject chapter = chapters[k].toObject();
            EXPECT_EQ(chapter["tags"].toObject()["title"].toString(), titles[k]) << qPrintable(path) << k;
            EXPECT_NEAR(chapter["start_time"].toString().toDouble(), starts[k], 0.05) << qPrintable(path) << k;
        }
    };
    expectMarks(joined);
    const QString tags = RunMutagen(QStringLiteral(R"(import sys
from mutagen.asf import ASF
t = ASF(sys.argv[1]).tags
print(*[str(t[k][0]) for k in ('Title', 'Author', 'WM/AlbumTitle', 'WM/Year', 'WM/Genre')], sep='|')
)"),
                                    joined);
    EXPECT_EQ(tags.trimmed(), QStringLiteral("Audiobook|Reader|Stories|2020|Speech"));
    EXPECT_NEAR(audioFrames(joined), 5 * 44100, CodecFrame);

    // every format that has a form for chapters carries them, the tags written over them keeping them
    for (const OutputFormat format :
         {OutputFormat::Mp3, OutputFormat::OggVorbis, OutputFormat::Opus, OutputFormat::Flac, OutputFormat::Aac}) {
        settings().Format = format;
        m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("book-") + outputFormatWord(format));
        ASSERT_EQ(runJoin(), RunControl::Outcome::Finished) << qPrintable(outputFormatWord(format));
        expectMarks(m_seams.dialogs.saveAnswer + QLatin1Char('.') + outputFormatExtension(format));
    }
}

} // namespace
