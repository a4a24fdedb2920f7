#include "engine/OutputNames.h"

#include "components/FilePublishing.h"
#include "components/KorvexError.h"
#include "joblist/ListText.h"

#include <QFileInfo>

#include <limits>

namespace korvex {

namespace {

constexpr qsizetype NameLimitBytes = 255;
// "_", a number of up to ten digits and ".wma"
constexpr qsizetype NumberRoomBytes = 15;

QString numberSuffix(qint64 n)
{
    return QLatin1Char('_') + QString::number(n);
}

QString dotted(const QString &extension)
{
    return QLatin1Char('.') + extension;
}

// The first free name that nameFor(n) gives for n = 1, 2, ...
template<typename NameFor>
QString firstFreeNumbered(const QString &folder, NameFor nameFor, const TakenTest &taken = PathTaken)
{
    for (qint64 n = 1; n < std::numeric_limits<int>::max(); ++n) {
        const QString path = folder + nameFor(n);
        if (!taken(path))
            return path;
    }
    throw KorvexError(QStringLiteral("No free file name is left in %1").arg(folder));
}

} // namespace

bool PathTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString SplitBaseName(const QString &caption)
{
    const qsizetype dot = caption.indexOf(QLatin1Char('.'));
    return dot >= 1 ? caption.left(dot) : caption;
}

QString ReplaceExtensionWithWma(const QString &name)
{
    return ReplaceExtensionWith(name, QStringLiteral("wma"));
}

QString ReplaceExtensionWith(const QString &name, const QString &extension)
{
    qsizetype last = -1;
    for (const QChar c : {QLatin1Char('.'), QLatin1Char('/'), QLatin1Char(':')})
        last = qMax(last, name.lastIndexOf(c));
    if (last >= 0 && name.at(last) == QLatin1Char('.'))
        return name.left(last) + dotted(extension);
    return name + dotted(extension);
}

QString NumberedPieceName(const QString &base, qint64 n, const QString &extension)
{
    const QString suffix = numberSuffix(n);
    const QString ext = dotted(extension);
    const QString name = ReplaceExtensionWith(base + suffix, extension);
    if (name.endsWith(suffix + ext))
        return name;
    return ReplaceExtensionWith(base, extension).chopped(ext.size()) + suffix + ext;
}

QString PieceStem(const QString &caption, const QString &sourceFile)
{
    const auto stemOf = [](const QString &text) {
        QString clean = CleanName(text);
        qsizetype start = 0;
        while (start < clean.size() && (clean.at(start) == QLatin1Char('.') || clean.at(start).isSpace()))
            ++start;
        return SplitBaseName(clean.mid(start)).trimmed();
    };
    QString stem = stemOf(caption);
    if (stem.isEmpty())
        stem = stemOf(QFileInfo(sourceFile).fileName());
    if (stem.isEmpty())
        stem = QStringLiteral("piece");
    return StartFittingBytes(stem, NameLimitBytes - NumberRoomBytes);
}

QString FreeSplitPath(const QString &folder, const QString &caption, const QString &sourceFile,
                      const QString &extension, const TakenTest &taken)
{
    const QString base = PieceStem(caption, sourceFile);
    // The first candidate follows the extension rule even where it eats the
    // number (".intro.wma" stays ".intro.wma"); the numbered ones keep it.
    const QString first = folder + ReplaceExtensionWith(base + numberSuffix(1), extension);
    if (!taken(first))
        return first;
    return firstFreeNumbered(folder, [&](qint64 n) { return NumberedPieceName(base, n, extension); }, taken);
}

QString FreeFallbackPath(const QString &folder, const QString &sourceFile, const QString &extension)
{
    const QString ext = dotted(extension);
    const QString name = ReplaceExtensionWith(QFileInfo(sourceFile).fileName(), extension);
    if (!PathTaken(folder + name))
        return folder + name;
    const QString stem = name.chopped(ext.size());
    return firstFreeNumbered(folder, [&](qint64 n) { return stem + numberSuffix(n) + ext; });
}

QString FreeStemPath(const QString &folder, const QString &stem, bool numberFirst, const QString &extension,
                     const TakenTest &taken)
{
    const QString base = stem.isEmpty() ? QStringLiteral("piece") : stem;
    const QString ext = dotted(extension);
    if (!numberFirst && !taken(folder + base + ext))
        return folder + base + ext;
    return firstFreeNumbered(folder, [&](qint64 n) { return base + numberSuffix(n) + ext; }, taken);
}

QString JoinOutputPathFor(const QString &typed, const QString &extension)
{
    const QString ext = dotted(extension);
    if (typed.endsWith(ext, Qt::CaseInsensitive))
        return typed;
    return typed + ext;
}

} // namespace korvex
