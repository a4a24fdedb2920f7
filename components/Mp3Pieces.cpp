#include "components/Mp3Pieces.h"

#include "components/KorvexError.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace korvex {

namespace {

// Decoded samples every Layer III decoder gives before the encoder's first
// sample; the LAME header's delay and padding fields are counted without them.
constexpr int DecoderDelay = 529;
// Frames copied from the source in one read.
constexpr qsizetype FramesPerRead = 2048;
// Room at the head of every output for the ID3v2 tag written after it: a tag
// that fits is written over this padding in place, so the audio after it is
// never moved (moving it costs more than the whole copy).
constexpr int TagRoomBytes = 2048;

// One frame of the output: either copied from a source or made here.
struct OutFrame
{
    const Mp3Source *source = nullptr;
    qsizetype index = -1;     // frame of source
    QByteArray made;          // a silent frame carrying the bit reservoir

    qint64 bytes() const { return source ? source->sizes.at(index) : made.size(); }
};

// What one range comes to in the output.
struct RangeFrames
{
    QList<OutFrame> frames;
    qint64 leadSamples = 0;   // decoded samples before the range's first one
    qint64 tailSamples = 0;   // decoded samples after its last one
};

QByteArray readFrames(QFile &file, const Mp3Source &source, qsizetype from, qsizetype to)
{
    const qint64 start = source.positions.at(from);
    const qint64 stop = source.positions.at(to - 1) + source.sizes.at(to - 1);
    if (!file.seek(start))
        throw KorvexError(QStringLiteral("Unable to read '%1': %2.").arg(source.path, file.errorString()));
    QByteArray bytes = file.read(stop - start);
    if (bytes.size() != stop - start)
        throw KorvexError(QStringLiteral("Unable to read '%1': it ended early.").arg(source.path));
    return bytes;
}

// The last `count` bytes of main data area before frame `index`: what its
// main_data_begin reaches back into.
QByteArray reservoirBefore(QFile &file, const Mp3Source &source, qsizetype index, int count)
{
    QByteArray reservoir;
    for (qsizetype k = index - 1; k >= 0 && reservoir.size() < count; --k) {
        const QByteArray frame = readFrames(file, source, k, k + 1);
        const auto header = ParseMp3Header(frame.constData(), frame.size());
        if (!header)
            break;
        reservoir.prepend(frame.mid(header->payloadOffset()));
    }
    if (reservoir.size() < count)
        throw KorvexError(QStringLiteral("'%1' is damaged: a frame's data begins before the file's first frame.")
                              .arg(source.path));
    return reservoir.right(count);
}

// Frame `index` as a frame of its own (see SelfContainedMp3Frame), or empty.
QByteArray selfContained(QFile &file, const Mp3Source &source, qsizetype index, int reach)
{
    const QByteArray frame = readFrames(file, source, index, index + 1);
    const auto header = ParseMp3Header(frame.constData(), frame.size());
    if (!header)
        return {};
    const QByteArray mainData = (reservoirBefore(file, source, index, reach) + frame.mid(header->payloadOffset()))
                                    .left(Mp3MainDataBytes(*header, frame.constData()));
    int nextReach = 0;
    if (index + 1 < source.positions.size())
        nextReach = Mp3MainDataBegin(source.format, readFrames(file, source, index + 1, index + 2).constData());
    return SelfContainedMp3Frame(*header, frame.constData(), mainData,
                                 reservoirBefore(file, source, index + 1, nextReach));
}

// A range joined after another starts with the frame its first sample is in,
// with no frame ahead of it: the samples between the ranges are then what
// the two frames at the seam hold beyond the ranges, less than two frames in
// all. Where that frame's data begins in earlier frames, it is made to hold
// its own. Nothing where no frame of the format holds that much.
std::optional<RangeFrames> framesAfterSeam(QFile &file, const Mp3Source &source, qint64 rawFirst, qint64 rawEnd)
{
    const qint64 perFrame = source.samplesPerFrame();
    const qsizetype count = source.positions.size();
    const qsizetype first = qMin<qsizetype>(rawFirst / perFrame, count - 1);
    const qsizetype to = qBound<qsizetype>(first + 1, (rawEnd - 1) / perFrame + 1, count);
    RangeFrames out;
    const int reach = first > 0 ? Mp3MainDataBegin(source.format, readFrames(file, source, first, first + 1).constData())
                                : 0;
    if (reach > 0) {
        OutFrame own;
        own.made = selfContained(file, source, first, reach);
        if (own.made.isEmpty())
            return std::nullopt;
        out.frames.append(own);
    } else {
        out.frames.append(OutFrame{&source, first, {}});
    }
    for (qsizetype k = first + 1; k < to; ++k)
        out.frames.append(OutFrame{&source, k, {}});
    out.leadSamples = rawFirst - first * perFrame;
    out.tailSamples = qMax<qint64>(0, to * perFrame - rawEnd);
    return out;
}

RangeFrames framesOf(QFile &file, const Mp3Range &range, bool afterSeam)
{
    const Mp3Source &source = *range.source;
    const qint64 perFrame = source.samplesPerFrame();
    const qsizetype count = source.positions.size();
    const qint64 rawFirst = range.first + source.startSkip;
    const qint64 rawEnd = range.end + source.startSkip;
    if (afterSeam) {
        if (std::optional<RangeFrames> joined = framesAfterSeam(file, source, rawFirst, rawEnd))
            return *joined;
    }
    // A granule before the first wanted frame decoded as in the source: the
    // wanted frame overlaps with it and the synthesis filter runs on from it.
    // That granule in turn needs the one before it, so two granules go
    // first: one frame of MPEG-1, two of MPEG-2, which have one granule each.
    const qsizetype firstWanted = qMin<qsizetype>(rawFirst / perFrame, count - 1);
    const qsizetype from = qMax<qsizetype>(0, firstWanted - (source.format.mpeg1 ? 1 : 2));
    const qsizetype to = qBound<qsizetype>(from + 1, (rawEnd - 1) / perFrame + 1, count);

    RangeFrames out;
    const QByteArray head = readFrames(file, source, from, from + 1);
    const int reach = from > 0 ? Mp3MainDataBegin(source.format, head.constData()) : 0;
    qint64 lead = rawFirst - from * perFrame;
    // A silent frame goes first where the range's first frame needs bytes of
    // earlier ones, or where the delay would be shorter than the decoder's own.
    if (reach > 0 || lead < DecoderDelay) {
        OutFrame silent;
        silent.made = SilentMp3Frame(source.format, reservoirBefore(file, source, from, reach));
        out.frames.append(silent);
        lead += perFrame;
    }
    for (qsizetype k = from; k < to; ++k)
        out.frames.append(OutFrame{&source, k, {}});
    out.leadSamples = lead;
    out.tailSamples = qMax<qint64>(0, to * perFrame - rawEnd);
    return out;
}

QByteArray seekTable(const QList<OutFrame> &frames, qint64 infoBytes, qint64 totalBytes)
{
    QByteArray toc(100, '\0');
    qint64 position = infoBytes;
    qsizetype next = 0;
    for (int percent = 0; percent < 100; ++percent) {
        const qsizetype frame = frames.size() * percent / 100;
        while (next < frame)
            position += frames.at(next++).bytes();
        toc[percent] = char(qMin<qint64>(255, position * 256 / qMax<qint64>(1, totalBytes)));
    }
    return toc;
}

bool constantBitrate(const QList<OutFrame> &frames)
{
    int bitrate = -1;
    for (const OutFrame &frame : frames) {
        if (!frame.source)
            continue;
        const int size = frame.source->sizes.at(frame.index);
        if (bitrate >= 0 && qAbs(size - bitrate) > 1)
            return false;
        bitrate = size;
    }
    return true;
}

void writeAll(QFile &out, const QByteArray &bytes)
{
    if (out.write(bytes) != bytes.size())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(out.fileName(), out.errorString()));
}

