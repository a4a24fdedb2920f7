#pragma once

#include "components/IAudioFile2.h"

#include <QList>

namespace korvex::test {

// Every sample an open reader delivers from its position to the end.
inline QList<float> readToEnd(IAudioFile2 &file, qint64 blockFrames)
{
    QList<float> all;
    for (;;) {
        const SampleArray block = file.readBlock(blockFrames);
        if (block.upperBound() < 1)
            return all;
        all.append(block.samples());
    }
}

} // namespace korvex::test
