// Korvex as users get it: installed with cmake --install into a prefix, and
// as a Debian package unpacked by hand. Each tree must work from where it
// lies, without the build folder: the window finds its skin, korvex-cli finds
// the comment library.
#include "DesktopPrograms.h"

#include "components/ProgramFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <cstdio>

using namespace korvex;
using namespace korvex::test;

namespace {

const QString kBuild = QStringLiteral(KORVEX_BINARY_DIR);

// What every tree holds under its prefix, besides the comment library, whose
// folder the programs work out themselves.
QStringList expectedFiles()
{
    QStringList files = {
        "bin/korvex",
        "bin/korvex-cli",
        "share/korvex/mp3enc.dll",
        "share/korvex/help/korvex.html",
        "share/applications/org.example.korvex.desktop",
        "share/metainfo/org.example.korvex.metainfo.xml",
        "share/icons/hicolor/scalable/apps/org.example.korvex.svg",
        "share/man/man1/korvex.1.gz",
        "share/man/man1/korvex-cli.1.gz",
        "share/doc/korvex/copyright",
        "share/doc/korvex/changelog.gz",
    };
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        files.append(QStringLiteral("share/icons/hicolor/%1x%1/apps/org.example.korvex.png").arg(side));
    return files;
}

QString moduleUnder(const QString &prefix)
{
    return QDir(ProgramFiles::moduleFolderFor(prefix + "/bin")).filePath(ProgramFiles::CommentLibraryName);
}

QJsonObject infoOf(const QString &cli, const QString &file, const QString &folder)
{
    const ProgramRun run = RunProgram(cli, {"info", "--json", file}, ProgramEnvironment(folder));
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.all());
    return QJsonDocument::fromJson(run.output.toUtf8()).array().at(0).toObject();
}

// The two programs of the tree under `prefix`, run from there.
void expectProgramsWork(const QString &prefix, const TestFolder &folder)
{
    for (const QString &file : expectedFiles())
        EXPECT_TRUE(QFileInfo::exists(prefix + "/" + file)) << qPrintable(file);
    // the folders the programs compute are those the tree has
    EXPECT_TRUE(QFileInfo::exists(moduleUnder(prefix))) << qPrintable(moduleUnder(prefix));
    EXPECT_EQ(ProgramFiles::dataFolderFor(prefix + "/bin"), QDir::cleanPath(prefix + "/share/korvex"));
    EXPECT_TRUE(QFileInfo::exists(ProgramFiles::dataFolderFor(prefix + "/bin") + "/help/korvex.html"));

    const QString ogg = TaggedOgg(folder.path(), "Harbour Lights", "The Quay");
    const QJsonObject info = infoOf(prefix + "/bin/korvex-cli", ogg, folder.path());
    EXPECT_EQ(info["title"].toString(), "Harbour Lights");
    EXPECT_EQ(info["artist"].toString(), "The Quay");

    const ProgramRun window = StartAndCloseWindow(prefix + "/bin/korvex", folder.path());
    EXPECT_EQ(window.exitCode, 0) << qPrintable(window.all());
    EXPECT_EQ(window.errors, "") << "a clean start prints nothing, a skin it cannot find a warning";
}

