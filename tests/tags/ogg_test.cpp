#include "support/ExternalTools.h"
#include "support/TempDir.h"
#include "support/VceditModule.h"

#include "components/KorvexError.h"
#include "tags/Ogg.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>
#include <vorbis/codec.h>

using namespace korvex;
using korvex::test::TestFolder;

namespace {

// A comment structure built by libvorbis itself from raw comment texts.
class Comments
{
public:
    explicit Comments(std::initializer_list<QByteArray> texts)
    {
        vorbis_comment_init(&m_comments);
        for (const QByteArray &text : texts)
            vorbis_comment_add(&m_comments, text.constData());
    }
    ~Comments() { vorbis_comment_clear(&m_comments); }
    const vorbis_comment &get() const { return m_comments; }

private:
    vorbis_comment m_comments{};
};

OGGTag tagOf(std::initializer_list<QByteArray> texts)
{
    return OggTagFromComments(GetStrComments(Comments(texts).get()));
}

QString taggedOgg(const TestFolder &folder, const QString &name = "tagged.ogg")
{
    const QString path = folder.file(name);
    EXPECT_TRUE(test::MakeToneWithFfmpeg(path, 1.5));
    test::RunMutagen(R"(import sys
from mutagen.oggvorbis import OggVorbis
f = OggVorbis(sys.argv[1])
f.delete()
f['TITLE'] = ['Élégie à la lune']
f['Artist'] = ['Björk Guðmundsdóttir']
f['album'] = ['Début']
f['comment'] = ['  spaced out  ']
f['genre'] = ['Électronique']
f['date'] = ['1993']
f['tracknumber'] = ['5']
f['description'] = ['not the comment']
f.save()
)", path);
    return path;
}

} // namespace

TEST(OggComments, SplitsNameAndValueAtTheFirstEquals)
{
    const TStrComments list = GetStrComments(Comments({"ARTIST=a=b", "no equals", "ti~tle=x", "=bare"}).get());
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].Name, "ARTIST");
    EXPECT_EQ(list[0].Value, "a=b");
    EXPECT_EQ(list[0].Full, "ARTIST=a=b");
    EXPECT_EQ(list[1].Name, "");
    EXPECT_EQ(list[1].Value, "no equals");
    EXPECT_EQ(list[1].Full, "no equals");
    EXPECT_EQ(list[2].Name, "");  // "~" may not appear in a name
    EXPECT_EQ(list[2].Value, "ti~tle=x");
    EXPECT_EQ(list[3].Name, "");
    EXPECT_EQ(list[3].Value, "bare");
    EXPECT_EQ(list[3].Full, "bare");
}

TEST(OggComments, MatchesNamesWithoutCaseAndTheLastOneWins)
{
    const OGGTag tag = tagOf({"TITLE=First", "title=Second", "ARTIST=", "genre=  Jazz \t",
                              "description=Not a comment", "TRACKNUMBER=9", "Date=2001"});
    EXPECT_EQ(tag.Title, "Second");
    EXPECT_EQ(tag.Artist, "");
    EXPECT_EQ(tag.Genre, "Jazz");
    EXPECT_EQ(tag.Comment, "");
    EXPECT_EQ(tag.TrackNumber, "9");
    EXPECT_EQ(tag.Date, "2001");
}

TEST(OggComments, IgnoresNamesWithCharactersOutsidePrintableAscii)
{
    const OGGTag tag = tagOf({"titl\xc3\xa9=accented name", "album\x7f=delete", "album\x1f=control",
                              "album=Caf\xc3\xa9"});
    EXPECT_EQ(tag.Title, "");
    EXPECT_EQ(tag.Album, QString::fromUtf8("Caf\u00e9"));
}

