#pragma once

#include "components/Chapters.h"
#include "components/OutputEncoding.h"
#include "components/SampleArray.h"

#include <QString>
#include <QtGlobal>

namespace korvex {

// An audio file component: one instance reads sources, another writes the
// outputs. Operations are listed in the component's interface order. Every
// failing operation throws KorvexError with a text that names what failed.
//
// Positions, lengths and read counts are frames of the source file. With a
// data format set on a reader, readBlock(n) consumes n source frames and
// delivers them converted to that rate and channel count.
class IAudioFile2
{
public:
    virtual ~IAudioFile2() = default;

    virtual void openForRead(const QString &path, int reserved = 0, int mode = 1) = 0;
    virtual void close() = 0;
    virtual void createForWrite(const QString &path, int reserved = 0) = 0;
    virtual void writeBlock(const SampleArray &block) = 0;
    virtual SampleArray readBlock(qint64 frames) = 0;
    virtual void seek(qint64 frame, int origin = 3) = 0;
    virtual void setDataFormat(int sampleRate, int channels) = 0;
    virtual void setOutputProfile(int profile) = 0;  // 1 to 47
    virtual qint64 length() = 0;                     // frames of the whole file
    virtual qint16 isOpen() = 0;                     // non-zero while a file is open
    virtual qint64 duration() = 0;                   // milliseconds of the whole file
    virtual int channelCount() = 0;
    virtual int sampleRate() = 0;
    virtual void setOptionValue(int value) = 0;
    // Frames at the end of the last block read that the source did not
    // deliver before its measured end; they were filled with silence.
    virtual qint64 missingFrames() = 0;
    // Chapter marks for the next file created for writing, and only that one;
    // a component whose format holds none ignores them.
    virtual void setChapters(const QList<Chapter> &chapters) { Q_UNUSED(chapters); }
    // What files created from now on are encoded as: WMA in the profile set
    // with setOutputProfile (the default), or another codec.
    virtual void setOutputEncoding(const OutputEncoding &encoding) = 0;
};

} // namespace korvex
