#pragma once

#include <QString>
#include <QtGlobal>

namespace korvex::test {

// The comment library as built beside korvex in the build root; the Ogg
// reader looks for it beside the running executable unless told otherwise.
inline QString BuiltVceditPath()
{
    return QStringLiteral(KORVEX_BINARY_DIR "/vcedit.so");
}

// Points the Ogg reader at `path` for the lifetime of the object.
class VceditOverride
{
public:
    explicit VceditOverride(const QString &path = BuiltVceditPath())
        : m_previous(qgetenv("KORVEX_VCEDIT")), m_had(qEnvironmentVariableIsSet("KORVEX_VCEDIT"))
    {
        qputenv("KORVEX_VCEDIT", path.toLocal8Bit());
    }
    ~VceditOverride()
    {
        if (m_had)
            qputenv("KORVEX_VCEDIT", m_previous);
        else
            qunsetenv("KORVEX_VCEDIT");
    }
    VceditOverride(const VceditOverride &) = delete;
    VceditOverride &operator=(const VceditOverride &) = delete;

private:
    QByteArray m_previous;
    bool m_had;
};

} // namespace korvex::test