TEST(OggComments, CallbacksFollowTheStreamConventions)
{
    QBuffer buffer;
    buffer.setData("0123456789");
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    QIODevice *device = &buffer;
    char bytes[16] = {};
    EXPECT_EQ(OggReadCallback(bytes, 0, 4, &device), 0u);
    EXPECT_EQ(OggReadCallback(bytes, 4, 0, &device), 0u);
    EXPECT_EQ(OggReadCallback(bytes, 4, 3, &device), 2u);  // 10 bytes are two whole elements
    EXPECT_EQ(QByteArray(bytes, 10), "0123456789");
    EXPECT_EQ(OggReadCallback(bytes, 1, 4, &device), 0u);  // at the end
    EXPECT_EQ(OggWriteCallback("ab", 0, 1, &device), std::size_t(-1));
    EXPECT_EQ(OggWriteCallback("abcd", 2, 2, &device), 2u);
    EXPECT_EQ(buffer.data(), "0123456789abcd");
}

TEST(OggTagReader, ReadsCommentsWrittenByMutagen)
{
    TestFolder folder;
    const test::VceditOverride module;
    OGGTag tag;
    tag.Title = "stale";
    ReadOggTag(taggedOgg(folder), tag);
    EXPECT_EQ(tag.Title, QString::fromUtf8("Élégie à la lune"));
    EXPECT_EQ(tag.Artist, QString::fromUtf8("Björk Guðmundsdóttir"));
    EXPECT_EQ(tag.Album, QString::fromUtf8("Début"));
    EXPECT_EQ(tag.Comment, "spaced out");
    EXPECT_EQ(tag.Genre, QString::fromUtf8("Électronique"));
    EXPECT_EQ(tag.Date, "1993");
    EXPECT_EQ(tag.TrackNumber, "5");
}

TEST(OggTagReader, ReadsCommentsWrittenByFfmpeg)
{
    TestFolder folder;
    const test::VceditOverride module;
    const QString path = folder.file("ffmpeg.ogg");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(path, 1.0, {QString::fromUtf8("title=Señor Sine"), "artist=Lavfi"}));
    OGGTag tag;
    ReadOggTag(path, tag);
    EXPECT_EQ(tag.Title, QString::fromUtf8("Señor Sine"));
    EXPECT_EQ(tag.Artist, "Lavfi");
}

TEST(OggTagReader, FileThatIsNotOggVorbisRaisesCannotOpen)
{
    TestFolder folder;
    const test::VceditOverride module;
    OGGTag tag;
    const QString small = folder.file("small.ogg");
    QFile file(small);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is text, not a stream");
    file.close();
    try {
        ReadOggTag(small, tag);
        FAIL() << "no error raised";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), "Cannot open " + small + ": Input truncated or empty.");
    }

    const QString mp3 = folder.file("tone.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(mp3, 2.0));
    try {
        ReadOggTag(mp3, tag);
        FAIL() << "no error raised";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), "Cannot open " + mp3 + ": Input is not an Ogg bitstream.");
    }
    EXPECT_THROW(ReadOggTag(folder.file("missing.ogg"), tag), KorvexError);
}

TEST(OggTagReader, StreamCutInsideItsHeadersRaisesCannotOpen)
{
    TestFolder folder;
    const test::VceditOverride module;
    QFile whole(taggedOgg(folder));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray head = whole.read(200);  // the first page and part of the comment page
    QFile cut(folder.file("cut.ogg"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(head);
    cut.close();
    OGGTag tag;
    try {
        ReadOggTag(cut.fileName(), tag);
        FAIL() << "no error raised";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text(), "Cannot open " + cut.fileName() + ": EOF before end of Vorbis headers.");
    }
}

TEST(OggTagReader, MissingLibraryGivesEmptyFields)
{
    TestFolder folder;
    const QString path = taggedOgg(folder);
    const test::VceditOverride module(folder.file("nowhere/vcedit.so"));
    OGGTag tag;
    tag.Title = "stale";
    ReadOggTag(path, tag);
    EXPECT_EQ(tag.Title, "");
    EXPECT_EQ(tag.Artist, "");
    EXPECT_NO_THROW(ReadOggTag(folder.file("missing.ogg"), tag));
}
