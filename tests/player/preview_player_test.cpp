// The preview player on real components: what it plays, what it shows, how
// seeking and stepping move it, and what stops it.
#include "player/PlayerFixture.h"

#include "joblist/ListText.h"
#include "joblist/Scale.h"
#include "joblist/StatusWords.h"
#include "support/SegmentedRecord.h"
#include "support/TonesAndPauses.h"

#include <QDir>
#include <QFile>
#include <QSignalBlocker>
#include <QSignalSpy>

#include <algorithm>
#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 8000;

// Every case plays through the dummy driver in real time.
using PreviewPlayerRealTime = PlayerTest;

TEST_F(PreviewPlayerRealTime, PlaysATenMinuteFileFromTheStartAndFromTheMiddle)
{
    add({makeFile("ten minutes.wav", 600)});
    clickFile(0);
    EXPECT_EQ(skin().rangeEnd("pb"), 1200);
    EXPECT_EQ(skin().thumbSize("pb"), 57);

    preview().Play();
    ASSERT_TRUE(state().Playing);
    EXPECT_EQ(state().PlayerRow, 0);
    EXPECT_TRUE(m_output.isPlaying());
    ASSERT_TRUE(waitForBlocks(1));
    ASSERT_EQ(queued.size(), 1);
    EXPECT_EQ(queued[0].firstFrame, 0);
    // short, so that the sound starts without waiting for a long decode
    EXPECT_EQ(queued[0].block.frameCount(1), PreviewPlayer::BlockFrames / PreviewReader::FirstBlockDivisor);
    ASSERT_TRUE(waitForTicks(1));
    EXPECT_LT(sliderPosition(), 5);  // within the first seconds
    preview().StopPlayback();
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(preview().holdsFile(), false);

    setSlider(571);
    queued.clear();
    preview().Play();
    const int start = Scale(571, 600 * Rate, 1143);
    EXPECT_EQ(state().StartFrame, start);
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(queued.first().firstFrame, start);
    ASSERT_TRUE(waitForTicks(1));
    EXPECT_EQ(caption(), "00:05:00");
    EXPECT_EQ(state().PositionText, "00:05:00");
    EXPECT_GE(sliderPosition(), 571);
    EXPECT_LE(sliderPosition(), 573);
    preview().StopPlayback();
    EXPECT_EQ(sliderPosition(), 0);
    EXPECT_EQ(caption(), "00:00:00");
    EXPECT_TRUE(m_seams.messages.errors.isEmpty());
}

// More than 2^31 frames: the slider at hour 29 plays the frames there, and
// Begin marks the time the clock shows there.
TEST_F(PreviewPlayerRealTime, ADayLongFilePlaysFromHour29AndIsMarkedThere)
{
    constexpr qint64 DayRate = 22050;
    const qint64 toneFrame = qint64(29) * 3600 * DayRate;
    const QString path = writeDayLongFile(m_folder.file(QStringLiteral("day.flac")), toneFrame);
    ASSERT_FALSE(path.isEmpty());
    add({path});
    clickFile(0);
    const qint64 length = qint64(30) * 3600 * DayRate;
    // the last position that starts at or before the tone
    int position = int(toneFrame * positionMax() / length);
    while (position > 0 && Scale64(position, length, positionMax()) > toneFrame)
        --position;
    setSlider(position);
    preview().Play();
    ASSERT_TRUE(state().Playing);
    const qint64 start = Scale64(position, length, positionMax());
    EXPECT_EQ(state().StartFrame, start);
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(queued.first().firstFrame, start);
    // the tone lies in the first block exactly where the file has it
    const SampleArray &block = queued.first().block;
    const qint64 offset = toneFrame - start;
    ASSERT_GE(offset, 0);
    ASSERT_LE(offset + DayRate / 2, block.frameCount(1));
    const auto rms = [&block](qint64 from, qint64 count) {
        double sum = 0;
        for (qint64 f = from; f < from + count; ++f)
            sum += double(block.data()[f]) * block.data()[f];
        return std::sqrt(sum / double(count));
    };
    const qint64 tenMs = DayRate / 100;
    EXPECT_GT(rms(offset, tenMs), 0.1) << "the tone from its first frame";
    if (offset >= tenMs) {
        EXPECT_LT(rms(offset - tenMs, tenMs), 0.001) << "silence just before it";
    }

    ASSERT_TRUE(waitForTicks(1));
    EXPECT_TRUE(caption().startsWith(QStringLiteral("29:00:"))) << caption().toStdString();
    bench().marker().MarkBegin();
    const listrecord &entry = bench().jobs().job(0);
    EXPECT_GE(entry.BeginTime.at(entry.Count - 1), qint64(29) * 3600000);
    EXPECT_LT(entry.BeginTime.at(entry.Count - 1), qint64(29) * 3600000 + 60000);
    preview().StopPlayback();
    EXPECT_TRUE(m_seams.messages.errors.isEmpty());
}

