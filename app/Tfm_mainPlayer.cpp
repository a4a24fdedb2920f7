// The window's side of the preview player and of segment marking: the
// commands that reach them and the clicks on the segment list. The player
// itself listens to its component and to the skin's slider.
#include "app/Tfm_main.h"

#include <QTableView>

namespace korvex {

void Tfm_main::connectSegmentList()
{
    SegmentMarker &marker = m_bench.marker;
    connect(lv_time, &QTableView::clicked, &marker, [&marker] { marker.lv_timeClick(); });
    connect(lv_time, &QTableView::doubleClicked, &marker, [&marker] { marker.lv_timeDblClick(); });
}

void Tfm_main::registerPlayerCommands()
{
    using Source = CommandDispatcher::Source;
    PreviewPlayer &player = previewPlayer();
    SegmentMarker &marker = m_bench.marker;
    auto unlessConverting = [this](std::function<void()> operation) {
        return [this, operation = std::move(operation)] {
            if (!m_bench.run.Converting)
                operation();
        };
    };
    const auto play = unlessConverting([&player] { player.Play(); });
    m_commands.add(Source::Skin, QStringLiteral("play"), play);
    m_commands.add(Source::Menu, QStringLiteral("Play1"), play);
    m_commands.add(Source::Skin, QStringLiteral("stop"), [this, &player] {
        if (m_bench.player.Playing)
            player.StopPlayback();
    });
    m_commands.add(Source::Menu, QStringLiteral("PlayAroundBegin1"),
                   unlessConverting([&player] { player.PlayAroundBegin(); }));
    m_commands.add(Source::Menu, QStringLiteral("PlayAroundEnd1"), unlessConverting([&player] { player.PlayAroundEnd(); }));
    m_commands.add(Source::Skin, QStringLiteral("hou"), unlessConverting([&player] { player.StepBack(); }));
    m_commands.add(Source::Skin, QStringLiteral("qian"), unlessConverting([&player] { player.StepForward(); }));
    m_commands.add(Source::Skin, QStringLiteral("Begin"), unlessConverting([&marker] { marker.MarkBegin(); }));
    m_commands.add(Source::Skin, QStringLiteral("End"), unlessConverting([&marker] { marker.MarkEnd(); }));
    m_commands.add(Source::Skin, QStringLiteral("Ok"), unlessConverting([&marker] { marker.ConfirmSegment(); }));
}

} // namespace korvex
