#include "support/VceditModule.h"

#include "components/KorvexError.h"
#include "tags/ID3.h"
#include "tags/Ogg.h"
#include "tags/WMATag.h"

#include <QDir>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

// The samples kept for a fuzz target. A folder that is missing or empty
// fails: a loop over nothing would pass and test nothing.
QStringList samples(const QString &target)
{
    const QDir dir(QStringLiteral(KORVEX_SOURCE_DIR "/fuzz/regressions/") + target);
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Files))
        paths << dir.filePath(name);
    EXPECT_FALSE(paths.isEmpty()) << "no regression samples in " << dir.path().toStdString();
    return paths;
}

} // namespace

// Inputs that once broke a parser, or were built to, read as whole files
// through every reader that may meet them; the sanitizers of the test build
// catch a relapse.
TEST(FuzzRegressions, EverySampleIsReadWithoutHarm)
{
    const test::VceditOverride module;
    for (const QString &path : samples("fuzz_wma_header")) {
        WMAHeaderInfo info;
        ReadWMAHeader(path, info);
        EXPECT_LT(info.Title.size(), WMAFieldWidth::Title) << path.toStdString();
    }
    for (const QString &path : samples("fuzz_id3v2")) {
        // every field stays within the 250 bytes a frame may give
        ReadID3v2(path);
        EXPECT_LE(ID3v2Tag.Title.size(), 250) << path.toStdString();
        EXPECT_NO_THROW(ReadID3v1(path)) << path.toStdString();
    }
    for (const QString &path : samples("fuzz_ogg_headers")) {
        OGGTag tag;
        try {
            ReadOggTag(path, tag);
            ADD_FAILURE() << path.toStdString() << " holds no whole Vorbis headers, yet was read";
        } catch (const KorvexError &error) {
            EXPECT_TRUE(error.text().startsWith("Cannot open ")) << error.text().toStdString();
        }
    }
}

TEST(FuzzRegressions, AMissingOrEmptySampleFolderFails)
{
    EXPECT_NONFATAL_FAILURE(samples("no_such_target"), "no regression samples");
}
