// The settings file parser over arbitrary file contents: reading never fails
// or hangs, and a value written is the value read back, whatever surrounds it.
#include "settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Korvex.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    korvex::SettingsFile settings(path);
    settings.readInteger(QStringLiteral("Function"), QStringLiteral("Choice"), 0);
    settings.readBool(QStringLiteral("Main"), QStringLiteral("SkinFlag"), true);
    settings.readString(QStringLiteral("Main"), QStringLiteral("Dir"), QString());

    const QString value = QStringLiteral("/music/out %1/").arg(size);
    settings.writeString(QStringLiteral("Main"), QStringLiteral("Dir"), value);
    if (settings.readString(QStringLiteral("main"), QStringLiteral("DIR"), QString()) != value)
        std::abort();
    settings.writeInteger(QStringLiteral("wma"), QStringLiteral("format"), int(size % 47));
    if (settings.readInteger(QStringLiteral("WMA"), QStringLiteral("Format"), -1) != int(size % 47))
        std::abort();
    return 0;
}
