#include "components/FilePublishing.h"

#include "components/KorvexError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvex {

namespace {

constexpr qsizetype NameLimitBytes = 255;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

[[noreturn]] void failNaming(const QString &finalPath, int error)
{
    throw KorvexError(QStringLiteral("Unable to give the finished file the name '%1': %2.")
                          .arg(finalPath, systemText(error)));
}

// The file system does not know the flag or the call: another way is tried.
bool unsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM || error == EXDEV;
}

Publishing publishThroughPlaceholder(const QByteArray &from, const QByteArray &to, const QString &finalPath)
{
    const int placeholder = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (placeholder < 0) {
        if (errno == EEXIST)
            return Publishing::NameTaken;
        failNaming(finalPath, errno);
    }
    ::close(placeholder);
    // Only the empty file made just above is replaced.
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData());
        failNaming(finalPath, error);
    }
    return Publishing::Published;
}

} // namespace

QString StartFittingBytes(const QString &text, qsizetype bytes)
{
    QString start = text;
    while (!start.isEmpty() && QFile::encodeName(start).size() > bytes) {
        start.chop(1);
        if (!start.isEmpty() && start.back().isHighSurrogate())
            start.chop(1);
    }
    return start;
}

QString TemporaryPathFor(const QString &finalPath, int attempt)
{
    const QFileInfo info(finalPath);
    const QString tail = attempt <= 1 ? QStringLiteral(".part") : QStringLiteral(".%1.part").arg(attempt);
    const qsizetype room = NameLimitBytes - QFile::encodeName(tail).size();
    const QString folder = finalPath.left(finalPath.size() - info.fileName().size());
    return folder + StartFittingBytes(info.fileName(), room) + tail;
}

Publishing PublishWithoutReplacing(const QString &temporary, const QString &finalPath)
{
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(finalPath);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Publishing::Published;
    if (errno == EEXIST)
        return Publishing::NameTaken;
    if (!unsupported(errno))
        failNaming(finalPath, errno);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return Publishing::Published;
    }
    if (errno == EEXIST)
        return Publishing::NameTaken;
    if (!unsupported(errno) && errno != EMLINK)
        failNaming(finalPath, errno);
    return publishThroughPlaceholder(from, to, finalPath);
}

void PublishReplacing(const QString &temporary, const QString &finalPath)
{
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(finalPath).constData()) != 0)
        failNaming(finalPath, errno);
}

} // namespace korvex