// An ID3v2.4 tag of `bytes` in all that holds nothing but padding.
QByteArray emptyId3v2Tag(int bytes)
{
    QByteArray tag(bytes, '\0');
    std::memcpy(tag.data(), "ID3\x04", 4);
    const int size = bytes - 10;
    for (int k = 0; k < 4; ++k)
        tag[6 + k] = char((size >> (7 * (3 - k))) & 0x7F);  // syncsafe
    return tag;
}

// The frames of `run`, checked on the way: a frame that no longer starts with
// a header of the source's format means the file changed after it was indexed.
QByteArray checkedFrames(const Mp3Source &source, const QByteArray &bytes, qint64 base,
                         const QList<OutFrame> &frames, qsizetype from, qsizetype to)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype j = from; j < to; ++j) {
        const qsizetype index = frames.at(j).index;
        const QByteArrayView frame(bytes.constData() + (source.positions.at(index) - base), source.sizes.at(index));
        const auto header = ParseMp3Header(frame.data(), frame.size());
        if (!header || header->sampleRate != source.format.sampleRate || header->mpeg1 != source.format.mpeg1)
            throw KorvexError(QStringLiteral("'%1' changed while it was being cut: its audio is no longer where it "
                                             "was found. The conversion was stopped: the files finished before are "
                                             "complete.").arg(source.path));
        out.append(frame);
    }
    return out;
}

} // namespace

