#include "support/ExternalTools.h"
#include "support/FileMode.h"
#include "support/TempDir.h"

#include "tags/WMAHeaderWalk.h"
#include "tags/WMATag.h"
#include "tags/WMAudioInfo.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::TestFolder;

namespace {

const QString MutagenTagging = R"(import sys
from mutagen.asf import ASF, ASFDWordAttribute
f = ASF(sys.argv[1])
f['Title'] = ['Live: Part 1/2']
f['Author'] = ['Ensemble Ödön']
f['Description'] = ['Recorded à Paris']
f['WM/AlbumTitle'] = ['Concerts']
f['WM/Year'] = ['2004']
f['WM/Genre'] = ['Classical']
f['WM/TrackNumber'] = [ASFDWordAttribute(7)]
f.save()
)";

// Prints every attribute as name: [type, value] in JSON.
const QString MutagenDump = R"(import sys, json
from mutagen.asf import ASF
f = ASF(sys.argv[1])
print(json.dumps({k: [type(v[0]).__name__, str(v[0].value)] for k, v in f.tags.items()}))
)";

QString toneWma(const TestFolder &folder, const QString &name = "tone.wma")
{
    const QString path = folder.file(name);
    EXPECT_TRUE(test::MakeToneWithFfmpeg(path, 1.0));
    return path;
}

QJsonObject mutagenAttributes(const QString &path)
{
    return QJsonDocument::fromJson(test::RunMutagen(MutagenDump, path).toUtf8()).object();
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le64(qint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text)
        bytes += le16(c.unicode());
    return bytes;
}

const QByteArray HeaderGuid = QByteArray::fromHex("D129E2D6DA35D111903400A0C90349BE");
const QByteArray DescriptionGuid = QByteArray::fromHex("D529E2D6DA35D111903400A0C90349BE");
const QByteArray OtherGuid = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");

QByteArray entry(int kind, const QString &name, const QString &value)
{
    return char(kind) + QByteArray(4, '\0') + le16(quint16(name.size())) + le16(quint16(value.size())) + utf16(name)
         + utf16(value);
}

QByteArray object(const QByteArray &guid, const QByteArray &body)
{
    return guid + le64(24 + body.size()) + body;
}

QByteArray description(const QList<QByteArray> &entries)
{
    return object(DescriptionGuid, le16(quint16(entries.size())) + entries.join());
}

QByteArray headerWith(const QByteArray &objects)
{
    return HeaderGuid + le64(objects.size()) + objects;
}

WMAHeaderInfo walk(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    WMAHeaderInfo info;
    WalkWMAHeader(buffer, info);
    return info;
}

} // namespace

TEST(WMAudioLayer, GivesTypedValuesAndRefusesTooSmallBuffers)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    test::RunMutagen(MutagenTagging, path);
    std::unique_ptr<WMAudioInfoObject> info;
    ASSERT_TRUE(WMAudioAvailable());
    ASSERT_EQ(WMAudioCreateInfo(path, info), WMStatusOk);

    char buffer[64];
    quint32 type = 99, length = sizeof buffer;
    ASSERT_EQ(info->GetAttributeByName(u"WM/TrackNumber", &type, buffer, &length), WMStatusOk);
    EXPECT_EQ(type, WMTypeDWord);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(qFromLittleEndian<quint32>(buffer), 7u);

    length = sizeof buffer;
    ASSERT_EQ(info->GetAttributeByName(u"WM/Genre", &type, buffer, &length), WMStatusOk);
    EXPECT_EQ(type, WMTypeString);
    EXPECT_EQ(QByteArray(buffer, int(length)), utf16("Classical") + QByteArray(2, '\0'));

    length = 10;  // "Live: Part 1/2" and its terminator need 30 bytes
    EXPECT_EQ(info->GetAttributeByName(u"Title", &type, buffer, &length), WMStatusBufferTooSmall);
    EXPECT_EQ(length, 30u);
    length = sizeof buffer;
    EXPECT_EQ(info->GetAttributeByName(u"WM/Composer", &type, buffer, &length), WMStatusNotFound);
    EXPECT_EQ(info->Close(), WMStatusOk);

    QFile text(folder.file("text.wma"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(100, 'x'));
    text.close();
    EXPECT_NE(WMAudioCreateInfo(text.fileName(), info), WMStatusOk);
    EXPECT_FALSE(info);
}

TEST(WMAHeaderReader, ReadsAttributesWrittenByMutagen)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    test::RunMutagen(MutagenTagging, path);
    WMAHeaderInfo info;
    ReadWMAHeader(path, info);
    EXPECT_EQ(info.Found, -1);
    EXPECT_EQ(info.Title, "Live: Part 1/2");
    EXPECT_EQ(info.Author, QString::fromUtf8("Ensemble Ödön"));
    EXPECT_EQ(info.Description, QString::fromUtf8("Recorded à Paris"));
    EXPECT_EQ(info.AlbumTitle, "Concerts");
    EXPECT_EQ(info.Year, "2004");
    EXPECT_EQ(info.Genre, "Classical");
    EXPECT_EQ(info.TrackNumber, 7);
}

