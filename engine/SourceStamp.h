#pragma once

#include <QDateTime>
#include <QString>

namespace korvex {

// A source file as a run measured it. One that shrinks or is rewritten while
// the run reads it would give silence or other audio in place of what was
// planned, so the run stops instead.
struct SourceStamp
{
    QString path;
    qint64 size = -1;
    QDateTime modified;

    static SourceStamp of(const QString &path);
    // Throws KorvexError naming the source when its size or time of change
    // is no longer what was measured.
    void checkUnchanged() const;
};

} // namespace korvex
