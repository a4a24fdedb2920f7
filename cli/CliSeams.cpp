#include "cli/CliSeams.h"

#include <cstdio>

namespace korvex::cli {

void PrintError(const QString &text)
{
    std::fprintf(stderr, "korvex-cli: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

void TerminalMessages::error(const QString &text)
{
    ++m_errors;
    PrintError(text);
}

void TerminalMessages::information(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace korvex::cli
