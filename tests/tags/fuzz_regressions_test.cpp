#include "support/VceditModule.h"

#include "components/KorvexError.h"
#include "tags/ID3.h"
#include "tags/Ogg.h"
#include "tags/WMATag.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

QStringList samples(const QString &target)
{
    const QDir dir(QStringLiteral(KORVEX_SOURCE_DIR "/fuzz/regressions/") + target);
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Files))
        paths << dir.filePath(name);
    return paths;
}

} // namespace

// Inputs that once broke a parser, read as whole files through every reader
// that may meet them; the sanitizers of the test build catch a relapse.
TEST(FuzzRegressions, EverySampleIsReadWithoutHarm)
{
    const test::VceditOverride module;
    const QStringList wma = samples("fuzz_wma_header");
    EXPECT_FALSE(wma.isEmpty());
    for (const QString &path : wma) {
        WMAHeaderInfo info;
        ReadWMAHeader(path, info);
        EXPECT_LT(info.Title.size(), WMAFieldWidth::Title) << path.toStdString();
    }
    for (const QString &path : samples("fuzz_id3v2")) {
        ReadID3v2(path);
        EXPECT_NO_THROW(ReadID3v1(path)) << path.toStdString();
    }
    for (const QString &path : samples("fuzz_ogg_headers")) {
        OGGTag tag;
        try {
            ReadOggTag(path, tag);
        } catch (const KorvexError &error) {
            EXPECT_TRUE(error.text().startsWith("Cannot open ")) << error.text().toStdString();
        }
    }
}
