// The files a desktop reads about Korvex: menu entry, AppStream description,
// icons and manual pages, checked with the desktop's own tools and against
// what the programs say of themselves.
#include "DesktopPrograms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace korvex::test;

namespace {

const QString kBuild = QStringLiteral(KORVEX_BINARY_DIR);
const QString kShare = kBuild + "/share";
const QString kDesktopEntry = kShare + "/applications/org.example.korvex.desktop";
const QString kMetainfo = kShare + "/metainfo/org.example.korvex.metainfo.xml";

// The value of a key of the entry's [Desktop Entry] group.
QString desktopValue(const QString &key)
{
    QFile file(kDesktopEntry);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    bool inGroup = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith('['))
            inGroup = line == "[Desktop Entry]";
        else if (inGroup && line.startsWith(key + "="))
            return line.mid(key.size() + 1);
    }
    return QString();
}

QString versionOfTheProgram()
{
    const ProgramRun version = RunProgram(kBuild + "/korvex", {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    return version.output.trimmed().section(' ', 1);
}

// Long options as a text names them ("--fade-in"); in a manual page
// rendered as plain text they read the same.
QString longOptions(const QString &text)
{
    QSet<QString> options;
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*[a-z]"));
    for (auto match = option.globalMatch(text); match.hasNext();)
        options.insert(match.next().captured());
    QStringList sorted = options.values();
    sorted.sort();
    return sorted.join(' ');
}

ProgramRun renderManPage(const QString &name)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MANWIDTH", "80");
    environment.insert("LC_ALL", "C.UTF-8");
    return RunProgram("man", {"--warnings", "-E", "UTF-8", "-l", kBuild + "/man/" + name + ".1.gz"}, environment);
}

TEST(DesktopEntry, PassesTheValidatorAndOpensWhatKorvexReads)
{
    const ProgramRun validate = RunProgram("desktop-file-validate", {kDesktopEntry});
    EXPECT_EQ(validate.exitCode, 0) << qPrintable(validate.all());
    EXPECT_EQ(validate.all(), "");

    EXPECT_EQ(desktopValue("Exec"), "korvex %F");
    EXPECT_TRUE(QFileInfo::exists(kShare + "/icons/hicolor/scalable/apps/" + desktopValue("Icon") + ".svg"));
    const QStringList types = desktopValue("MimeType").split(';', Qt::SkipEmptyParts);
    // the three whose tags Korvex reads, at least
    for (const char *type : {"audio/x-ms-wma", "audio/mpeg", "audio/x-vorbis+ogg"})
        EXPECT_TRUE(types.contains(type)) << type;
    // a type the shared MIME database does not know never matches a file
    for (const QString &type : types)
        EXPECT_TRUE(QFileInfo::exists("/usr/share/mime/" + type + ".xml")) << qPrintable(type);
}

TEST(AppStream, MetainfoPassesTheValidatorAndDescribesThisVersion)
{
    const ProgramRun validate = RunProgram("appstreamcli", {"validate", "--no-net", "--pedantic", kMetainfo});
    EXPECT_EQ(validate.exitCode, 0) << qPrintable(validate.all());

    QFile file(kMetainfo);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString launchable;
    QStringList releases;
    int screenshots = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"launchable")
            launchable = xml.readElementText();
        else if (xml.name() == u"release")
            releases.append(xml.attributes().value("version").toString());
        else if (xml.name() == u"screenshot")
            ++screenshots;
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    EXPECT_EQ(launchable, QFileInfo(kDesktopEntry).fileName());
    ASSERT_FALSE(releases.isEmpty());
    EXPECT_EQ(releases.first(), versionOfTheProgram()) << "the newest release comes first";
    EXPECT_GE(screenshots, 1);
}

TEST(Icon, EverySizeIsDrawnAtItsSize)
{
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(kShare + QStringLiteral("/icons/hicolor/%1x%1/apps/org.example.korvex.png").arg(side));
        ASSERT_FALSE(icon.isNull()) << side;
        EXPECT_EQ(icon.size(), QSize(side, side));
        // drawn: the face is opaque in the middle, the rounded corner clear
        EXPECT_EQ(qAlpha(icon.pixel(side / 2, side / 4)), 255) << side;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << side;
    }
}

TEST(ManPages, RenderWithoutWarnings)
{
    for (const QString page : {"korvex", "korvex-cli"}) {
        const ProgramRun man = renderManPage(page);
        EXPECT_EQ(man.exitCode, 0) << qPrintable(page);
        EXPECT_EQ(man.errors, "") << qPrintable(page);
        for (const char *section : {"NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "SEE ALSO"})
            EXPECT_TRUE(man.output.contains(QString("\n") + section + "\n")) << qPrintable(page) << " " << section;
    }
}

// Both programs answer --version alike (their own name, one version), and
// korvex-cli's ends there without asking for a command.
TEST(ManPages, BothProgramsTellTheirVersion)
{
    const QString version = versionOfTheProgram();
    EXPECT_FALSE(version.isEmpty());
    for (const QString option : {"--version", "-v"}) {
        const ProgramRun cli = RunProgram(kBuild + "/korvex-cli", {option});
        EXPECT_EQ(cli.exitCode, 0) << qPrintable(cli.all());
        EXPECT_EQ(cli.output, "korvex-cli " + version + "\n");
        EXPECT_EQ(cli.errors, "");
    }
}

// A manual page that names an option the program does not have, or leaves
// out one it has, has drifted from the program.
TEST(ManPages, NameTheOptionsTheProgramsHelpNames)
{
    for (const QString program : {"korvex", "korvex-cli"}) {
        const ProgramRun help = RunProgram(kBuild + "/" + program, {"--help"});
        ASSERT_EQ(help.exitCode, 0) << qPrintable(program);
        const ProgramRun man = renderManPage(program);
        EXPECT_EQ(longOptions(man.output), longOptions(help.output)) << qPrintable(program);
        for (const QString &line : help.output.split('\n')) {
            // the commands and exit statuses of the help's tables
            static const QRegularExpression row(QStringLiteral("^  ([a-z]+|[0-9]+)  +\\S"));
            const auto match = row.match(line);
            if (match.hasMatch()) {
                EXPECT_TRUE(man.output.contains(QRegularExpression("\\n {7}" + match.captured(1) + "\\b")))
                    << qPrintable(program) << ": " << qPrintable(match.captured(1));
            }
        }
    }
}

} // namespace
