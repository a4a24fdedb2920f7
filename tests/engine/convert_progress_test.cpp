#include "components/SkinFace.h"
#include "engine/ConvertProgress.h"
#include "joblist/RunState.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

struct Bar
{
    Bar()
    {
        face.setRect("convertpb", QRect(120, 386, 335, 12));
        progress.bind();
    }
    int width() const { return face.rect("convertpb").width(); }

    RunState run;
    SkinFace face;
    ConvertProgress progress{run, face};
};

} // namespace

TEST(ConvertProgress, WidthFollowsTheProgressWithHalvesRoundedUp)
{
    Bar bar;
    QStringList redraws;
    QObject::connect(&bar.face, &SkinFace::redrawRequested, [&](const QString &name) { redraws << name; });
    const QList<std::pair<int, int>> cases = {{0, 0}, {1, 0}, {15, 1}, {5000, 168}, {9999, 335}, {10000, 0}};
    for (const auto &[value, width] : cases) {
        bar.progress.ShowConvertProgress(value, false);
        EXPECT_EQ(bar.width(), width) << value;
        // left, top and bottom never move
        EXPECT_EQ(bar.face.rect("convertpb").left(), 120);
        EXPECT_EQ(bar.face.rect("convertpb").top(), 386);
        EXPECT_EQ(bar.face.rect("convertpb").height(), 12);
    }
    EXPECT_EQ(redraws, QStringList(cases.size(), "convertpb"));
}

TEST(ConvertProgress, BeyondTheFullBarOnlyWithTheSkinFlag)
{
    Bar bar;
    bar.progress.ShowConvertProgress(5000, false);
    bar.progress.ShowConvertProgress(10100, false);
    EXPECT_EQ(bar.width(), 168);
    bar.progress.ShowConvertProgress(10100, true);
    EXPECT_EQ(bar.width(), 338);
}

TEST(ConvertProgress, StopConversionClearsTheFlagAndEmptiesTheBar)
{
    Bar bar;
    bar.run.Converting = true;
    bar.progress.ShowConvertProgress(7000, false);
    bar.progress.StopConversion(false);
    EXPECT_FALSE(bar.run.Converting);
    EXPECT_EQ(bar.width(), 0);
    EXPECT_EQ(bar.progress.ConvertBarRect().left(), 120);
}
