#include "engine/Workbench.h"

namespace korvex {

Workbench::Workbench(IAudioFile2 &reader, IAudioFile2 &writer, IAudioTransform2 &transform, const Seams &seams,
                     const QString &settingsFile)
    : store(settingsFile)
    , progress(run, skin)
    , editor(jobs, store.settings(), run, player, skin)
    , adder(jobs, editor, run, player, reader, seams, store.file())
    , context{{jobs, editor, store, run, skin, reader, writer, transform}, player, progress, seams}
    , control(context)
    , marker(jobs, store.settings(), run, player, skin, editor, *seams.messages)
{
    progress.bind();
    editor.segmentView().readSilenceSettingsFrom(store.file());
}

Workbench::~Workbench() = default;

PreviewPlayer &Workbench::attachPreview(IAudioPlayer2 &output)
{
    Q_ASSERT(!m_preview);
    m_preview = std::make_unique<PreviewPlayer>(player, jobs, store.settings(), run, skin, context.AudioFileRead,
                                                output, *context.seams.messages);
    // Direct connections: the player must have let go of the reader, and of
    // the rows it shows as playing, before the command goes on.
    PreviewPlayer *preview = m_preview.get();
    const auto stop = [preview] { preview->StopPlayback(); };
    QObject::connect(&editor, &JobEditor::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    QObject::connect(&marker, &SegmentMarker::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    QObject::connect(&adder, &FileAdder::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    QObject::connect(&control, &RunControl::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    return *preview;
}

} // namespace korvex
