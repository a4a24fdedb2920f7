#include "tags/Ogg.h"

#include "components/KorvexError.h"
#include "components/ProgramFiles.h"
#include "tags/vcedit/vcedit.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QScopeGuard>

#include <limits>
#include <memory>

namespace korvex {

namespace {

struct VceditCalls
{
    decltype(&vcedit_new_state) newState = nullptr;
    decltype(&vcedit_open_callbacks) openCallbacks = nullptr;
    decltype(&vcedit_comments) comments = nullptr;
    decltype(&vcedit_clear) clear = nullptr;

    bool complete() const { return newState && openCallbacks && comments && clear; }
};

VceditCalls resolve(QLibrary &library)
{
    VceditCalls calls;
    calls.newState = reinterpret_cast<decltype(calls.newState)>(library.resolve(vcedit::NewStateSymbol));
    calls.openCallbacks =
        reinterpret_cast<decltype(calls.openCallbacks)>(library.resolve(vcedit::OpenCallbacksSymbol));
    calls.comments = reinterpret_cast<decltype(calls.comments)>(library.resolve(vcedit::CommentsSymbol));
    calls.clear = reinterpret_cast<decltype(calls.clear)>(library.resolve(vcedit::ClearSymbol));
    return calls;
}

KorvexError cannotOpen(const QString &fileName, const QString &why)
{
    return KorvexError(QStringLiteral("Cannot open ") + fileName + QStringLiteral(": ") + why);
}

QIODevice *deviceOf(void *datasource)
{
    return datasource ? *static_cast<QIODevice **>(datasource) : nullptr;
}

bool byteCount(std::size_t size, std::size_t count, qint64 &bytes)
{
    if (count > std::size_t(std::numeric_limits<qint64>::max()) / size)
        return false;
    bytes = qint64(size * count);
    return true;
}

} // namespace

QString VceditLibraryPath()
{
    const QString override = qEnvironmentVariable("KORVEX_VCEDIT");
    if (!override.isEmpty())
        return override;
    return QDir(ProgramFiles::moduleFolder()).filePath(ProgramFiles::CommentLibraryName);
}

std::size_t OggReadCallback(void *buffer, std::size_t size, std::size_t count, void *datasource)
{
    QIODevice *device = deviceOf(datasource);
    qint64 bytes = 0;
    if (size == 0 || count == 0 || !device || !byteCount(size, count, bytes))
        return 0;
    const qint64 got = device->read(static_cast<char *>(buffer), bytes);
    return got <= 0 ? 0 : std::size_t(got) / size;
}

std::size_t OggWriteCallback(const void *buffer, std::size_t size, std::size_t count, void *datasource)
{
    if (size == 0)
        return std::size_t(-1);
    QIODevice *device = deviceOf(datasource);
    qint64 bytes = 0;
    if (!device || !byteCount(size, count, bytes))
        return 0;
    const qint64 written = device->write(static_cast<const char *>(buffer), bytes);
    return written <= 0 ? 0 : std::size_t(written) / size;
}

void ReadOggTag(const QString &fileName, OGGTag &tag)
{
    tag = OGGTag();
    QLibrary library(VceditLibraryPath());
    if (!library.load())
        return;
    // Declared first so it runs last: the state is cleared before the code
    // that clears it goes away.
    const auto unload = qScopeGuard([&] { library.unload(); });
    const VceditCalls calls = resolve(library);
    if (!calls.complete())
        return;

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw cannotOpen(fileName, file.errorString());
    std::unique_ptr<vcedit_state, decltype(calls.clear)> state(calls.newState(), calls.clear);
    if (!state)
        throw cannotOpen(fileName, QStringLiteral("out of memory"));
    QIODevice *stream = &file;
    if (calls.openCallbacks(state.get(), &stream, OggReadCallback, OggWriteCallback) != 0)
        throw cannotOpen(fileName, QString::fromLocal8Bit(state->lasterror ? state->lasterror : ""));
    if (const vorbis_comment *comments = calls.comments(state.get()))
        tag = OggTagFromComments(GetStrComments(*comments));
}

} // namespace korvex