TEST(WMAHeaderReader, FieldWidthsTrackFallbackAndTheBufferRule)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    test::RunMutagen(R"(import sys
from mutagen.asf import ASF, ASFDWordAttribute
f = ASF(sys.argv[1])
f['WM/Genre'] = ['G' * 31 + 'x' * 9]
f['Title'] = ['T' * 127]
f['Author'] = ['A' * 128]
f['WM/TrackNumber'] = [ASFDWordAttribute(0)]
f['WM/Track'] = [ASFDWordAttribute(4)]
f.save()
)", path);
    WMAHeaderInfo info;
    ReadWMAHeader(path, info);
    EXPECT_EQ(info.Genre, QString(31, 'G'));
    EXPECT_EQ(info.Title, QString(127, 'T'));
    EXPECT_EQ(info.Author, "");  // 128 characters do not fit the 256-byte buffer
    EXPECT_EQ(info.TrackNumber, 4);
}

TEST(WMAHeaderReader, TextTrackNumberCountsAsZero)
{
    TestFolder folder;
    const QString path = folder.file("ffmpeg.wma");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.0, {"title=From ffmpeg", "track=5"}));
    WMAHeaderInfo info;
    ReadWMAHeader(path, info);
    EXPECT_EQ(info.Title, "From ffmpeg");
    EXPECT_EQ(info.TrackNumber, 0);
}

TEST(WMAHeaderWalk, ReadsTheDescriptionEntries)
{
    const QByteArray bytes = headerWith(
        object(OtherGuid, QByteArray(40, '\x7f'))
        + description({entry(1, "", "Walker"), entry(2, "", "Walk Title"), entry(3, "", "(c) 2020"),
                       entry(4, "", "About"), entry(100, "wm/year", "1987"), entry(101, "WM/TRACK", "12"),
                       entry(150, "WM/AlbumTitle", "Walk Album"), entry(7, "", "ignored"),
                       entry(120, "WM/Genre", "not read by the walk")}));
    const WMAHeaderInfo info = walk(bytes);
    EXPECT_EQ(info.Found, -1);
    EXPECT_EQ(info.Author, "Walker");
    EXPECT_EQ(info.Title, "Walk Title");
    EXPECT_EQ(info.Copyright, "(c) 2020");
    EXPECT_EQ(info.Description, "About");
    EXPECT_EQ(info.Year, "1987");
    EXPECT_EQ(info.TrackNumber, 12);
    EXPECT_EQ(info.AlbumTitle, "Walk Album");
    EXPECT_EQ(info.Genre, "");
}

TEST(WMAHeaderWalk, WrongHeaderGuidFindsNothing)
{
    QByteArray bytes = headerWith(description({entry(2, "", "Hidden")}));
    bytes[0] = '\0';
    const WMAHeaderInfo info = walk(bytes);
    EXPECT_EQ(info.Found, 0);
    EXPECT_EQ(info.Title, "");
}

TEST(WMAHeaderWalk, LongValueKeeps511CharactersAndTheNextEntryIsRead)
{
    const QString longText = QString(511, 'a') + QString(89, 'b');
    QBuffer buffer;
    buffer.setData(utf16(longText) + utf16("next"));
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadHeaderText(buffer, 600), QString(511, 'a'));
    EXPECT_EQ(ReadHeaderText(buffer, 4), "next");
    EXPECT_EQ(ReadHeaderText(buffer, 0), "");

    const WMAHeaderInfo info = walk(headerWith(description({entry(4, "", longText), entry(2, "", "After")})));
    EXPECT_EQ(info.Description, QString(254, 'a'));
    EXPECT_EQ(info.Title, "After");
}

TEST(WMAHeaderWalk, ZeroSizedOrOversizedObjectEndsTheWalkKeepingEarlierValues)
{
    const QByteArray first = description({entry(2, "", "Early")});
    const QByteArray later = description({entry(1, "", "Late")});
    QByteArray zeroSized = OtherGuid + le64(0);
    EXPECT_EQ(walk(headerWith(first + zeroSized + later)).Author, "");
    EXPECT_EQ(walk(headerWith(first + zeroSized + later)).Title, "Early");
    QByteArray oversized = OtherGuid + le64(1 << 20);
    const WMAHeaderInfo info = walk(headerWith(first + oversized + later));
    EXPECT_EQ(info.Title, "Early");
    EXPECT_EQ(info.Author, "");
}