TEST_F(PreviewPlayerRealTime, UnificationPlaysTenSecondsOfTheFirstEntrysSegmentAndStops)
{
    add({makeFile("first.wav", 60), makeFile("second.wav", 40)});
    bench().settings().SplitMode = split_mode::Unification;
    setSegments(bench().jobs().job(0), {{10, 20}, {0, 60}});
    clickFile(0);
    clickSegment(0);
    preview().Play();
    ASSERT_TRUE(state().Playing);
    EXPECT_TRUE(state().SegmentPlayback);
    EXPECT_EQ(state().PlayerSegment, 0);
    EXPECT_EQ(statuses(), (QStringList{"Playing", "Uncertain"}));
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(queued[0].firstFrame, 10 * Rate);

    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    // the caption shows the time in the file, from the segment's begin to its
    // end, then is reset by the stop
    ASSERT_GE(captions.size(), 3);
    EXPECT_EQ(captions.first(), "00:00:00");  // the click on the file
    const auto played = std::find_if(captions.cbegin(), captions.cend(),
                                     [](const QString &text) { return text != "00:00:00"; });
    ASSERT_NE(played, captions.cend());
    EXPECT_EQ(*played, "00:00:10");
    EXPECT_EQ(captions.at(captions.size() - 2), "00:00:20");
    EXPECT_EQ(captions.last(), "00:00:00");
    for (qsizetype i = 1; i + 1 < captions.size(); ++i)
        EXPECT_GE(captions.at(i), captions.at(i - 1));
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));
    EXPECT_EQ(sliderPosition(), 0);
    EXPECT_FALSE(m_output.isPlaying());
    EXPECT_EQ(preview().holdsFile(), false);

    // the second entry selected: the first entry's times, cut from its file
    clickFile(1);
    clickSegment(0);
    const qsizetype firstPlays = queued.size();
    preview().Play();
    EXPECT_EQ(state().PlayerRow, 1);
    ASSERT_TRUE(waitForBlocks(firstPlays + 1));
    EXPECT_EQ(queued.at(firstPlays).firstFrame, 10 * Rate);
    EXPECT_EQ(statuses(), (QStringList{"Playing", "Uncertain"}));
    preview().StopPlayback();
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));
}

