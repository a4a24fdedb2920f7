#include "engine/CopyNames.h"

#include "components/KorvexError.h"
#include "engine/OutputNames.h"

#include <QFileInfo>

#include <limits>

namespace korvex {

QString SourceExtension(const QString &sourceFile)
{
    return QFileInfo(sourceFile).suffix().toLower();
}

QString FreeCopyPiecePath(const QString &folder, const QString &caption, const QString &sourceFile,
                          const TakenTest &taken)
{
    const QString stem = PieceStem(caption, sourceFile);
    const QString extension = SourceExtension(sourceFile);
    for (qint64 n = 1; n < std::numeric_limits<int>::max(); ++n) {
        const QString path = folder + stem + QLatin1Char('_') + QString::number(n) + QLatin1Char('.') + extension;
        if (!taken(path))
            return path;
    }
    throw KorvexError(QStringLiteral("No free file name is left in %1").arg(folder));
}

QString CopyJoinPathFor(const QString &typed, const QString &extension)
{
    const QString dotted = QLatin1Char('.') + extension;
    return typed.endsWith(dotted, Qt::CaseInsensitive) ? typed : typed + dotted;
}

} // namespace korvex
