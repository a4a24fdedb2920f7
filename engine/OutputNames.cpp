#include "engine/OutputNames.h"

#include "components/FilePublishing.h"
#include "components/KorvexError.h"
#include "joblist/ListText.h"

#include <QFileInfo>

#include <limits>

namespace korvex {

namespace {

const QString Wma = QStringLiteral(".wma");

constexpr qsizetype NameLimitBytes = 255;
// "_", a number of up to ten digits and ".wma"
constexpr qsizetype NumberRoomBytes = 15;

QString numberSuffix(qint64 n)
{
    return QLatin1Char('_') + QString::number(n);
}

QString withoutWma(const QString &name)
{
    return name.chopped(Wma.size());
}

// The first free name that nameFor(n) gives for n = 1, 2, ...
template<typename NameFor>
QString firstFreeNumbered(const QString &folder, NameFor nameFor)
{
    for (qint64 n = 1; n < std::numeric_limits<int>::max(); ++n) {
        const QString path = folder + nameFor(n);
        if (!PathTaken(path))
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
    qsizetype last = -1;
    for (const QChar c : {QLatin1Char('.'), QLatin1Char('/'), QLatin1Char(':')})
        last = qMax(last, name.lastIndexOf(c));
    if (last >= 0 && name.at(last) == QLatin1Char('.'))
        return name.left(last) + Wma;
    return name + Wma;
}

QString NumberedPieceName(const QString &base, qint64 n)
{
    const QString suffix = numberSuffix(n);
    const QString name = ReplaceExtensionWithWma(base + suffix);
    if (name.endsWith(suffix + Wma))
        return name;
    return withoutWma(ReplaceExtensionWithWma(base)) + suffix + Wma;
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

QString FreeSplitPath(const QString &folder, const QString &caption, const QString &sourceFile)
{
    const QString base = PieceStem(caption, sourceFile);
    // The first candidate follows the extension rule even where it eats the
    // number (".intro.wma" stays ".intro.wma"); the numbered ones keep it.
    const QString first = folder + ReplaceExtensionWithWma(base + numberSuffix(1));
    if (!PathTaken(first))
        return first;
    return firstFreeNumbered(folder, [&base](qint64 n) { return NumberedPieceName(base, n); });
}

QString FreeFallbackPath(const QString &folder, const QString &sourceFile)
{
    const QString name = ReplaceExtensionWithWma(QFileInfo(sourceFile).fileName());
    if (!PathTaken(folder + name))
        return folder + name;
    const QString stem = withoutWma(name);
    return firstFreeNumbered(folder, [&stem](qint64 n) { return stem + numberSuffix(n) + Wma; });
}

QString FreeStemPath(const QString &folder, const QString &stem, bool numberFirst)
{
    const QString base = stem.isEmpty() ? QStringLiteral("piece") : stem;
    if (!numberFirst && !PathTaken(folder + base + Wma))
        return folder + base + Wma;
    return firstFreeNumbered(folder, [&base](qint64 n) { return base + numberSuffix(n) + Wma; });
}

QString JoinOutputPathFor(const QString &typed)
{
    if (typed.endsWith(Wma, Qt::CaseInsensitive))
        return typed;
    return typed + Wma;
}

} // namespace korvex