TEST_F(PreviewPlayerRealTime, PlayAroundBeginAndEndPlaySixSecondsAroundThePendingSegmentsEdges)
{
    add({makeFile("around.wav", 60)});
    // the pending segment from 20.5 s to 40 s; a confirmed one before it
    bench().jobs().job(0).BeginTime = {1000, 20500};
    bench().jobs().job(0).EndTime = {2000, 40000};
    bench().jobs().job(0).Count = 2;
    clickFile(0);
    preview().PlayAroundBegin();
    ASSERT_TRUE(state().Playing);
    EXPECT_TRUE(state().SegmentPlayback);
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(queued[0].firstFrame, 17500 * Rate / 1000);
    // no row of the list stands for it
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));
    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    // the clock shows where in the file the stretch from 17.5 s to 23.5 s stands
    EXPECT_GE(captions.at(captions.size() - 2), "00:00:17");
    EXPECT_LE(captions.at(captions.size() - 2), "00:00:24");
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));

    const qsizetype aroundBegin = queued.size();
    preview().PlayAroundEnd();
    ASSERT_TRUE(state().Playing);
    ASSERT_TRUE(waitForBlocks(aroundBegin + 1));
    EXPECT_EQ(queued.at(aroundBegin).firstFrame, 37000 * Rate / 1000);
    // the same guard as Play: a second start while playing does nothing
    const qsizetype blocks = queued.size();
    preview().PlayAroundBegin();
    EXPECT_EQ(queued.size(), blocks);
    preview().StopPlayback();

    // near the file's start and end it plays what there is
    bench().jobs().job(0).BeginTime = {1000, 1000};
    bench().jobs().job(0).EndTime = {2000, 60000};
    const qsizetype aroundEnd = queued.size();
    preview().PlayAroundBegin();
    ASSERT_TRUE(waitForBlocks(aroundEnd + 1));
    EXPECT_EQ(queued.at(aroundEnd).firstFrame, 0);
    preview().StopPlayback();
    bench().run().Converting = true;
    preview().PlayAroundEnd();
    EXPECT_FALSE(state().Playing);
    bench().run().Converting = false;
}

TEST_F(PreviewPlayerRealTime, DraggingTheSliderToItsEndStopsPlayback)
{
    add({makeFile("ten minutes.wav", 600)});
    clickFile(0);
    preview().Play();
    ASSERT_TRUE(waitForTicks(1));
    pressSlider();
    EXPECT_TRUE(state().SeekDragging);
    moveSlider(1143);
    EXPECT_EQ(caption(), "00:10:00");
    // while the button is held the ticks leave the slider where the hand is
    ASSERT_TRUE(waitForTicks(2));
    EXPECT_EQ(sliderPosition(), 1143);
    EXPECT_TRUE(state().Playing);
    releaseSlider();
    EXPECT_FALSE(state().Playing);
    EXPECT_FALSE(state().SeekDragging);
    EXPECT_EQ(sliderPosition(), 0);
    EXPECT_EQ(state().PlayPosition, 0);
    EXPECT_EQ(caption(), "00:00:00");
}

// The slider stands for the file in segment playback too: dragged to 70 s it
// goes on at 70 s, inside the segment 60 s to 100 s; dropped past the
// segment's end it stops.
TEST_F(PreviewPlayerRealTime, DraggingToSeventySecondsInASegmentGoesOnThere)
{
    add({makeFile("ten minutes.wav", 600)});
    setSegments(bench().jobs().job(0), {{60, 100}, {0, 600}});
    clickFile(0);
    clickSegment(0);
    preview().Play();
    ASSERT_TRUE(waitForTicks(1));
    EXPECT_GE(sliderPosition(), Scale(60, 1143, 600));
    const int seventy = Scale(70, 1143, 600);
    pressSlider();
    moveSlider(seventy);
    EXPECT_EQ(caption(), "00:01:10");
    const qsizetype before = queued.size();
    releaseSlider();
    EXPECT_FALSE(state().SeekDragging);
    const int offset = Scale(seventy, 600 * Rate, 1143) - 60 * Rate;
    EXPECT_EQ(state().StartFrame, offset);
    ASSERT_TRUE(waitFor([&] { return queued.size() > before; }));
    EXPECT_EQ(queued.at(before).firstFrame, 60 * Rate + offset);
    EXPECT_NEAR(double(queued.at(before).firstFrame) / Rate, 70.0, 0.3);
    ASSERT_TRUE(waitForTicks(1));
    EXPECT_EQ(caption(), "00:01:10");
    EXPECT_GE(sliderPosition(), seventy);
    EXPECT_LT(sliderPosition(), seventy + 15);
    EXPECT_TRUE(state().Playing);

    pressSlider();
    moveSlider(Scale(200, 1143, 600));
    releaseSlider();
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(sliderPosition(), 0);
}

