#pragma once

#include <QString>

namespace korvex {

// A source file as it was when it was measured (its size and time of change),
// taken before it was opened. One that shrinks or is rewritten after that
// would give silence or other audio in place of what was planned, so a run
// that finds it changed stops instead.
struct SourceStamp
{
    QString path;
    qint64 size = -1;
    // nanoseconds since the epoch, straight from stat(): no local time is
    // worked out, which would take the C library's time zone lock from the
    // measuring workers
    qint64 modifiedNs = -1;

    static SourceStamp of(const QString &path);
    // False for a stamp never taken (a record made without measuring).
    bool taken() const { return !path.isEmpty(); }
    // Throws KorvexError naming the source when its size or time of change
    // is no longer what was measured.
    void checkUnchanged() const;
};

} // namespace korvex
