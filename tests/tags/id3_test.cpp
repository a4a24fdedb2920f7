#include "support/ExternalTools.h"
#include "support/FileMode.h"
#include "support/TempDir.h"

#include "components/KorvexError.h"
#include "tags/ID3.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::TestFolder;

namespace {

QByteArray bigEndian(quint32 value, bool syncsafe)
{
    if (syncsafe)
        value = (value & 0x7F) | (value & 0x3F80) << 1 | (value & 0x1FC000) << 2 | (value & 0xFE00000) << 3;
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (24 - 8 * i));
    return bytes;
}

QByteArray frame(const char *id, const QByteArray &body, bool syncsafe = false)
{
    return QByteArray(id, 4) + bigEndian(quint32(body.size()), syncsafe) + QByteArray(2, '\0') + body;
}

// An ID3v2 tag around `frames`, followed by `padding` zero bytes.
QByteArray id3v2(const QByteArray &frames, int version = 3, int padding = 0)
{
    const quint32 size = quint32(frames.size() + padding);
    QByteArray header("ID3");
    header += char(version);
    header += QByteArray(2, '\0');
    header += bigEndian(size, true);
    return header + frames + QByteArray(padding, '\0');
}

QByteArray latin1Text(const QByteArray &text)
{
    return QByteArray(1, '\0') + text;
}