TEST_F(PreviewPlayerRealTime, StepsMoveTheSliderAboutASecondWhileStopped)
{
    add({makeFile("ten minutes.wav", 600), makeFile("three minutes.wav", 180)});
    clickFile(0);
    preview().StepForward();  // 1143 div 600 is 1, which counts as 2
    EXPECT_EQ(sliderPosition(), 2);
    EXPECT_EQ(caption(), "00:00:01");
    preview().StepForward();
    EXPECT_EQ(sliderPosition(), 4);
    setSlider(1);
    preview().StepBack();
    EXPECT_EQ(sliderPosition(), 0);
    EXPECT_EQ(caption(), "00:00:00");
    preview().StepBack();
    EXPECT_EQ(sliderPosition(), 0);

    setSlider(1140);
    preview().StepForward();
    EXPECT_EQ(sliderPosition(), 1142);
    EXPECT_EQ(caption(), "00:09:59");
    preview().StepForward();  // the end is no place to start from
    EXPECT_EQ(sliderPosition(), 1142);
    EXPECT_EQ(state().PlayPosition, 1142);
    EXPECT_EQ(caption(), "00:09:59");

    clickFile(1);  // 1033 div 180 is 5
    setSlider(0);
    preview().StepForward();
    EXPECT_EQ(sliderPosition(), 5);

    preview().Play();
    ASSERT_TRUE(state().Playing);
    const int playing = sliderPosition();
    preview().StepForward();
    preview().StepBack();
    EXPECT_EQ(sliderPosition(), playing);
    preview().StopPlayback();

    bench().jobs().job(1).Duration = 0;
    setSlider(100);
    preview().StepForward();
    preview().StepBack();
    EXPECT_EQ(sliderPosition(), 100);
}

TEST_F(PreviewPlayerRealTime, EveryCommandThatNeedsTheReaderOrTheEntryStopsThePreviewFirst)
{
    Settings &settings = bench().settings();
    settings.OutputFolder = m_folder.file("out") + QLatin1Char('/');
    QDir().mkpath(settings.OutputFolder);
    const QString first = makeFile("first.wav", 12);
    const QString second = makeFile("second.wav", 12);
    add({first});
    const auto startPlaying = [this](int row) {
        clickFile(row);
        preview().Play();
        return state().Playing && m_output.isPlaying();
    };

    ASSERT_TRUE(startPlaying(0));
    m_seams.dialogs.openAnswer = {second};
    bench().adder().AddFiles();
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(bench().jobs().rowCount(), 2);

    ASSERT_TRUE(startPlaying(0));
    bench().control().Stop();
    EXPECT_FALSE(state().Playing);

    ASSERT_TRUE(startPlaying(0));
    bench().editor().ClearSegments();
    EXPECT_FALSE(state().Playing);

    ASSERT_TRUE(startPlaying(0));
    m_seams.dialogs.saveAnswer.clear();
    bench().control().StartJoin();  // stopped even when the save dialog is cancelled
    EXPECT_FALSE(state().Playing);

    settings.SplitMode = split_mode::Time;
    ASSERT_TRUE(startPlaying(1));
    bench().control().StartSplit(false);
    EXPECT_FALSE(state().Playing);
    EXPECT_TRUE(QFile::exists(settings.OutputFolder + "second_1.wma"));
    settings.SplitMode = split_mode::Custom;

    // a row before the played one goes: the player keeps its entry (only a
    // program can select it: a click or a key snaps back to the played row)
    ASSERT_TRUE(startPlaying(1));
    {
        const QSignalBlocker quiet(bench().jobs().fileSelection());
        bench().jobs().selectFileRow(0);
    }
    bench().editor().RemoveFile();
    EXPECT_TRUE(state().Playing);
    EXPECT_EQ(state().PlayerRow, 0);
    EXPECT_EQ(bench().jobs().JobRecords().at(0).FileName, second);
    // the played entry goes
    bench().jobs().selectFileRow(0);
    bench().editor().RemoveFile();
    EXPECT_FALSE(state().Playing);
    EXPECT_FALSE(m_output.isPlaying());
    EXPECT_EQ(preview().holdsFile(), false);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << qPrintable(m_seams.messages.errors.join('\n'));
}

