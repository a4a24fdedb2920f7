// The sample files of tests/tags/samples, tagged by writers other than Korvex
// (mutagen, or bytes laid out from the ID3v2 documents by make_samples.py),
// read back field by field.
#include "support/ExternalTools.h"
#include "support/VceditModule.h"

#include "components/KorvexError.h"
#include "joblist/EntryTags.h"
#include "tags/ID3.h"
#include "tags/Ogg.h"
#include "tags/TagLibTags.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

QString sample(const char *name)
{
    return QStringLiteral(KORVEX_SOURCE_DIR "/tests/tags/samples/") + QString::fromUtf8(name);
}

ID3StructV2 readSample(const char *name)
{
    ReadID3v2(sample(name));
    return ID3v2Tag;
}

QString repeated(const char *text, int count)
{
    return QString::fromUtf8(text).repeated(count);
}

const QString Omega = QString::fromUtf8("\u03a9mega ");
const QString Hildur = QString::fromUtf8("Hildur Guðnadóttir");

} // namespace

TEST(ID3Samples, Version22FramesFillTheSameFields)
{
    const ID3StructV2 tag = readSample("id3v22-bytes.mp3");
    EXPECT_EQ(tag.Title, "Older Encoder Title");
    EXPECT_EQ(tag.Artist, QString::fromUtf8("Zoë Keating"));  // UTF-16 with byte-order mark
    EXPECT_EQ(tag.Album, "Into the Trees");
    EXPECT_EQ(tag.Year, "2010");
    EXPECT_EQ(tag.Genre, "(32)Classical");  // genre numbers stay as written
    EXPECT_EQ(tag.Comment, "cello loops");  // found after a 512-byte picture
}

TEST(ID3Samples, WholeTagUnsynchronisationOfVersion3IsUndone)
{
    // "ÿ" is stored as FF 00 in UTF-16 and before a terminator: each gained a
    // zero byte, and the frame sizes do not count them.
    const ID3StructV2 tag = readSample("id3v23-unsync-bytes.mp3");
    EXPECT_EQ(tag.Title, QString::fromUtf8("Ÿÿ Unsynchronised ÿ"));
    EXPECT_EQ(tag.Artist, QString::fromUtf8("ÿ Band ÿ"));
    EXPECT_EQ(tag.Album, QString::fromUtf8("After the ÿ picture"));
    EXPECT_EQ(tag.Genre, "Rock");
    EXPECT_EQ(tag.Comment, QString::fromUtf8("ÿ comment"));
}

TEST(ID3Samples, FrameUnsynchronisationOfVersion4IsUndoneFrameByFrame)
{
    const ID3StructV2 tag = readSample("id3v24-unsync-bytes.mp3");
    EXPECT_EQ(tag.Title, QString::fromUtf8("Frame ÿ Unsync"));
    EXPECT_EQ(tag.Artist, "Plain Artist");
    EXPECT_EQ(tag.Album, QString::fromUtf8("ÿÿÿ Album"));
    EXPECT_EQ(tag.Genre, "Jazz");
    EXPECT_EQ(tag.Comment, QString::fromUtf8("ÿ noted"));
}

TEST(ID3Samples, MutagenTagsKeepTheUsersCommentAndCutLongTitlesBetweenCharacters)
{
    // Two comments of player data follow the user's; a 102-character title
    // of surrogate pairs (v2.3, UTF-16) and one of three-byte characters
    // (v2.4, UTF-8) are cut by the 250 bytes inside a character.
    const ID3StructV2 v23 = readSample("id3v23-mutagen.mp3");
    EXPECT_EQ(v23.Title, "ab" + repeated("\U0001F600", 60));
    EXPECT_EQ(v23.Artist, QString::fromUtf8("Sigur Rós"));
    EXPECT_EQ(v23.Album, QString::fromUtf8("Ágætis byrjun"));
    EXPECT_EQ(v23.Year, "1999");
    EXPECT_EQ(v23.Genre, "Post-rock");
    EXPECT_EQ(v23.Comment, "Written by hand");

    const ID3StructV2 v24 = readSample("id3v24-mutagen.mp3");
    EXPECT_EQ(v24.Title, "xx" + repeated("日", 82));
    EXPECT_EQ(v24.Artist, QString::fromUtf8("Sigur Rós"));
    EXPECT_EQ(v24.Album, QString::fromUtf8("Ágætis byrjun"));
    EXPECT_EQ(v24.Genre, "Post-rock");
    EXPECT_EQ(v24.Comment, "Written by hand");
}

