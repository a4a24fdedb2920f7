#include "components/SourceStamp.h"

#include "components/KorvexError.h"

#include <QFileInfo>

namespace korvex {

SourceStamp SourceStamp::of(const QString &path)
{
    const QFileInfo info(path);
    return {path, info.exists() ? info.size() : -1, info.lastModified()};
}

void SourceStamp::checkUnchanged() const
{
    const SourceStamp now = of(path);
    if (now.size == size && now.modified == modified)
        return;
    throw KorvexError(QStringLiteral("'%1' changed while it was being converted (its size or time of change is not "
                                     "what it was when it was measured as it was added). The conversion was stopped: "
                                     "the files finished before are complete.")
                          .arg(path));
}

} // namespace korvex
