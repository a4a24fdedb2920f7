#pragma once

#include "settings/OutputFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <exception>
#include <optional>

namespace korvex::cli {

// A mistake in what the user typed: korvex-cli prints it and exits with 2.
// A std::exception, so that a handler of those catches it too.
class UsageError : public std::exception
{
public:
    explicit UsageError(const QString &message) : text(message), m_what(message.toLocal8Bit()) {}
    const char *what() const noexcept override { return m_what.constData(); }

    QString text;

private:
    QByteArray m_what;
};

// Milliseconds from the start of the file.
struct SegmentOption
{
    qint64 begin = 0;
    qint64 end = 0;
};

// The command line, checked. Options that were not given stay empty and are
// taken from Korvex.ini.
struct CliOptions
{
    enum class Command { Help, Version, Split, Join, Info, Profiles, Silences };

    Command command = Command::Help;
    std::optional<int> mode;  // a split_mode value
    std::optional<int> seconds;
    std::optional<int> count;
    std::optional<QList<SegmentOption>> segments;
    bool segmentsFromSilences = false;  // --segments silence
    std::optional<int> threshold;       // dBFS
    std::optional<int> minSilence;      // milliseconds
    std::optional<int> fadeIn;   // 0 turns the fade off
    std::optional<int> fadeOut;
    std::optional<int> edgeMs;   // 0 turns the soft edges off
    std::optional<qint64> adjustMs;  // split: how far cuts move into pauses, 0 = not at all
    std::optional<int> profile;  // 0..46
    std::optional<OutputFormat> format;  // --format
    QString output;              // -o: the folder of a split, the file of a join
    bool json = false;
    bool overwrite = false;      // join: replace an existing OUT
    QStringList files;
};

// Throws UsageError.
CliOptions ParseCommandLine(const QStringList &arguments);

// Whole seconds, or h:mm:ss / mm:ss; nothing else.
std::optional<int> ParseTime(const QString &text);
// The same with up to three decimals after the seconds, in milliseconds:
// "12.5" gives 12500, "1:02.35" 62350.
std::optional<qint64> ParseTimeMs(const QString &text);

QString HelpText();
// "korvex-cli 1.2.3" and a newline.
QString VersionText();

} // namespace korvex::cli