TEST(OggSamples, OpusFlacAndSpeexAreRefusedByTheCommentLibraryAndReadThroughTagLib)
{
    const test::VceditOverride module;
    for (const char *codec : {"opus", "flac", "speex"}) {
        const QString path = sample(codec) + QStringLiteral("-in-ogg-mutagen.ogg");
        SCOPED_TRACE(path.toStdString());
        OGGTag tag;
        EXPECT_THROW(ReadOggTag(path, tag), KorvexError);
        ASSERT_TRUE(ReadOggXiphTag(path, tag));
        EXPECT_TRUE(tag.Title.startsWith(Omega)) << tag.Title.toStdString();
        EXPECT_EQ(tag.Artist, Hildur);
        EXPECT_EQ(tag.Album, "Chernobyl");
        EXPECT_EQ(tag.Genre, "Soundtrack");
        EXPECT_EQ(tag.Comment, "trimmed");  // trimmed, and "description" is not the comment
    }
    OGGTag tag;
    EXPECT_FALSE(ReadOggXiphTag(sample("id3v22-bytes.mp3"), tag));
    EXPECT_FALSE(ReadOggXiphTag(sample("no such file.ogg"), tag));
}

TEST(GenericSamples, TagLibReadsTheFiveTextsOfOtherFormats)
{
    const GenericTag flac = ReadGenericTag(sample("flac-mutagen.flac"));
    EXPECT_EQ(flac.Title, Omega + "FLAC");
    EXPECT_EQ(flac.Artist, Hildur);
    EXPECT_EQ(flac.Album, "Chernobyl");
    EXPECT_EQ(flac.Genre, "Soundtrack");
    EXPECT_EQ(flac.Comment, "trimmed");

    const GenericTag m4a = ReadGenericTag(sample("aac-mutagen.m4a"));
    EXPECT_EQ(m4a.Title, "Sample: M4A/AAC");
    EXPECT_EQ(m4a.Artist, "Anoushka Shankar");
    EXPECT_EQ(m4a.Album, "Traces");
    EXPECT_EQ(m4a.Genre, "World");
    EXPECT_EQ(m4a.Comment, "from mutagen");

    EXPECT_EQ(ReadGenericTag(sample("opus-mutagen.opus")).Title, Omega + "Opus");
    const GenericTag none = ReadGenericTag(sample("make_samples.py"));
    EXPECT_TRUE(none.Title.isEmpty() && none.Artist.isEmpty() && none.Genre.isEmpty());
}

// What a new entry gets from each sample: the caption follows the tag title
// (cleaned of characters a file name may not hold), Year stays empty.
TEST(EntryTagsOfSamples, EveryTaggedFileNamesItsRow)
{
    const test::VceditOverride module;
    const struct
    {
        const char *name;
        QString caption;
        QString artist;
    } expected[] = {
        {"id3v22-bytes.mp3", "Older Encoder Title", QString::fromUtf8("Zoë Keating")},
        {"id3v23-unsync-bytes.mp3", QString::fromUtf8("Ÿÿ Unsynchronised ÿ"), QString::fromUtf8("ÿ Band ÿ")},
        {"id3v24-unsync-bytes.mp3", QString::fromUtf8("Frame ÿ Unsync"), "Plain Artist"},
        {"opus-in-ogg-mutagen.ogg", Omega + "Opus", Hildur},
        {"flac-in-ogg-mutagen.ogg", Omega + "FLAC", Hildur},
        {"flac-mutagen.flac", Omega + "FLAC", Hildur},
        {"opus-mutagen.opus", Omega + "Opus", Hildur},
        {"aac-mutagen.m4a", "Sample M4AAAC", "Anoushka Shankar"},
    };
    for (const auto &file : expected) {
        SCOPED_TRACE(file.name);
        const EntryTags entry = TagsForFile(sample(file.name));
        EXPECT_EQ(entry.caption, file.caption);
        EXPECT_EQ(entry.tags.Artist, file.artist);
        EXPECT_TRUE(entry.tags.Year.isEmpty());
    }
    // the generic reader keeps the title as written; only the caption is cleaned
    EXPECT_EQ(TagsForFile(sample("aac-mutagen.m4a")).tags.Title, "Sample: M4A/AAC");
}

// The samples as an independent reader sees them: if make_samples.py ever
// wrote something else, the expectations above would prove nothing.
TEST(EntryTagsOfSamples, MutagenReadsTheSamplesAsTheExpectationsSay)
{
    const QString titles = test::RunMutagen(R"(import glob, os, sys
import mutagen
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*-bytes.mp3'))):
    tags = mutagen.File(path).tags
    print(os.path.basename(path), tags['TIT2'].text[0], tags['TPE1'].text[0], tags['COMM::eng'].text[0], sep='|')
)",
                                            sample(""));
    EXPECT_EQ(titles, QString::fromUtf8("id3v22-bytes.mp3|Older Encoder Title|Zoë Keating|cello loops\n"
                                        "id3v23-unsync-bytes.mp3|Ÿÿ Unsynchronised ÿ|ÿ Band ÿ|ÿ comment\n"
                                        "id3v24-unsync-bytes.mp3|Frame ÿ Unsync|Plain Artist|ÿ noted\n"));
}
