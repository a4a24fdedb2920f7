// The help page the build puts beside the executable: well-formed, its
// links lead somewhere, and its profile table is the encoder's.
#include "components/WmaProfiles.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

struct HelpPage
{
    QSet<QString> ids;
    QStringList internalLinks;
    QList<QStringList> profileRows;  // the cells of each row of the profile table
    QString error;
};

// Reads the page as XML: a stray tag or an unescaped "<" fails here.
HelpPage readHelpPage(const QString &path)
{
    HelpPage page;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        page.error = file.errorString();
        return page;
    }
    QXmlStreamReader xml(&file);
    bool inProfiles = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.hasAttribute("id"))
                page.ids.insert(attributes.value("id").toString());
            const QString href = attributes.value("href").toString();
            if (href.startsWith('#'))
                page.internalLinks.append(href.mid(1));
            if (xml.name() == u"table")
                inProfiles = attributes.value("class") == u"profiles";
            if (inProfiles && xml.name() == u"tr")
                page.profileRows.append(QStringList());
            if (inProfiles && xml.name() == u"td")
                page.profileRows.last().append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        }
        if (xml.isEndElement() && xml.name() == u"table")
            inProfiles = false;
    }
    if (xml.hasError())
        page.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return page;
}

} // namespace

TEST(HelpPage, IsWellFormedAndItsContentsLinksLeadToSections)
{
    const HelpPage page = readHelpPage(QStringLiteral(KORVEX_BINARY_DIR "/help/korvex.html"));
    ASSERT_TRUE(page.error.isEmpty()) << qPrintable(page.error);
    EXPECT_GE(page.internalLinks.size(), 12);
    for (const QString &target : page.internalLinks)
        EXPECT_TRUE(page.ids.contains(target)) << qPrintable(target);
    for (const char *topic : {"adding", "segments", "split", "join", "stop", "settings", "formats", "profiles",
                              "tags", "lists", "cue", "menus", "files", "cli"})
        EXPECT_TRUE(page.ids.contains(QString::fromLatin1(topic))) << topic;
}

TEST(HelpPage, ProfileTableListsTheEncodersFortySevenProfiles)
{
    const HelpPage page = readHelpPage(QStringLiteral(KORVEX_BINARY_DIR "/help/korvex.html"));
    ASSERT_TRUE(page.error.isEmpty()) << qPrintable(page.error);
    QList<QStringList> rows;
    for (const QStringList &row : page.profileRows) {
        if (!row.isEmpty())  // the header row has th cells only
            rows.append(row);
    }
    ASSERT_EQ(rows.size(), WmaProfileCount);
    for (int number = 1; number <= WmaProfileCount; ++number) {
        const WmaProfile &profile = wmaProfile(number);
        const QStringList &row = rows[number - 1];
        ASSERT_EQ(row.size(), 5) << number;
        EXPECT_EQ(row[0].toInt(), number);
        EXPECT_TRUE(row[1].startsWith(QString::fromLatin1(profile.name))) << qPrintable(row[1]);
        EXPECT_EQ(row[2].toInt(), profile.sampleRate) << number;
        EXPECT_EQ(row[3].toInt(), profile.channels) << number;
        EXPECT_EQ(row[4].section(' ', 0, 0).toInt() * 1000, profile.bitRate) << number;
    }
}