QString writeFile(const TestFolder &folder, const QByteArray &bytes, const QString &name = "song.mp3")
{
    QFile file(folder.file(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

ID3StructV2 readV2(const TestFolder &folder, const QByteArray &bytes)
{
    ReadID3v2(writeFile(folder, bytes + QByteArray(400, '\x55')));
    return ID3v2Tag;
}

void expectEmpty(const ID3StructV2 &tag)
{
    for (const QString *field : {&tag.Title, &tag.Artist, &tag.Album, &tag.Year, &tag.Track, &tag.Comment, &tag.Genre})
        EXPECT_TRUE(field->isEmpty()) << field->toStdString();
}

} // namespace

TEST(ID3v2Walk, NoTagShortFileOrOversizedTagYieldEmptyFields)
{
    TestFolder folder;
    ID3v2Tag.Title = "left over";
    expectEmpty(readV2(folder, QByteArray("no tag here at all")));
    ID3v2Tag.Title = "left over";
    ReadID3v2(writeFile(folder, "ID3\x03"));
    expectEmpty(ID3v2Tag);
    QByteArray oversized = id3v2(frame("TIT2", latin1Text("Lost")));
    oversized[8] = 0x7F;  // size now points far past the end of the file
    expectEmpty(readV2(folder, oversized));
    ReadID3v2(folder.file("missing.mp3"));
    expectEmpty(ID3v2Tag);
}

TEST(ID3v2Walk, ReadsTheSevenFramesIntoTheirFields)
{
    TestFolder folder;
    const QByteArray frames = frame("TIT2", latin1Text("word") + QByteArray(5, '\0'))
                            + frame("TPE1", latin1Text("Artist")) + frame("TALB", latin1Text("Album"))
                            + frame("TYER", latin1Text("1999")) + frame("TRCK", latin1Text("7/12"))
                            + frame("TCON", latin1Text("(13)")) + frame("XXXX", "ignored")
                            + frame("COMM", QByteArray("\0eng\0A comment", 15));
    const ID3StructV2 tag = readV2(folder, id3v2(frames, 3, 64));
    EXPECT_EQ(tag.Title, "word");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Track, "7/12");
    EXPECT_EQ(tag.Genre, "(13)");  // genre numbers are not translated
    EXPECT_EQ(tag.Comment, "A comment");
}

TEST(ID3v2Walk, LongFrameIsCutTo250BytesAndTheNextFrameIsStillFound)
{
    TestFolder folder;
    const QByteArray frames = frame("TPE1", latin1Text(QByteArray(299, 'a'))) + frame("TALB", latin1Text("After"));
    const ID3StructV2 tag = readV2(folder, id3v2(frames));
    EXPECT_EQ(tag.Artist, QString(249, 'a'));
    EXPECT_EQ(tag.Album, "After");
}

TEST(ID3v2Walk, LaterFrameOfTheSameKindWinsAndValuesAreTrimmed)
{
    TestFolder folder;
    const QByteArray frames = frame("TIT2", latin1Text("First")) + frame("TIT2", latin1Text("  Second \t "));
    EXPECT_EQ(readV2(folder, id3v2(frames)).Title, "Second");
}

TEST(ID3v2Walk, HonoursTheTextEncodingByte)
{
    TestFolder folder;
    const QString text = QString::fromUtf8("Caf\u00e9 \u00dcber \u65e5\u672c");
    QByteArray utf16le("\x01\xff\xfe", 3), utf16be("\x01\xfe\xff", 3), plainBe("\x02", 1);
    for (QChar c : text) {
        utf16le += char(c.unicode() & 0xFF);
        utf16le += char(c.unicode() >> 8);
        utf16be += char(c.unicode() >> 8);
        utf16be += char(c.unicode() & 0xFF);
        plainBe += char(c.unicode() >> 8);
        plainBe += char(c.unicode() & 0xFF);
    }
    const QByteArray utf8 = "\x03" + text.toUtf8();
    const QByteArray latin1 = QByteArray(1, '\0') + QByteArray("Caf\xe9");
    const QByteArray frames = frame("TIT2", utf16le + QByteArray(2, '\0')) + frame("TPE1", utf16be)
                            + frame("TALB", plainBe) + frame("TCON", utf8) + frame("TYER", latin1);
    const ID3StructV2 tag = readV2(folder, id3v2(frames));
    EXPECT_EQ(tag.Title, text);
    EXPECT_EQ(tag.Artist, text);
    EXPECT_EQ(tag.Album, text);
    EXPECT_EQ(tag.Genre, text);
    EXPECT_EQ(tag.Year, QString::fromUtf8("Caf\u00e9"));
}

TEST(ID3v2Walk, Utf16CommentSkipsItsDescription)
{
    TestFolder folder;
    QByteArray body("\x01" "eng" "\xff\xfe" "d\0" "\0\0" "\xff\xfe" "h\0i\0", 17);
    EXPECT_EQ(readV2(folder, id3v2(frame("COMM", body))).Comment, "hi");
}

TEST(ID3v2Walk, Version4FrameSizesAreSyncsafe)
{
    TestFolder folder;
    // 200 as a syncsafe number reads as 328 when taken as a plain integer,
    // which would jump over the album frame.
    const QByteArray frames = frame("TIT2", latin1Text(QByteArray(199, 'x')), true)
                            + frame("TALB", latin1Text("Found"), true);
    const ID3StructV2 tag = readV2(folder, id3v2(frames, 4, 200));
    EXPECT_EQ(tag.Album, "Found");
    EXPECT_EQ(tag.Title.size(), 199);
}

TEST(ID3v2Walk, ZeroSizedFramesAndHugeSizesEndTheWalk)
{
    TestFolder folder;
    QByteArray huge = frame("TIT2", latin1Text("Kept"));
    huge += QByteArray("TPE1\xff\xff\xff\xff\0\0", 10);
    EXPECT_EQ(readV2(folder, id3v2(huge, 3, 30)).Title, "Kept");
    EXPECT_EQ(readV2(folder, id3v2(QByteArray(), 3, 5000)).Title, "");
}

TEST(ID3v2Walk, ReadOnlyFileKeepsItsPermissions)
{
    TestFolder folder;
    const QString path = writeFile(folder, id3v2(frame("TIT2", latin1Text("Locked"))) + QByteArray(200, 'x'));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    ReadID3v2(path);
    EXPECT_EQ(ID3v2Tag.Title, "Locked");
    ReadID3v1(path);
    EXPECT_EQ(test::FileMode(path), 0440u);
}

// Beyond the frame layout of ID3v2.3: the reader's own additions.

TEST(ID3v2Additions, Version4DataLengthIndicatorAndUnsynchronisationOfOneFrame)
{
    TestFolder folder;
    // 300 "ÿ" in Latin-1: each FF gains a zero byte, so the stored body is
    // twice as long; the first 250 bytes of the plain body are still read
    // whole, and the frame after it is found.
    QByteArray stored("\0", 1);
    for (int i = 0; i < 300; ++i)
        stored += QByteArray("\xff\0", 2);
    const QByteArray indicator = bigEndian(301, true);
    QByteArray unsynced = frame("TIT2", indicator + stored, true);
    unsynced[9] = 0x03;  // unsynchronised, with a data length indicator
    QByteArray indicatorOnly = frame("TALB", QByteArray("\0\0\0\x06", 4) + latin1Text("Album"), true);
    indicatorOnly[9] = 0x01;
    const QByteArray next = frame("TPE1", latin1Text("Next"), true);
    const ID3StructV2 tag = readV2(folder, id3v2(unsynced + indicatorOnly + next, 4));
    EXPECT_EQ(tag.Title, QString(249, QChar(0xFF)));
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Artist, "Next");
}

