#include "engine/EngineFixture.h"
#include "support/ExternalTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// Limits the size of every file this process writes, as a full disk limits
// what fits: a write past the limit fails (EFBIG) instead of ending the
// program. The limit is byte-exact, where a full tmpfs or loop device counts
// whole pages or blocks and so cannot be made to fill between the audio and
// the few hundred bytes the tags add.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit limited{bytes, m_previous.rlim_max};
        m_set = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_set = false;
};

class HostileInputTagWrites : public EngineTest
{
protected:
    RunControl::Outcome splitWhole()
    {
        settings().SplitMode = split_mode::Count;
        settings().SplitCount = 1;
        return runSplit();
    }
};

// The audio of a piece fits, its tags do not: the piece is kept, complete and
// untagged, under its final name, and the message names it.
TEST_F(HostileInputTagWrites, APieceWhoseTagsDoNotFitIsKeptUntaggedAndNamed)
{
    const QString source = makeTone(QStringLiteral("tagged.wav"), 5.0);
    add({source});
    bench().jobs().tags(0).Title = QStringLiteral("A title that makes the header longer");
    bench().jobs().tags(0).Artist = QStringLiteral("Somebody");
    // The same piece written without a limit: its size with tags. Encoding is
    // deterministic, so the audio alone takes fewer bytes than that.
    ASSERT_EQ(splitWhole(), RunControl::Outcome::Finished);
    const QString piece = output(QStringLiteral("tagged_1.wma"));
    const qint64 taggedSize = QFileInfo(piece).size();
    ASSERT_GT(taggedSize, 0);
    ASSERT_TRUE(QFile::remove(piece));
    ASSERT_TRUE(m_seams.messages.errors.isEmpty());

    RunControl::Outcome outcome;
    {
        const FileSizeLimit limit(rlim_t(taggedSize - 1));
        ASSERT_TRUE(limit.set());
        outcome = splitWhole();
    }
    EXPECT_EQ(outcome, RunControl::Outcome::Finished);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    const QString message = m_seams.messages.errors.first();
    EXPECT_TRUE(message.contains(QStringLiteral("could not be written"))) << message.toStdString();
    EXPECT_TRUE(message.contains(piece)) << message.toStdString();
    EXPECT_EQ(outputNames(), QStringList{"tagged_1.wma"});
    EXPECT_LT(QFileInfo(piece).size(), taggedSize);
    EXPECT_NEAR(audioFrames(piece), 5 * 44100, CodecFrame);

    EXPECT_NEAR(ProbedSeconds(piece), 5.0, 0.2);
    EXPECT_EQ(MutagenAsfLengthAndTitle(piece), QStringLiteral("5 False"));
}

} // namespace