void WriteMp3Ranges(const QList<Mp3Range> &ranges, const QString &outputPath, const CopyProgress &progress)
{
    QList<OutFrame> frames;
    qint64 lead = 0;
    qint64 tail = 0;
    for (const Mp3Range &range : ranges) {
        QFile file(range.source->path);
        if (!file.open(QIODevice::ReadOnly))
            throw KorvexError(QStringLiteral("Unable to open '%1': %2.").arg(range.source->path, file.errorString()));
        RangeFrames part = framesOf(file, range, !frames.isEmpty());
        if (frames.isEmpty())
            lead = part.leadSamples;
        tail = part.tailSamples;
        frames.append(part.frames);
    }
    if (frames.isEmpty())
        return;
    const Mp3FrameHeader &format = ranges.first().source->format;
    const int perFrame = format.samplesPerFrame();
    qint64 audioBytes = 0;
    for (const OutFrame &frame : frames)
        audioBytes += frame.bytes();

    Mp3InfoFields fields;
    fields.frames = quint32(frames.size());
    fields.encoderDelay = int(lead) - DecoderDelay;
    fields.padding = int(tail) + DecoderDelay;
    fields.constantBitrate = constantBitrate(frames);
    const qint64 infoBytes = Mp3InfoFrame(format, fields).size();
    fields.streamBytes = quint32(infoBytes + audioBytes);
    fields.toc = seekTable(frames, infoBytes, fields.streamBytes);
    Q_ASSERT(perFrame > 0);

    QFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(outputPath, out.errorString()));
    writeAll(out, emptyId3v2Tag(TagRoomBytes));
    writeAll(out, Mp3InfoFrame(format, fields));
    qint64 done = 0;
    QFile source;
    for (qsizetype k = 0; k < frames.size();) {
        const OutFrame &frame = frames.at(k);
        if (!frame.source) {
            writeAll(out, frame.made);
            done += frame.made.size();
            ++k;
            continue;
        }
        // A run of frames of one source, read at once.
        qsizetype runEnd = k + 1;
        while (runEnd < frames.size() && runEnd - k < FramesPerRead && frames.at(runEnd).source == frame.source
               && frames.at(runEnd).index == frames.at(runEnd - 1).index + 1)
            ++runEnd;
        if (source.fileName() != frame.source->path) {
            source.close();
            source.setFileName(frame.source->path);
            if (!source.open(QIODevice::ReadOnly))
                throw KorvexError(QStringLiteral("Unable to open '%1': %2.").arg(frame.source->path, source.errorString()));
        }
        const qsizetype firstIndex = frame.index;
        const QByteArray bytes = readFrames(source, *frame.source, firstIndex, frames.at(runEnd - 1).index + 1);
        const qint64 base = frame.source->positions.at(firstIndex);
        writeAll(out, checkedFrames(*frame.source, bytes, base, frames, k, runEnd));
        done += bytes.size();
        k = runEnd;
        if (progress)
            progress(done, audioBytes);
    }
    if (!out.flush())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(outputPath, out.errorString()));
}

} // namespace korvex
