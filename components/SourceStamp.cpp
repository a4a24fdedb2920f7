#include "components/SourceStamp.h"

#include "components/KorvexError.h"

#include <QFile>

#include <sys/stat.h>

namespace korvex {

SourceStamp SourceStamp::of(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {path, -1, -1};
    return {path, qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

void SourceStamp::checkUnchanged() const
{
    const SourceStamp now = of(path);
    if (now.size == size && now.modifiedNs == modifiedNs)
        return;
    throw KorvexError(QStringLiteral("'%1' changed while it was being converted (its size or time of change is not "
                                     "what it was when it was measured as it was added). The conversion was stopped: "
                                     "the files finished before are complete.")
                          .arg(path));
}

} // namespace korvex