TEST(ID3v2Additions, UnsynchronisationFlagsOnlyCountWhereTheirVersionDefinesThem)
{
    TestFolder folder;
    // a v2.4 tag-level flag and a v2.3 frame flag change nothing: the FF 00
    // of a UTF-16 "ÿ" stays as it is
    const QByteArray body("\x01\xff\xfe\xff\0A\0\0\0", 9);
    const QString expected = QString::fromUtf8("ÿA");
    QByteArray v4 = id3v2(frame("TIT2", body, true), 4);
    v4[5] = char(0x80);
    EXPECT_EQ(readV2(folder, v4).Title, expected);
    QByteArray v3frame = frame("TIT2", body);
    v3frame[9] = 0x02;
    EXPECT_EQ(readV2(folder, id3v2(v3frame, 3)).Title, expected);
}

// An extended header comes between the tag header and the first frame; the
// frames after it are read as in any other tag.
TEST(ID3v2Additions, TheExtendedHeaderIsPassedOver)
{
    TestFolder folder;
    // v2.3: the size counts the 6 bytes after it (flags, padding size), and a
    // CRC makes it 10
    const QByteArray frames3 = frame("TIT2", latin1Text("Title")) + frame("TPE1", latin1Text("Artist"));
    for (const QByteArray &extended : {QByteArray("\0\0\0\x06" "\0\0" "\0\0\0\0", 10),
                                       QByteArray("\0\0\0\x0a" "\x80\0" "\0\0\0\0" "\x12\x34\x56\x78", 14)}) {
        QByteArray v3 = id3v2(extended + frames3, 3);
        v3[5] = char(0x40);
        const ID3StructV2 tag = readV2(folder, v3);
        EXPECT_EQ(tag.Title, "Title");
        EXPECT_EQ(tag.Artist, "Artist");
    }
    // v2.4: a syncsafe size of the whole extended header, here with a CRC
    // flag and its five bytes of data
    const QByteArray extended4("\0\0\0\x0c" "\x01" "\x20" "\x05" "\x01\x02\x03\x04\x05", 12);
    QByteArray v4 = id3v2(extended4 + frame("TALB", latin1Text("Album"), true), 4);
    v4[5] = char(0x40);
    EXPECT_EQ(readV2(folder, v4).Album, "Album");
    // a v2.3 tag unsynchronised as a whole: its extended header is read
    // through the same undoing
    QByteArray unsynced = id3v2(QByteArray("\0\0\0\x06" "\0\0" "\0\0\0\0", 10) + frame("TIT2", latin1Text("Plain")), 3);
    unsynced[5] = char(0xC0);
    EXPECT_EQ(readV2(folder, unsynced).Title, "Plain");
    // a size that runs past the file leaves the fields empty
    QByteArray damaged = id3v2(QByteArray("\x7f\x7f\x7f\x7f", 4) + frames3, 4);
    damaged[5] = char(0x40);
    expectEmpty(readV2(folder, damaged));
}