TEST_F(PreviewPlayerRealTime, PlaybackEndsByItselfAtTheEndOfTheFile)
{
    add({makeFile("two seconds.wav", 2)});
    clickFile(0);
    preview().Play();
    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    EXPECT_FALSE(m_output.isPlaying());
    EXPECT_EQ(preview().holdsFile(), false);
    EXPECT_EQ(sliderPosition(), 0);
    EXPECT_EQ(caption(), "00:00:00");
    // every frame of the file was handed over, then the empty block that ends it
    qint64 frames = 0;
    for (const Queued &block : queued)
        frames += block.block.frameCount(1);
    EXPECT_EQ(frames, 2 * Rate);
}

TEST_F(PreviewPlayerRealTime, EmptyingTheListWhilePlayingStopsAndTheNextPlayWorks)
{
    const QString path = makeFile("short.wav", 12);
    add({path});
    clickFile(0);
    preview().Play();
    ASSERT_TRUE(waitForTicks(1));
    bench().editor().ClearJob();
    EXPECT_FALSE(state().Playing);
    EXPECT_FALSE(m_output.isPlaying());
    EXPECT_EQ(preview().holdsFile(), false);
    EXPECT_EQ(caption(), "00:00:00");

    add({path});
    clickFile(0);
    queued.clear();
    preview().Play();
    EXPECT_TRUE(state().Playing);
    ASSERT_TRUE(waitForBlocks(1));
    EXPECT_EQ(queued.size(), 1);
    EXPECT_TRUE(waitForTicks(1));
}

TEST_F(PreviewPlayerRealTime, AFileThatCannotBeOpenedIsReportedAndLeavesThePlayerStopped)
{
    const QString path = makeFile("gone.wav", 12);
    add({path});
    setSegments(bench().jobs().job(0), {{2, 4}, {0, 12}});
    clickFile(0);
    ASSERT_TRUE(QFile::remove(path));
    preview().Play();
    EXPECT_FALSE(state().Playing);
    EXPECT_FALSE(m_output.isPlaying());
    EXPECT_EQ(preview().holdsFile(), false);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors[0].startsWith("\"" + path + "\" cannot be played.\n"))
        << qPrintable(m_seams.messages.errors[0]);

    clickSegment(0);
    preview().Play();
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(statuses(), (QStringList{"OK", "Uncertain"}));
    EXPECT_EQ(m_seams.messages.errors.size(), 2);

    // the file is back: the next Play plays
    makeFile("gone.wav", 12);
    preview().Play();
    EXPECT_TRUE(state().Playing);
    EXPECT_EQ(statuses(), (QStringList{"Playing", "Uncertain"}));
    EXPECT_TRUE(waitForTicks(1));
}

TEST_F(PreviewPlayerRealTime, WithoutAnyAudioOutputPlayIsReportedAndNothingStaysSet)
{
    SdlAudioPlayer nowhere(QStringList{QStringLiteral("korvex-no-such-driver")}, nullptr);
    PreviewPlayer lone(bench().editor().desk(), bench().activity(), nowhere, m_seams.messages);
    const QString path = makeFile("tone.wav", 5);
    add({path});
    clickFile(0);
    lone.Play();
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(lone.holdsFile(), false);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(m_seams.messages.errors[0].contains(path));
    EXPECT_TRUE(m_seams.messages.errors[0].contains("Component is not connected"));
}

TEST_F(PreviewPlayerRealTime, PlayWaitsWhileARunConvertsOrFilesAreBeingAdded)
{
    add({makeFile("tone.wav", 5)});
    clickFile(0);
    bench().run().Converting = true;
    preview().Play();
    EXPECT_FALSE(state().Playing);
    bench().run().Converting = false;
    {
        const JobList::AddingScope adding(bench().jobs());
        preview().Play();
        EXPECT_FALSE(state().Playing);
    }
    EXPECT_TRUE(queued.isEmpty());
    EXPECT_EQ(preview().holdsFile(), false);
    // Play while playing starts nothing new
    preview().Play();
    ASSERT_TRUE(state().Playing);
    ASSERT_TRUE(waitForBlocks(1));
    preview().Play();
    EXPECT_EQ(queued.size(), 1);
}

