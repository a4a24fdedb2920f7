#include "components/FilePublishing.h"
#include "support/ExternalTools.h"
#include "support/TextFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// Publishing into `folder`: a free name is taken, a taken one never replaced
// (the temporary file stays for the caller), and a replacing publish
// replaces.
void expectPublishingHolds(const QString &folder)
{
    const QString temporary = folder + QStringLiteral("/piece_1.wma.part");
    const QString finalPath = folder + QStringLiteral("/piece_1.wma");
    ASSERT_TRUE(writeTextFile(temporary, "first piece"));
    ASSERT_EQ(PublishWithoutReplacing(temporary, finalPath), Publishing::Published);
    EXPECT_EQ(readTextFile(finalPath), QByteArray("first piece"));
    EXPECT_FALSE(QFileInfo::exists(temporary));

    ASSERT_TRUE(writeTextFile(temporary, "second piece"));
    EXPECT_EQ(PublishWithoutReplacing(temporary, finalPath), Publishing::NameTaken);
    EXPECT_EQ(readTextFile(finalPath), QByteArray("first piece"));
    EXPECT_EQ(readTextFile(temporary), QByteArray("second piece"));

    PublishReplacing(temporary, finalPath);
    EXPECT_EQ(readTextFile(finalPath), QByteArray("second piece"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"piece_1.wma"});
}

TEST(HostileInputPublishing, ANameIsTakenOnlyWhenFreeOnTheLocalFileSystem)
{
    TestFolder folder;
    expectPublishingHolds(folder.path());
}

// FAT and exFAT (memory cards, players) know neither the non-replacing
// rename nor hard links: the placeholder way must still never replace.
TEST(HostileInputPublishing, ANameIsTakenOnlyWhenFreeOnAFatStick)
{
    const QString fusefat = QStandardPaths::findExecutable(QStringLiteral("fusefat"));
    const QString mkfs = QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"));
    if (fusefat.isEmpty() || mkfs.isEmpty() || !QFileInfo(QStringLiteral("/dev/fuse")).exists())
        GTEST_SKIP() << "no FAT mount here: fusefat, mkfs.vfat (dosfstools) or /dev/fuse is missing";
    TestFolder folder;
    const QString image = folder.file(QStringLiteral("stick.img"));
    const QString mountPoint = folder.file(QStringLiteral("stick"));
    QDir().mkpath(mountPoint);
    QFile stick(image);
    ASSERT_TRUE(stick.open(QIODevice::WriteOnly) && stick.resize(32 << 20));
    stick.close();
    ASSERT_EQ(RunTool(mkfs, {image}).exitCode, 0);
    if (RunTool(fusefat, {QStringLiteral("-o"), QStringLiteral("rw+"), image, mountPoint}).exitCode != 0)
        GTEST_SKIP() << "fusefat could not mount a FAT image here (no FUSE access)";
    const auto unmount = qScopeGuard([&] { RunTool(QStringLiteral("fusermount"), {QStringLiteral("-u"), mountPoint}); });
    expectPublishingHolds(mountPoint);
}

// Temporary names say what they are, and stay within a name's 255 bytes
// without cutting a character.
TEST(HostileInputPublishing, TemporaryNamesEndInPartAndFitTheNameLimit)
{
    EXPECT_EQ(TemporaryPathFor(QStringLiteral("/m/Song_1.wma"), 1), QStringLiteral("/m/Song_1.wma.part"));
    EXPECT_EQ(TemporaryPathFor(QStringLiteral("/m/Song_1.wma"), 3), QStringLiteral("/m/Song_1.wma.3.part"));
    const QString longName = QString(120, QChar(0xE9)) + QStringLiteral("_1.wma");  // 246 bytes
    const QString temporary = TemporaryPathFor(QStringLiteral("/m/") + longName, 12);
    const QString name = QFileInfo(temporary).fileName();
    EXPECT_LE(QFile::encodeName(name).size(), 255);
    EXPECT_TRUE(name.endsWith(QStringLiteral(".12.part")));
    EXPECT_TRUE(longName.startsWith(name.chopped(8))) << name.toStdString();
    EXPECT_TRUE(temporary.startsWith(QStringLiteral("/m/")));
}

} // namespace