TEST(ID3v2Additions, CutsNeverLeaveHalfACharacter)
{
    TestFolder folder;
    // 249 bytes of text: complete two-byte characters are kept whole
    const QByteArray whole = "\x03x" + QString(124, QChar(0xE4)).toUtf8();
    EXPECT_EQ(readV2(folder, id3v2(frame("TIT2", whole + "more"))).Title, "x" + QString(124, QChar(0xE4)));
    // a UTF-16 comment cut inside a surrogate pair loses the pair
    QByteArray comment("\x01" "eng" "\xff\xfe\0\0" "\xff\xfe" "A\0", 12);
    for (int i = 0; i < 80; ++i)
        comment += QByteArray("\x3d\xd8\x00\xde", 4);  // U+1F600
    const QString cut = readV2(folder, id3v2(frame("COMM", comment))).Comment;
    EXPECT_EQ(cut, "A" + QString::fromUtf8("\U0001F600").repeated(59));
}

TEST(ID3v2Additions, PlayerDataCommentsDoNotReplaceTheUsersComment)
{
    TestFolder folder;
    const QByteArray users("\0eng\0Mine", 9);
    const QByteArray player("\0engiTunPGAP\0" "0", 14);
    EXPECT_EQ(readV2(folder, id3v2(frame("COMM", users) + frame("COMM", player))).Comment, "Mine");
    EXPECT_EQ(readV2(folder, id3v2(frame("COMM", player))).Comment, "");
    // a description that merely contains the letters is the user's
    const QByteArray other("\0engmy iTunes\0Kept", 18);
    EXPECT_EQ(readV2(folder, id3v2(frame("COMM", users) + frame("COMM", other))).Comment, "Kept");
}

TEST(ID3v1Block, ReadsTheBlockAtTheEnd)
{
    TestFolder folder;
    QByteArray block(128, '\0');
    block.replace(0, 3, "TAG");
    block.replace(3, 9, "Old Title");
    block.replace(33, 6, "Singer");
    block[127] = char(17);
    ReadID3v1(writeFile(folder, QByteArray(500, 'm') + block));
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Title), "Old Title");
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Artist), "Singer");
    EXPECT_EQ(ID3v1Tag.Genre, 17);
}

TEST(ID3v1Block, LowerCaseMarkerOrShortFileCountsAsNoBlock)
{
    TestFolder folder;
    QByteArray block(128, 'z');
    block.replace(0, 3, "tag");
    ReadID3v1(writeFile(folder, QByteArray(500, 'm') + block));
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Title), "");
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Comment), "");
    EXPECT_EQ(ID3v1Tag.Genre, 3);
    EXPECT_EQ(QByteArray(ID3v1Tag.Tag, 3), "tag");

    ReadID3v1(writeFile(folder, "TAG tiny", "tiny.mp3"));
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Title), "");
    EXPECT_EQ(ID3v1Tag.Genre, 3);
}

TEST(ID3v1Block, MissingFileIsReportedToTheCaller)
{
    TestFolder folder;
    EXPECT_THROW(ReadID3v1(folder.file("missing.mp3")), KorvexError);
}

// Files written and tagged by other programs.