TEST(WMAHeaderWalk, ServesFilesTheLayerCannotOpen)
{
    TestFolder folder;
    QFile file(folder.file("old.wma"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(headerWith(description({entry(2, "", "Old Header"), entry(100, "WM/Year", "1999")})));
    file.close();
    std::unique_ptr<WMAudioInfoObject> layer;
    ASSERT_NE(WMAudioCreateInfo(file.fileName(), layer), WMStatusOk);
    WMAHeaderInfo info;
    ReadWMAHeader(file.fileName(), info);
    EXPECT_EQ(info.Found, -1);
    EXPECT_EQ(info.Title, "Old Header");
    EXPECT_EQ(info.Year, "1999");

    ReadWMAHeader(folder.file("missing.wma"), info);
    EXPECT_EQ(info.Found, 0);
    EXPECT_EQ(info.Title, "");
}

TEST(WMATagWriter, EveryFieldReadsBackInOtherTools)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    WMAHeaderInfo info;
    info.Author = QString::fromUtf8("Ærø Ensemble");
    info.Title = QString::fromUtf8("Piece № 5");
    info.AlbumTitle = "Collected";
    info.Year = "2011";
    info.Description = "A comment";
    info.Genre = QString(40, 'g');
    info.TrackNumber = 5;
    ASSERT_TRUE(WriteWMATags(path, info));

    const QJsonObject tags = mutagenAttributes(path);
    const auto value = [&](const char *name) { return tags.value(name).toArray().at(1).toString(); };
    EXPECT_EQ(value("Author"), info.Author);
    EXPECT_EQ(value("Title"), info.Title);
    EXPECT_EQ(value("WM/AlbumTitle"), "Collected");
    EXPECT_EQ(value("WM/Year"), "2011");
    EXPECT_EQ(value("Description"), "A comment");
    EXPECT_EQ(value("WM/Genre"), QString(31, 'g'));
    EXPECT_EQ(value("WM/TrackNumber"), "5");
    EXPECT_EQ(tags.value("WM/TrackNumber").toArray().at(0).toString(), "ASFDWordAttribute");

    const QString exif = test::RunTool("exiftool", {"-s", "-Title", "-Author", "-AlbumTitle", "-Year",
                                                     "-TrackNumber", path}).output;
    EXPECT_TRUE(exif.contains(QString::fromUtf8("Piece № 5"))) << exif.toStdString();
    EXPECT_TRUE(exif.contains("Collected")) << exif.toStdString();
    EXPECT_TRUE(exif.contains(QRegularExpression("TrackNumber\\s*: 5"))) << exif.toStdString();

    WMAHeaderInfo back;
    ReadWMAHeader(path, back);
    EXPECT_EQ(back.Author, info.Author);
    EXPECT_EQ(back.Title, info.Title);
    EXPECT_EQ(back.Genre, QString(31, 'g'));
    EXPECT_EQ(back.TrackNumber, 5);
}

TEST(WMATagWriter, EmptyFieldsAreWrittenAsEmptyTexts)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    test::RunMutagen(MutagenTagging, path);
    WMAHeaderInfo info;
    info.Title = "Only a title";
    ASSERT_TRUE(WriteWMATags(path, info));
    WMAHeaderInfo back;
    ReadWMAHeader(path, back);
    EXPECT_EQ(back.Title, "Only a title");
    EXPECT_EQ(back.Description, "");
    EXPECT_EQ(back.AlbumTitle, "");
    EXPECT_EQ(back.TrackNumber, 0);
    const QJsonObject tags = mutagenAttributes(path);
    EXPECT_TRUE(tags.contains("WM/AlbumTitle"));
    EXPECT_EQ(tags.value("WM/AlbumTitle").toArray().at(1).toString(), "");
}

TEST(WMATagWriter, ReadOnlyFileIsWrittenAndStaysReadOnly)
{
    TestFolder folder;
    const QString path = toneWma(folder);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    WMAHeaderInfo info;
    info.Title = "Protected";
    EXPECT_TRUE(WriteWMATags(path, info));
    EXPECT_EQ(test::FileMode(path), 0444u);
    WMAHeaderInfo back;
    ReadWMAHeader(path, back);
    EXPECT_EQ(back.Title, "Protected");
    EXPECT_EQ(test::FileMode(path), 0444u);

    QFile text(folder.file("plain.wma"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not asf");
    text.close();
    ASSERT_TRUE(QFile::setPermissions(text.fileName(), QFileDevice::ReadOwner));
    EXPECT_FALSE(WriteWMATags(text.fileName(), info));
    EXPECT_EQ(test::FileMode(text.fileName()), 0400u);
}

// Header and object sizes near the largest 64-bit number once made the skip
// position overflow. Also kept in the fuzz corpus as
// fuzz/regressions/fuzz_wma_header/wma-object-size-overflow.wma.
TEST(WMAHeaderWalk, HugeObjectSizeEndsTheWalkWithoutOverflow)
{
    const qint64 largest = std::numeric_limits<qint64>::max();
    const QByteArray before = description({entry(2, "", "Before")});
    // The second object claims all that is left of the header.
    const QByteArray bytes = HeaderGuid + le64(largest) + before + OtherGuid + le64(largest - before.size())
                           + QByteArray(64, '\0');
    const WMAHeaderInfo info = walk(bytes);
    EXPECT_EQ(info.Found, -1);
    EXPECT_EQ(info.Title, "Before");
}