TEST_F(PreviewPlayerRealTime, TheSegmentFormHoldsForTheWholePlaybackAndAnEmptySegmentEndsAtOnce)
{
    add({makeFile("minute.wav", 60)});
    setSegments(bench().jobs().job(0), {{5, 5}, {20, 30}, {0, 60}});
    clickFile(0);
    clickSegment(0);
    preview().Play();
    ASSERT_TRUE(state().Playing);
    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    EXPECT_EQ(statuses(), (QStringList{"OK", "OK", "Uncertain"}));

    // a click on the file list during segment playback: still the segment's
    // playback, its slider in the file, and the end at the segment's end
    clickSegment(1);
    preview().Play();
    clickFile(0);
    EXPECT_FALSE(bench().jobs().SegmentSelected);
    QList<std::pair<qint64, int>> ticks;
    QObject context;
    QObject::connect(&m_output, &IAudioPlayer2::OnTimer, &context,
                     [&](qint64 played) { ticks.append({played, sliderPosition()}); });
    ASSERT_TRUE(waitFor([&] { return ticks.size() >= 3; }));
    for (const auto &[played, position] : ticks)
        EXPECT_EQ(position, Scale(int(20 * Rate + played), positionMax(), 60 * Rate));
    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    EXPECT_LE(captions.at(captions.size() - 2), "00:00:30");
    EXPECT_GE(captions.at(captions.size() - 2), "00:00:29");
}

// The player gets a segment's frames and not one more, in blocks that join
// up, also when the segment is longer than a block and after a seek into it;
// the empty block after the last ends the playback there.
TEST_F(PreviewPlayerRealTime, ASegmentIsHandedToThePlayerUpToItsEndFrameExactly)
{
    const QString file = makeFile("two-minutes.wav", 120);
    add({file});
    setSegments(bench().jobs().job(0), {{10, 80}, {3, 7}});
    clickFile(0);
    clickSegment(0);
    preview().Play();
    ASSERT_TRUE(state().Playing);
    // the blocks join up, a short one first, none longer than a full one
    ASSERT_TRUE(askUntilTheEmptyBlock(0));
    ASSERT_GE(queued.size(), 3);
    qint64 next = 10 * Rate;
    QList<float> handed;
    for (const Queued &block : std::as_const(queued)) {
        EXPECT_EQ(block.firstFrame, next);
        EXPECT_LE(block.block.frameCount(1), PreviewPlayer::BlockFrames);
        next += block.block.frameCount(1);
        handed += block.block.samples();
    }
    EXPECT_EQ(next, 80 * Rate);
    EXPECT_EQ(queued[0].block.frameCount(1), PreviewPlayer::BlockFrames / PreviewReader::FirstBlockDivisor);
    AudioFile straight;
    straight.openForRead(file, 0, 1);
    straight.seek(10 * Rate, 3);
    EXPECT_TRUE(handed == straight.readBlock(70 * Rate).samples());
    preview().StopPlayback();

    // the short segment, sought to its middle: from there to its end
    clickSegment(1);
    queued.clear();
    preview().Play();
    ASSERT_TRUE(waitForBlocks(1));
    pressSlider();
    // the slider stands for the file: its 5 s are the segment's middle
    const int fiveSeconds = Scale(5 * Rate, positionMax(), 120 * Rate);
    moveSlider(fiveSeconds);
    const qsizetype beforeSeek = queued.size();
    releaseSlider();
    ASSERT_TRUE(askUntilTheEmptyBlock(beforeSeek));
    ASSERT_EQ(queued.size(), beforeSeek + 2);
    const qint64 middle = Scale(fiveSeconds, 120 * Rate, positionMax());
    ASSERT_GT(middle, 3 * Rate);
    EXPECT_EQ(queued[beforeSeek].firstFrame, middle);
    EXPECT_EQ(queued[beforeSeek].firstFrame + queued[beforeSeek].block.frameCount(1), 7 * Rate);
    ASSERT_TRUE(waitFor([this] { return !state().Playing; }));
    EXPECT_TRUE(m_seams.messages.errors.isEmpty());
}

} // namespace
