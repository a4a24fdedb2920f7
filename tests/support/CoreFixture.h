#pragma once

#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "core/Core.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in gtest's failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace korvex::test {

// A session's core on real components, wired as the window wires it: the
// seams recorded, the shared reader, the writer and the fade transform, and
// a temporary folder for the test's files. The engine and player suites
// build on it.
class CoreTest : public ::testing::Test
{
protected:
    CoreTest();

    Core &bench() { return *m_bench; }

    // A sine tone of `seconds` (rounded to whole frames) written as the
    // extension says; a WAV file is fast to make and exact in length.
    QString makeTone(const QString &name, double seconds, int rate = 44100, int channels = 2);
    // Adds the files as "Add File" does; every one must be accepted.
    void add(const QStringList &paths);
    // Status words of lv_time, in row order.
    QStringList statuses();
    // "Start1" and "Join" as the run control takes them, followed to the end
    // of the run they start (runEnded), with what the run came to.
    RunControl::Outcome runSplit(bool openOutputFolder = false);
    RunControl::Outcome runJoin();

    TestFolder m_folder;
    RecordingSeams m_seams;
    AudioFile m_reader;
    AudioFile m_writer;
    AudioTransform m_transform;

private:
    std::unique_ptr<Core> m_bench;
};

} // namespace korvex::test