TEST(ID3FromOtherWriters, MutagenVersion3Utf16)
{
    TestFolder folder;
    const QString path = folder.file("v23.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.5));
    test::RunMutagen(R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, COMM, TCON, TYER, TRCK
t = ID3()
t.add(TIT2(encoding=1, text='Ça plane pour moi'))
t.add(TPE1(encoding=1, text='Plastic Bertrand'))
t.add(TALB(encoding=1, text='Ünïcödé Album'))
t.add(COMM(encoding=1, lang='fra', desc='', text='Commentaire été'))
t.add(TCON(encoding=1, text='Pop'))
t.add(TYER(encoding=1, text='1977'))
t.add(TRCK(encoding=1, text='3'))
t.save(sys.argv[1], v2_version=3)
)", path);
    ReadID3v2(path);
    EXPECT_EQ(ID3v2Tag.Title, QString::fromUtf8("Ça plane pour moi"));
    EXPECT_EQ(ID3v2Tag.Artist, "Plastic Bertrand");
    EXPECT_EQ(ID3v2Tag.Album, QString::fromUtf8("Ünïcödé Album"));
    EXPECT_EQ(ID3v2Tag.Comment, QString::fromUtf8("Commentaire été"));
    EXPECT_EQ(ID3v2Tag.Genre, "Pop");
    EXPECT_EQ(ID3v2Tag.Year, "1977");
    EXPECT_EQ(ID3v2Tag.Track, "3");
}

TEST(ID3FromOtherWriters, MutagenVersion4Utf8WithLargePicture)
{
    TestFolder folder;
    const QString path = folder.file("v24.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.5));
    test::RunMutagen(R"(import sys, random
from mutagen.id3 import ID3, TIT2, TPE1, TALB, COMM, TCON, APIC
random.seed(4)
t = ID3()
t.add(APIC(encoding=3, mime='image/png', type=3, desc='cover', data=bytes(random.getrandbits(8) for _ in range(150000))))
t.add(COMM(encoding=3, lang='eng', desc='', text='après la photo'))
t.add(TIT2(encoding=3, text='Größe 日本'))
t.add(TPE1(encoding=3, text='Sigur Rós'))
t.add(TALB(encoding=3, text='Ágætis byrjun'))
t.add(TCON(encoding=3, text='Post-rock'))
t.save(sys.argv[1], v2_version=4)
)", path);
    ReadID3v2(path);
    EXPECT_EQ(ID3v2Tag.Title, QString::fromUtf8("Größe 日本"));
    EXPECT_EQ(ID3v2Tag.Artist, QString::fromUtf8("Sigur Rós"));
    EXPECT_EQ(ID3v2Tag.Album, QString::fromUtf8("Ágætis byrjun"));
    EXPECT_EQ(ID3v2Tag.Comment, QString::fromUtf8("après la photo"));
    EXPECT_EQ(ID3v2Tag.Genre, "Post-rock");
}

TEST(ID3FromOtherWriters, MutagenVersion1Only)
{
    TestFolder folder;
    const QString path = folder.file("v1.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.5));
    test::RunMutagen(R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, delete
t = ID3()
t.add(TIT2(encoding=0, text='Only Version One'))
t.add(TPE1(encoding=0, text='Old Timer'))
t.save(sys.argv[1], v1=2)
delete(sys.argv[1], delete_v1=False, delete_v2=True)
)", path);
    ReadID3v2(path);
    expectEmpty(ID3v2Tag);
    ReadID3v1(path);
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Title), "Only Version One");
    EXPECT_EQ(ID3v1Text(ID3v1Tag.Artist), "Old Timer");
}

TEST(ID3FromOtherWriters, FfmpegMetadata)
{
    TestFolder folder;
    const QString path = folder.file("ffmpeg.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.5, {QString::fromUtf8("title=Überschall"), "artist=Tone Maker",
                                                     "album=Sines", "genre=Test"}));
    ReadID3v2(path);
    EXPECT_EQ(ID3v2Tag.Title, QString::fromUtf8("Überschall"));
    EXPECT_EQ(ID3v2Tag.Artist, "Tone Maker");
    EXPECT_EQ(ID3v2Tag.Album, "Sines");
    EXPECT_EQ(ID3v2Tag.Genre, "Test");
}
