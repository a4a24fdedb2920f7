#include "support/TempDir.h"

#include "tags/TagFileStream.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace korvex;
using korvex::test::TestFolder;

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TagLib::ByteVector toTagLib(const QByteArray &bytes)
{
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

// Inserts through the stream and returns what the file then holds.
QByteArray afterInsert(const QString &path, unsigned long blockSize, const QByteArray &data, unsigned long start,
                       unsigned long replace)
{
    {
        TagFileStream stream(QFile::encodeName(path).constData(), blockSize);
        stream.insert(toTagLib(data), start, replace);
        EXPECT_FALSE(stream.refusedToGrow());
    }
    return readFile(path);
}

} // namespace

// Whatever the block size and wherever the insert lands, the file ends up as
// the same bytes with the range replaced: blocks that straddle the shift,
// a tail shorter than a block, an insert at the very start and at the end.
TEST(TagFileStream, InsertsGiveTheSameBytesAsAReplaceInMemory)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("stream.bin"));
    const QByteArray original = randomBytes(10007, 1);
    struct Case
    {
        unsigned long blockSize;
        qsizetype dataSize;
        unsigned long start;
        unsigned long replace;
    };
    const Case cases[] = {
        {1000, 300, 0, 100},      // a header growing at the start of the file
        {1000, 2500, 16, 16},     // growing by more than a block
        {3, 7, 5000, 2},          // tiny blocks
        {1 << 20, 64, 0, 0},      // one block holds the whole tail
        {1000, 10, 10007, 0},     // appending at the end: nothing to move
        {1000, 1000, 9000, 1000}, // same length: written in place
        {1000, 50, 100, 4000},    // shorter: the rest moves down
    };
    for (const Case &c : cases) {
        writeFile(path, original);
        const QByteArray data = randomBytes(c.dataSize, static_cast<quint32>(c.start + c.replace + 7));
        QByteArray expected = original;
        expected.replace(static_cast<qsizetype>(c.start), static_cast<qsizetype>(c.replace), data);
        EXPECT_EQ(afterInsert(path, c.blockSize, data, c.start, c.replace), expected)
            << "block " << c.blockSize << ", " << c.dataSize << " bytes at " << c.start << " replacing " << c.replace;
    }
}

// A disk that cannot take the longer file leaves the file exactly as it was
// and the stream says so; TagLib's own insert would have moved half of it.
// What the save wrote in place before the insert (ASF: the header's size and
// object count) is put back, and nothing written after it reaches the file.
TEST(TagFileStream, AFullDiskLeavesTheFileUntouched)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("full.bin"));
    const QByteArray original = randomBytes(50000, 2);
    writeFile(path, original);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 50000 + 100;
    setrlimit(RLIMIT_FSIZE, &limited);
    bool refused = false;
    {
        TagFileStream stream(QFile::encodeName(path).constData(), 4096);
        stream.seek(16);
        stream.writeBlock(toTagLib(QByteArrayLiteral("new size")));
        stream.writeBlock(toTagLib(QByteArrayLiteral("count")));
        stream.insert(toTagLib(randomBytes(5000, 3)), 30, 200);
        refused = stream.refusedToGrow();
        stream.seek(100);
        stream.writeBlock(toTagLib(QByteArrayLiteral("written after the refusal")));
    }
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_TRUE(refused);
    EXPECT_EQ(readFile(path), original);
}
