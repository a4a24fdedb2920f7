#include "engine/Workbench.h"

namespace korvex {

Workbench::Workbench(IAudioFile2 &reader, IAudioFile2 &writer, IAudioTransform2 &transform, const Seams &seams,
                     const QString &settingsFile)
    : store(settingsFile)
    , progress(run, skin)
    , editor(jobs, store.settings(), run, player, skin)
    , adder(jobs, editor, run, player, reader, seams)
    , context{{jobs, editor, store, run, skin, reader, writer, transform}, player, progress, seams}
    , control(context)
{
    progress.bind();
}

} // namespace korvex
