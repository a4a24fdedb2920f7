#pragma once

#include <QString>
#include <stdexcept>

namespace korvex {

// The one exception type of Korvex. Its text is exactly what the user reads in
// the error box, so throw sites write complete sentences (file names and the
// library's own message included).
class KorvexError : public std::runtime_error
{
public:
    explicit KorvexError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }

    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

} // namespace korvex