TEST(InstalledTree, ProgramsFindTheirSkinAndCommentLibraryUnderAPrefix)
{
    TestFolder folder;
    const QString prefix = folder.file("prefix");
    const ProgramRun install = RunProgram("cmake", {"--install", kBuild, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << qPrintable(install.all());

    expectProgramsWork(prefix, folder);

    // the tags came from the installed library: without it they are gone
    const QString ogg = folder.file("tagged.ogg");
    ASSERT_TRUE(QFile::rename(moduleUnder(prefix), folder.file("moved-away.so")));
    EXPECT_EQ(infoOf(prefix + "/bin/korvex-cli", ogg, folder.path())["title"].toString(), "");
    // and KORVEX_VCEDIT still names another place
    QProcessEnvironment environment = ProgramEnvironment(folder.path());
    environment.insert("KORVEX_VCEDIT", folder.file("moved-away.so"));
    const ProgramRun overridden = RunProgram(prefix + "/bin/korvex-cli", {"info", "--json", ogg}, environment);
    EXPECT_TRUE(overridden.output.contains("Harbour Lights")) << qPrintable(overridden.all());
}

TEST(InstalledTree, DestdirStagesTheTreeUnderItself)
{
    TestFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DESTDIR", folder.file("stage"));
    const ProgramRun install = RunProgram("cmake", {"--install", kBuild, "--prefix", "/opt/korvex"}, environment);
    ASSERT_EQ(install.exitCode, 0) << qPrintable(install.all());
    EXPECT_TRUE(QFileInfo::exists(folder.file("stage/opt/korvex/bin/korvex")));
    EXPECT_TRUE(QFileInfo::exists(folder.file("stage/opt/korvex/share/korvex/mp3enc.dll")));
    EXPECT_FALSE(QFileInfo::exists("/opt/korvex"));
}

TEST(DebianPackage, IsBuiltListedUnpackedAndRuns)
{
    TestFolder folder;
    // the package of this build's binaries: what `make package` does with
    // the release build
    const ProgramRun cpack =
        RunProgram("cpack", {"-G", "DEB", "--config", kBuild + "/CPackConfig.cmake", "-B", folder.file("package")});
    ASSERT_EQ(cpack.exitCode, 0) << qPrintable(cpack.all());
    const QStringList debs = QDir(folder.file("package")).entryList({"korvex_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << qPrintable(cpack.all());
    const QString deb = folder.file("package/" + debs.first());

    const ProgramRun version = RunProgram(kBuild + "/korvex", {"--version"});
    const ProgramRun fields = RunProgram("dpkg-deb", {"-f", deb, "Package", "Version", "Architecture", "Depends"});
    ASSERT_EQ(fields.exitCode, 0) << qPrintable(fields.all());
    EXPECT_TRUE(fields.output.contains("Package: korvex\n"));
    EXPECT_TRUE(version.output.startsWith("korvex "));
    EXPECT_TRUE(fields.output.contains("Version: " + version.output.mid(7).trimmed() + "\n")) << qPrintable(fields.output);
    // worked out from the binaries, plus the platform plugins nothing links
    for (const char *dependency : {"libqt6widgets6", "libqt6network6", "libqt6dbus6", "libavformat", "libavcodec",
                                   "libswresample", "libtag1v5", "libvorbis0a", "libogg0", "libsdl2",
                                   "qt6-qpa-plugins", "fonts-dejavu-core", "fonts-dejavu-extra"})
        EXPECT_TRUE(fields.output.contains(dependency)) << dependency << "\n" << qPrintable(fields.output);

    const ProgramRun listing = RunProgram("dpkg-deb", {"-c", deb});
    ASSERT_EQ(listing.exitCode, 0) << qPrintable(listing.all());
    for (const QString &file : expectedFiles())
        EXPECT_TRUE(listing.output.contains(" ./usr/" + file + "\n")) << qPrintable(file);
    EXPECT_TRUE(listing.output.contains(" ." + moduleUnder("/usr") + "\n")) << qPrintable(moduleUnder("/usr"));

    // No maintainer scripts: nothing is left behind ("rc") after a removal.
    const ProgramRun control = RunProgram("dpkg-deb", {"-I", deb});
    ASSERT_EQ(control.exitCode, 0) << qPrintable(control.all());
    for (const char *script : {"preinst", "postinst", "prerm", "postrm", "conffiles"})
        EXPECT_FALSE(control.output.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(script))))
            << script << "\n" << qPrintable(control.output);
    // Debian's own checks find no error (warnings are shown, not failed).
    if (!QStandardPaths::findExecutable("lintian").isEmpty()) {
        const ProgramRun lintian = RunProgram("lintian", {deb});
        EXPECT_FALSE(lintian.output.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)))
            << qPrintable(lintian.all());
        if (!lintian.output.trimmed().isEmpty())
            std::fprintf(stderr, "lintian:\n%s", qPrintable(lintian.output));
    } else {
        ADD_FAILURE() << "lintian is not installed (Debian: lintian)";
    }

    const QString root = folder.file("root");
    const ProgramRun unpack = RunProgram("dpkg", {"-x", deb, root});
    ASSERT_EQ(unpack.exitCode, 0) << qPrintable(unpack.all());
    expectProgramsWork(root + "/usr", folder);
}

} // namespace
