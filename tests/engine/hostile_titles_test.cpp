#include "engine/EngineFixture.h"
#include "engine/OutputNames.h"
#include "support/ExternalTools.h"
#include "support/TextFiles.h"

#include <QFile>
#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

class HostileInputTitles : public EngineTest
{
protected:
    // The name the first piece of a row with this caption gets, made on disk
    // to show the file system takes it.
    QString firstPiece(const QString &caption, const QString &source = QStringLiteral("/music/take.flac"))
    {
        const QString path = FreeSplitPath(outputFolder(), caption, source);
        EXPECT_TRUE(path.startsWith(outputFolder())) << path.toStdString();
        EXPECT_TRUE(writeTextFile(path, "piece")) << path.toStdString();
        const QString name = QFileInfo(path).fileName();
        QFile::remove(path);
        return name;
    }
};

// No title leads out of the folder, hides a piece or puts a control
// character into a name; a title of dots and blanks gives way to the
// source's name, and a long one is shortened instead of dropped.
TEST_F(HostileInputTitles, NamesStayVisibleInsideTheFolderAndWithinTheNameLimit)
{
    EXPECT_EQ(firstPiece(QStringLiteral("../../etc/x")), QStringLiteral("etcx_1.wma"));
    EXPECT_EQ(firstPiece(QStringLiteral("..")), QStringLiteral("take_1.wma"));
    EXPECT_EQ(firstPiece(QStringLiteral(" . . ")), QStringLiteral("take_1.wma"));
    EXPECT_EQ(firstPiece(QStringLiteral("line\none\ttab\x7f")), QStringLiteral("lineonetab_1.wma"));
    EXPECT_EQ(firstPiece(QStringLiteral(".."), QStringLiteral("/music/...")), QStringLiteral("piece_1.wma"));

    const QString accents(250, QChar(0xE9));  // 500 bytes
    const QString name = firstPiece(accents);
    EXPECT_LE(QFile::encodeName(name).size(), 255);
    EXPECT_TRUE(name.endsWith(QStringLiteral("_1.wma")));
    EXPECT_TRUE(accents.startsWith(name.chopped(6))) << name.toStdString();
    EXPECT_GT(name.size(), 100);
    // a character beyond the basic plane is never cut in two
    const QString clefs = QString::fromUtf8("\xF0\x9D\x84\x9E").repeated(100);  // 400 bytes
    const QString clefName = firstPiece(clefs);
    EXPECT_TRUE(clefs.startsWith(clefName.chopped(6))) << clefName.toStdString();
    EXPECT_EQ(clefName.chopped(6).size() % 2, 0);
}

// The tag record keeps the title as the source wrote it: only captions and
// names are cleaned.
TEST_F(HostileInputTitles, PiecesCarryTheTitleAsWritten)
{
    const QString title = QStringLiteral("Live: Part 1/2");
    const QString mp3 = m_folder.file(QStringLiteral("live.mp3"));  // Ogg: tests/joblist
    ASSERT_TRUE(MakeToneWithFfmpeg(mp3, 2, {QStringLiteral("title=") + title}));
    add({mp3});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 10;
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), QStringList{"Live Part 12_1.wma"});
    EXPECT_EQ(MutagenAsfTitle(output(QStringLiteral("Live Part 12_1.wma"))), title);
}

} // namespace
