#include "engine/EngineFixture.h"
#include "support/ExternalTools.h"
#include "joblist/CueSheet.h"
#include "support/TextFiles.h"

#include <QFile>

#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

class CueImportRun : public EngineTest
{
protected:
    QString sheet(const QString &name, const QByteArray &text)
    {
        const QString path = m_folder.file(name);
        EXPECT_TRUE(writeTextFile(path, text));
        return path;
    }
    void addChosen(const QStringList &paths)
    {
        m_seams.dialogs.openAnswer = paths;
        bench().adder().AddFiles();
    }
};

// An album image with its sheet becomes titled, numbered pieces, the last
// one shorter than a second, with the album's tags and the sheet's year.
TEST_F(CueImportRun, AnAlbumWithItsSheetSplitsIntoTitledNumberedPieces)
{
    makeTone(QStringLiteral("album.wav"), 9.5);
    addChosen({sheet(QStringLiteral("album.cue"),
                     "REM GENRE \"Folk\"\r\nREM DATE 1999\r\nPERFORMER \"The Band\"\r\nTITLE \"Best Of\"\r\n"
                     "FILE \"album.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n    TITLE \"Opening\"\r\n"
                     "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Middle\"\r\n    PERFORMER \"Guest\"\r\n"
                     "    INDEX 00 00:03:00\r\n    INDEX 01 00:04:00\r\n  TRACK 03 AUDIO\r\n    TITLE \"Coda\"\r\n"
                     "    INDEX 01 00:09:00")});
    ASSERT_EQ(bench().jobs().rowCount(), 1) << m_seams.messages.errors.join('\n').toStdString();
    EXPECT_TRUE(m_seams.messages.errors.isEmpty());
    const listrecord &entry = bench().jobs().job(0);
    EXPECT_EQ(entry.Count, 4);
    EXPECT_EQ(entry.BeginTime.mid(0, 3), (QList<qint64>{0, 4000, 9000}));
    EXPECT_EQ(entry.EndTime.mid(0, 3), (QList<qint64>{4000, 9000, 9500}));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "OK", "Uncertain"}));

    settings().SplitMode = split_mode::Custom;
    ASSERT_EQ(runSplit(), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), (QStringList{"Coda_1.wma", "Middle_1.wma", "Opening_1.wma"}));
    EXPECT_NEAR(audioFrames(output(QStringLiteral("Coda_1.wma"))), 0.5 * 44100, CodecFrame);
    const QString tags = RunMutagen(QStringLiteral(R"(import sys, os
from mutagen.asf import ASF
for name in ('Opening_1.wma', 'Middle_1.wma', 'Coda_1.wma'):
    t = ASF(os.path.join(sys.argv[1], name)).tags
    print(*[str(t[k][0]) for k in ('Title', 'Author', 'WM/AlbumTitle', 'WM/Year', 'WM/Genre', 'WM/TrackNumber')], sep='|')
)"),
                                    outputFolder());
    EXPECT_EQ(tags, QStringLiteral("Opening|The Band|Best Of|1999|Folk|1\nMiddle|Guest|Best Of|1999|Folk|2\n"
                                   "Coda|The Band|Best Of|1999|Folk|3\n"));
}

TEST_F(CueImportRun, ASheetNamingAMissingFileSaysSoAndAddsTheFilesThatAreThere)
{
    makeTone(QStringLiteral("one.wav"), 3.0);
    const QString cue = sheet(QStringLiteral("two files.cue"),
                              "FILE \"one.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n"
                              "  INDEX 01 00:01:00\nFILE \"lost.wav\" WAVE\n TRACK 03 AUDIO\n  INDEX 01 00:00:00\n");
    addChosen({cue});
    ASSERT_EQ(bench().jobs().rowCount(), 1);
    EXPECT_EQ(bench().jobs().job(0).Count, 3);
    EXPECT_EQ(m_seams.messages.errors,
              QStringList{QStringLiteral("The CUE sheet two files.cue names the audio file \"lost.wav\", which is "
                                         "not in %1.").arg(m_folder.path())});
    // a sheet with nothing to add adds nothing, and says why
    addChosen({sheet(QStringLiteral("empty.cue"), "TITLE \"Nothing\"\n")});
    EXPECT_EQ(bench().jobs().rowCount(), 1);
    EXPECT_EQ(m_seams.messages.errors.last(),
              QStringLiteral("The CUE sheet empty.cue holds no track with a start time."));
}

// Export CUE writes the selected entry's segments beside its file and asks
// before it replaces a sheet: the sheet the entry came from is kept on No.
TEST_F(CueImportRun, ExportCueWritesTheSegmentsBesideTheFileAndAsksBeforeReplacing)
{
    makeTone(QStringLiteral("take.wav"), 6.0);
    const QByteArray original = "FILE \"take.wav\" WAVE\n TRACK 01 AUDIO\n  TITLE \"A\"\n  INDEX 01 00:00:00\n"
                                " TRACK 02 AUDIO\n  TITLE \"B\"\n  INDEX 01 00:02:50\n";
    const QString cue = sheet(QStringLiteral("take.cue"), original);
    addChosen({cue});
    ASSERT_EQ(bench().jobs().rowCount(), 1);
    bench().jobs().job(0).OwnTags[1].Title = QStringLiteral("B, renamed");
    const auto dispatch = [this] {
        bench().commands().dispatch(CommandTable::Source::Menu, QStringLiteral("ExportCue1"));
    };
    const auto text = [&cue] {
        QFile file(cue);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    dispatch();
    EXPECT_EQ(m_seams.messages.questions,
              QStringList{QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(cue)});
    EXPECT_EQ(text(), original);
    m_seams.messages.questionAnswer = true;
    dispatch();
    EXPECT_EQ(m_seams.messages.informations.last(), QStringLiteral("The CUE sheet was written to %1.").arg(cue));
    const CueSheet written = ParseCueSheet(DecodeCueText(text()));
    ASSERT_EQ(written.files.size(), 1);
    EXPECT_EQ(written.files[0].name, QStringLiteral("take.wav"));
    ASSERT_EQ(written.files[0].tracks.size(), 2);
    EXPECT_EQ(written.files[0].tracks[1].title, QStringLiteral("B, renamed"));
    EXPECT_EQ(written.files[0].tracks[1].startMs, 2667);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty());
}

} // namespace
