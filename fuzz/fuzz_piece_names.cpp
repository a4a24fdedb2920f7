// Piece names from arbitrary titles and source names: whatever a tag holds,
// the name stays a visible file inside the output folder and fits a name's
// 255 bytes, and so does its temporary name.
#include "components/FilePublishing.h"
#include "engine/OutputNames.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {

const QString Folder = QStringLiteral("/nonexistent-korvex-fuzz/out/");

bool fitsOneName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && QFile::encodeName(name).size() <= 255;
}

bool hasControl(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // title, a NUL, then the source file's path
    const qsizetype split = bytes.indexOf('\0');
    const QString caption = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString source = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));

    const QString stem = korvex::PieceStem(caption, source);
    if (stem.isEmpty() || stem.startsWith(QLatin1Char('.')) || stem.at(0).isSpace() || hasControl(stem)
        || QFile::encodeName(stem).size() > 240)
        std::abort();
    const QString path = korvex::FreeSplitPath(Folder, caption, source);
    const QString name = path.mid(Folder.size());
    if (!path.startsWith(Folder) || !fitsOneName(name) || name.startsWith(QLatin1Char('.')) || hasControl(name))
        std::abort();
    const QString temporary = korvex::TemporaryPathFor(path, int(size % 1000) + 1);
    if (!temporary.startsWith(Folder) || !fitsOneName(temporary.mid(Folder.size()))
        || !temporary.endsWith(QStringLiteral(".part")))
        std::abort();
    return 0;
}
